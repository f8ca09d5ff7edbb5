#pragma once

// The copies go into an empty folder only. A hidden temporary copy left there by an
// interrupted run (".korcopy-" and six characters, see CopyFileWithProgress) does
// not count: it is removed, and named, before the folder is judged.

#include <wx/string.h>

#include <vector>

// True for the name (not the path) of a temporary copy.
bool IsCopyLeftoverName(const wxString& name);

struct CopyDestinationCheck
{
    bool empty = false;                    // the copy may go ahead
    std::vector<wxString> leftoversRemoved; // full paths
    wxString reason;                       // when not empty: why, plain English
};

// Looks through `folder` and its sub-folders. When it holds nothing but temporary
// copies (and folders), they are removed and the folder counts as empty; anything
// else, or an entry that cannot be looked at, makes it not empty and nothing is
// removed. A folder that does not exist yet is empty.
CopyDestinationCheck PrepareCopyDestination(const wxString& folder);
