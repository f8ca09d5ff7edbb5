#include "korgui/ivtdialog.h"

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/logwriter.h"
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
    if (m_listCtrl->RowCount() == 0)
        return;
    LogRequest request;
    request.folder = LogDesktopFolder();
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

    // The rows as they are now; the log is written on a worker, counted as running
    // until its outcome shows, so that no Run, Clean or close comes in between.
    auto writer = std::make_unique<LogWriterThread>(this, std::move(request), m_listCtrl->Rows().Snapshot());
    if (writer->Create() != wxTHREAD_NO_ERROR || writer->Run() != wxTHREAD_NO_ERROR)
    {
        Message(_("Log - error message"), _("Could not create thread"));
        m_progress->Show(_("The log could not be saved"));
        return;
    }
    writer.release(); // detached: deletes itself
    ++m_runningThreads;
    ++m_logsBeingWritten;
}

void IVTDialog::LogWritten(const LogOutcome& outcome)
{
    --m_runningThreads;
    --m_logsBeingWritten;
    if (outcome.ok)
    {
        m_progress->Show(_("Log has been saved on the desktop"));
        return;
    }
    m_progress->Show(outcome.logWritten ? _("The log has been saved on the desktop without its master hash")
                                        : _("The log could not be saved"));
    Message(_("Log - error message"), wxString::Format(_("Could not write %s:\n%s"), outcome.failedPath, outcome.reason));
}
