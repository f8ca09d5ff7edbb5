#pragma once

#include <wx/string.h>

// A path for the folder `name` in `parent` that no other caller in this process has
// been given: `name` itself the first time, then `name` with "-2", "-3", ... appended.
// Windows opened in the same second, whose default folders are named after it, get
// one each. A folder already on disk under the name is no reason to move on: it is
// what the caller lists. Safe to call from any thread.
wxString UniqueFolderPath(const wxString& parent, const wxString& name);
