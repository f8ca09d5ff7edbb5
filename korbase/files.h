#pragma once

#include "korbase/strings.h"

#include <wx/string.h>

#include <vector>

// An entry of a listed folder that is not among its files, and why; the reason is
// plain English (not translated: listings run on worker threads).
struct ListingProblem
{
    wxString path; // as far as it can be shown: bytes that are no text appear as \xNN
    wxString reason;

    bool operator==(const ListingProblem& other) const { return path == other.path && reason == other.reason; }
};

// Full paths of the regular files in `folder` (and, with `recursive`, in all its
// sub-folders), depth first, names sorted by byte order within each folder.
// `filters` are wildcard patterns on the file name; empty entries are ignored and a
// list of only empty entries selects every file.
//
// What is not listed is skipped, and named in `problems` when given (filters apply to
// it as to files, except for folders):
// - a sub-folder that cannot be opened or read, and `folder` itself unless it does
//   not exist (a missing folder is simply an empty listing);
// - an entry whose lstat fails;
// - a name that cannot be represented exactly (it would name another file);
// - FIFOs, sockets and devices, since a reader would block on them or read forever.
// Symbolic links: a link to a regular file is followed and listed under the link's
// own path; a link to a folder is not followed (so a loop cannot hang the walk) and
// is a problem; a dangling link or one to a FIFO, socket or device is a problem.
std::vector<wxString> GetAllFiles(const wxString& folder, const Strings& filters, bool recursive,
                                  std::vector<ListingProblem>* problems = nullptr);

// `path` relative to the folder `base`: no leading separator, native separators
// between levels, the bare name when `base` is the file's own folder. A path outside
// `base` is returned relative to it with ".." levels; an empty path stays empty.
wxString FilenameAbsoluteToRelative(const wxString& path, const wxString& base);

// Creates `folder` with every missing level. Returns false when it does not exist afterwards.
bool CreateDirIfNotExists(const wxString& folder);

// The user's desktop folder without a trailing separator.
wxString GetUserDesktopPath();
