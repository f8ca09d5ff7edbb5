#pragma once

// Listing a folder for an operation: its files, and every entry that is not among
// them with the reason (nothing is left out in silence).
//
// Policy, shared with GetAllFiles (korbase/files.h), which does the walk:
// - regular files are listed, depth first, names in byte order within a folder;
// - a symbolic link to a regular file is followed: listed under the link's path, its
//   target's bytes are read;
// - a symbolic link to a folder is not followed (a link loop cannot hang a walk, and
//   a copy never leaves its tree): problem "Symbolic link to a folder, not followed";
// - a dangling link, a FIFO, a socket or a device (also behind a link) is a problem:
//   reading them would fail, block or never end;
// - a sub-folder that cannot be opened, an entry whose lstat fails and a name that
//   cannot be represented exactly are problems;
// - a folder that does not exist is an empty listing without a problem.

#include "korbase/files.h"

#include <wx/string.h>

#include <memory>
#include <vector>

// A list of paths shared read-only between threads: a listing handed to a worker.
using SharedPaths = std::shared_ptr<const std::vector<wxString>>;

struct FolderListing
{
    wxString folder;
    bool recursive = false;
    std::vector<wxString> files;
    std::vector<ListingProblem> problems;
};

// Every file of `folder` (with `recursive`, of its sub-folders too) and the problems.
FolderListing ListFolder(const wxString& folder, bool recursive);
