#pragma once

#include "korbase/strings.h"

#include <wx/string.h>

#include <vector>

// Full paths of the regular files in `folder` (and, with `recursive`, in all its
// sub-folders), depth first, names sorted by byte order within each folder.
// Symbolic links to folders are never followed (so a link loop cannot hang the walk);
// links to regular files are listed. FIFOs, sockets and devices are skipped, since a
// reader would block on them. A missing or unreadable folder gives an empty list.
// `filters` are wildcard patterns on the file name; empty entries are ignored and a
// list of only empty entries selects every file. Names that cannot be represented
// exactly are skipped rather than turned into a different path.
std::vector<wxString> GetAllFiles(const wxString& folder, const Strings& filters, bool recursive);

// `path` relative to the folder `base`: no leading separator, native separators
// between levels, the bare name when `base` is the file's own folder. A path outside
// `base` is returned relative to it with ".." levels; an empty path stays empty.
wxString FilenameAbsoluteToRelative(const wxString& path, const wxString& base);

// Creates `folder` with every missing level. Returns false when it does not exist afterwards.
bool CreateDirIfNotExists(const wxString& folder);

// The user's desktop folder without a trailing separator.
wxString GetUserDesktopPath();
