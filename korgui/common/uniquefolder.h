#pragma once

#include <wx/string.h>

// A path for a new folder `name` in `parent` that no other caller in this process
// has been given and that nothing on disk occupies yet: `name` itself, else `name`
// with "-2", "-3", ... appended. The path is reserved for this process at once, so
// two windows that ask in the same second get different folders even before either
// creates its own. Safe to call from any thread.
wxString UniqueFolderPath(const wxString& parent, const wxString& name);
