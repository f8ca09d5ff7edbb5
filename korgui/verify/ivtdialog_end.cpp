#include "korgui/ivtdialog.h"

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/resultlist.h"

#include <wx/msgdlg.h>

// Worker events: end of a worker

namespace
{

// Whether any row has a text in `column`; read in place, without a string per row.
bool AnyCellIn(const ResultRows& rows, ResultColumn column)
{
    for (long row = 0; row < rows.Count(); ++row)
        if (!rows.CellUtf8(row, column).empty())
            return true;
    return false;
}

} // namespace

void IVTDialog::MarkFailedRowsRed()
{
    // Compared as UTF-8 in place: this runs over every row at the end of a run.
    const ResultRows& rows = m_listCtrl->Rows();
    const std::string no = m_txtNo.utf8_string();
    const std::string failed = m_txtFailed.utf8_string();
    const std::string removed = m_txtFileRemoved.utf8_string();
    for (long row = 0; row < rows.Count(); ++row)
    {
        if (rows.CellUtf8(row, IVT_COL_HASH_COMPARISON) == no || rows.CellUtf8(row, IVT_COL_COPY_STATUS) == failed ||
            rows.CellUtf8(row, IVT_COL_DESTINATION_PATH).find(removed) != std::string_view::npos)
            m_listCtrl->SetRowTextColour(row, *wxRED);
    }
}

void IVTDialog::CopySourceToDestinationAndCompareAFTER(wxCommandEvent& event)
{
    if (event.GetInt() == IVT_COPY_COMPARE_END_DONE)
    {
        m_copyCompareThread.alive = false;
        MarkFailedRowsRed();
        SaveLog();
        RemoveEmptyRows();
        AbleWidgetsAgain();
    }
    --m_runningThreads;
}

void IVTDialog::NoDuplicatesAFTER(wxCommandEvent& event)
{
    if (event.GetInt() == IVT_NO_DUPLICATES_END_DONE)
        --m_runningThreads;
    else
        wxMessageBox(_("Error - No duplicates After, please report to") + " " + SupportAddress(),
                     _("After thread error message"), wxSTAY_ON_TOP, this);
}

void IVTDialog::CopySrcToDstFnAFTER(wxCommandEvent& event)
{
    --m_runningThreads;
    m_copyThread.alive = false;
    if (event.GetInt() == IVT_COPY_END_SINGLE_FILE && m_singleFileCompareAfterCopy)
    {
        m_singleFileCompareAfterCopy = false;
        if (m_CopyHappened || !m_pathSource.empty())
        {
            if (!m_CopyHappened)
                Message(_("Info"), _("Only comparison has been done"));
            // The operation goes on in the compare: the controls stay disabled, and its
            // end handler writes the one log of the whole operation.
            CompareOnlySharedFiles();
            return;
        }
    }
    SaveLog();
    RemoveEmptyRows();
    AbleWidgetsAgain();
}

void IVTDialog::HelperRunHashComparisonEmptyAFTER(wxCommandEvent& event)
{
    --m_runningThreads;
    switch (event.GetInt())
    {
    case IVT_HASH_HELPER_END_SOURCE:
        HashSourceFn();
        return;
    case IVT_HASH_HELPER_END_DESTINATION:
        HashDestinationFn();
        return;
    default:
        wxMessageBox(_("Error HelperRunHashThread, please report the bug"), _("HelperRunHash error"), wxSTAY_ON_TOP,
                     this);
        RemoveEmptyRows();
        AbleWidgetsAgain();
    }
}

void IVTDialog::FinishHashing(WorkerSlot& slot, ResultColumn hashColumn)
{
    --m_runningThreads;
    slot.alive = false;
    AbleWidgetsAgain();
    RemoveEmptyRows();
    // A stopped run has cleaned its list: no hash, no log.
    if (AnyCellIn(m_listCtrl->Rows(), hashColumn))
        SaveLog();
}

void IVTDialog::HashSourceFnAFTER(wxCommandEvent&)
{
    FinishHashing(m_hashSrcThread, IVT_COL_SOURCE_HASH);
}

void IVTDialog::HashDestinationFnAFTER(wxCommandEvent&)
{
    FinishHashing(m_hashDstThread, IVT_COL_DESTINATION_HASH);
}

void IVTDialog::CompareOnlySharedFilesAFTER(wxCommandEvent&)
{
    SaveLog(); // first, while the list is as the worker left it
    m_HashSrcHappened = m_HashSrcHappened || AnyCellIn(m_listCtrl->Rows(), IVT_COL_SOURCE_HASH);
    m_HashDstHappened = m_HashDstHappened || AnyCellIn(m_listCtrl->Rows(), IVT_COL_DESTINATION_HASH);
    --m_runningThreads;
    m_compareThread.alive = false;
    RemoveEmptyRows();
    AbleWidgetsAgain();
}

void IVTDialog::RefreshView_AFTER(wxCommandEvent&)
{
    --m_runningThreads;
    SaveLog();
}
