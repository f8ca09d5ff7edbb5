#include "korgui/ivtdialog.h"

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/progresslabel.h"
#include "korgui/verify/resultlist.h"
#include "korverify/verifylog.h"

#include "korbase/files.h"
#include "korbase/hash.h"

#include <wx/choice.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>


void IVTDialog::SaveLog()
{
    const ResultRows& rows = m_listCtrl->Rows();
    if (rows.Count() == 0)
        return;
    LogRequest request;
    request.folder = LogDesktopFolder();
    request.rowCount = rows.Count();
    request.cell = [&rows](std::size_t row, int column) -> const wxString&
    { return rows.GetCell(static_cast<long>(row), column); };
    for (int c = 0; c < ResultRows::COLUMNS; ++c)
    {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT);
        m_listCtrl->GetColumn(c, column);
        request.headings[c] = column.GetText();
    }
    request.firstRowOnly = m_combo4->GetSelection() == IVT_TARGET_SINGLE_FILE;
    request.algorithm = static_cast<HashAlgorithm>(m_combo3->GetSelection());
    const int operation = m_combo1->GetSelection();
    if (operation == IVT_OP_HASH_SOURCE)
        request.operationName = "Hash Source";
    else if (operation == IVT_OP_HASH_DESTINATION)
        request.operationName = "Hash Destination";
    else if (operation != wxNOT_FOUND)
        request.operationName = m_combo1->GetString(operation);
    SetStandardLogTexts(request, m_platform, m_hostRevision);

    const LogOutcome outcome = WriteVerifyLog(request);
    if (outcome.ok)
    {
        m_progress->Show(_("Log has been saved on the desktop"));
        return;
    }
    m_progress->Show(outcome.logWritten ? _("The log has been saved on the desktop without its master hash")
                                        : _("The log could not be saved"));
    Message(_("Log - error message"), wxString::Format(_("Could not write %s:\n%s"), outcome.failedPath, outcome.reason));
}
