#include "korverify/copydestination.h"

#include "korverify/duplicates.h"
#include "korverify/listing.h"

#include <wx/filename.h>

bool IsCopyLeftoverName(const wxString& name)
{
    static const wxString prefix = ".korcopy-";
    return name.length() == prefix.length() + 6 && name.StartsWith(prefix);
}

CopyDestinationCheck PrepareCopyDestination(const wxString& folder)
{
    CopyDestinationCheck check;
    const FolderListing listing = ListFolder(folder, true);
    if (!listing.problems.empty())
    {
        check.reason = "The destination folder holds entries that cannot be copied over: " +
                       listing.problems.front().path + " (" + listing.problems.front().reason + ")";
        return check;
    }
    std::vector<wxString> leftovers;
    for (const wxString& file : listing.files)
    {
        if (!IsCopyLeftoverName(wxFileName(file).GetFullName()))
        {
            check.reason = "The destination folder is not empty: " + file;
            return check;
        }
        leftovers.push_back(file);
    }
    for (const wxString& file : leftovers)
    {
        const RemoveResult removed = RemoveFileNoFollow(file);
        if (removed.outcome == RemoveOutcome::Failed)
        {
            check.reason = "Cannot remove the temporary file " + file + " of an interrupted copy: " + removed.error;
            return check;
        }
        if (removed.outcome == RemoveOutcome::Removed)
            check.leftoversRemoved.push_back(file);
    }
    check.empty = true;
    return check;
}
