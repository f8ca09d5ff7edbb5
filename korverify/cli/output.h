#pragma once

// Writing the tool's texts: results on stdout, messages on stderr, as UTF-8.

#include <wx/string.h>

// A line on stdout, unless `quiet` (--json keeps stdout for its summary).
void PrintResult(const wxString& line, bool quiet);

// "korverify: <message>" on stderr.
void PrintMessage(const wxString& message);
