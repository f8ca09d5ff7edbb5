#pragma once

// Writing the tool's texts: results on stdout, messages on stderr, as UTF-8.

#include "korverify/cli/summary.h"

#include <wx/string.h>

// A line on stdout, unless `quiet` (--json keeps stdout for its summary).
void PrintResult(const wxString& line, bool quiet);

// "korverify: <message>" on stderr.
void PrintMessage(const wxString& message);

// "<path>: <STATUS>" or "<path>: <STATUS> (<reason>)" on stdout, as `md5sum -c` reports
// a file; the path escaped as EscapedName does.
void PrintFileResult(const wxString& path, const wxString& status, const wxString& reason, bool quiet);

// Notes a failure in the summary and says it on stderr: "korverify: <path>: <reason>".
void ReportFailure(RunSummary& summary, const wxString& path, const wxString& reason, FailureKind kind);
