#pragma once

// The master hash of a table of result rows, as the log states it.

#include "korverify/cli/logreader.h"

#include <wx/string.h>

// The hash, with `algorithm`, of the rows' hash cells (destination hash before source
// hash, sorted by code unit, one per CR LF line, UTF-8). An "Unreadable: ..." text
// when the list could not be written to be hashed.
wxString MasterHashOfRows(const std::vector<LogRow>& rows, HashAlgorithm algorithm);
