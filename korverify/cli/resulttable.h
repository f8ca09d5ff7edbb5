#pragma once

// The rows of an operation as the copy-and-verify dialog would show them, kept for
// the log and its master hash.

#include "korverify/cli/commandline.h"
#include "korverify/cli/logreader.h"
#include "korverify/cli/summary.h"

#include <vector>

// The six cells of a row: source path, destination path, source hash, copy status,
// destination hash, hash comparison.
LogRow MakeRow(const wxString& source, const wxString& destination, const wxString& sourceHash,
               const wxString& copyStatus, const wxString& destinationHash, const wxString& comparison);

// Sets the summary's algorithm and master hash, and with --log writes the log of
// `rows` for `operation` (a name as the dialog's Operation choice gives it). A
// stopped run writes no log; a log that cannot be written is a failure.
void FinishRows(const CommandLine& line, const wxString& operation, const std::vector<LogRow>& rows,
                RunSummary& summary);
