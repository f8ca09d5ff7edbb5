#include "korverify/cli/masterhash.h"

#include "korverify/verifylog.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

wxString MasterHashOfRows(const std::vector<LogRow>& rows, HashAlgorithm algorithm)
{
    const LogCell cell = Utf8LogCells(rows);
    // korbase hashes files, so the list is hashed as the log's writer hashed it: from a
    // file of its own, removed again.
    const wxString listPath = wxFileName::CreateTempFileName("korverify-masterhash");
    if (listPath.empty() || !WriteText(listPath, MasterHashListText(rows.size(), cell), LogEncoding::Utf8))
    {
        if (!listPath.empty())
            wxRemoveFile(listPath);
        return _("Unreadable: cannot write the list of hashes to a temporary file");
    }
    const wxString hash = KcvCalcHashFromFile(listPath, algorithm);
    wxRemoveFile(listPath);
    return hash;
}
