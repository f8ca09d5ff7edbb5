#include "korverify/listing.h"

FolderListing ListFolder(const wxString& folder, bool recursive)
{
    FolderListing listing;
    listing.folder = folder;
    listing.recursive = recursive;
    listing.files = GetAllFiles(folder, AllFilesFilter(), recursive, &listing.problems);
    return listing;
}
