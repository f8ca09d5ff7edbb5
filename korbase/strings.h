#pragma once

#include <wx/string.h>

#include <vector>

// A list of texts; GetAllFiles takes its name filters as one (empty entries match everything).
using Strings = std::vector<wxString>;

// The filter list that selects every file.
inline Strings AllFilesFilter() { return Strings(10); }
