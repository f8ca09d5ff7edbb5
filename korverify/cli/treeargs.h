#pragma once

// Checks of the SRC and DST arguments of copy and compare.

#include "korverify/cli/summary.h"

#include <wx/string.h>

// The absolute path, links kept, as the log records paths.
wxString AbsolutePath(const wxString& path);

// The absolute path with every link resolved; for a path that does not exist (yet),
// its nearest existing folder resolved and the rest appended.
wxString ResolvedPath(const wxString& path);

// True when `path` is `folder` or lies inside it, links resolved.
bool IsSameOrInside(const wxString& path, const wxString& folder);

// False, with the failure noted and printed, unless `path` is an existing folder
// (refused with exit 2 when it is something else, unreadable with 3 when missing).
bool RequireFolder(const wxString& path, RunSummary& summary);
