#include "korgui/ivtdialog.h"

#include "korgui/verify/datetimetext.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/ivtworkers.h"
#include "korgui/verify/progresslabel.h"
#include "korgui/verify/recordedpaths.h"
#include "korgui/verify/resultlist.h"

#include "korbase/datetime.h"
#include "korbase/files.h"

#include <wx/choice.h>
#include <wx/log.h>
#include <wx/textctrl.h>

#include <algorithm>

// Clean

void IVTDialog::OnClick__Clean(wxCommandEvent&)
{
    if (m_runningThreads <= 0)
        CleanNoButton();
}

void IVTDialog::CleanFromThread(wxCommandEvent& event)
{
    if (event.GetInt() == IVT_CLEAN_REQUEST)
        CleanNoButton();
}

void IVTDialog::CleanNoButton()
{
    Clean(false);
}

void IVTDialog::CleanNoButtonDst()
{
    Clean(true);
}

void IVTDialog::Clean(bool destinationOnly)
{
    m_startTime = DateTimeNowAsString();
    m_dstDefaultDir = DefaultDestinationFolder(DateTimeWithSeparators(m_startTime, '-', ' ', ' '));
    m_listCtrl->DeleteAllRows();
    if (!destinationOnly)
    {
        // A stopped worker asks for a clean while its operation still counts as
        // running: the chosen source stays for the next run.
        if (!m_operationRunning)
        {
            m_pathSource.clear();
            m_srcDir.clear();
            m_tmp_SrcDir.clear();
            m_srcFile.clear();
            m_tc1->ChangeValue(wxString());
        }
        m_operationRunning = false;
    }
    m_PathDestination.clear();
    m_dstDir = m_dstDefaultDir;
    if (!destinationOnly)
    {
        m_tmp_DstName.clear();
        m_tmp_SrcName.clear();
    }
    m_tmp_DstDir = m_dstDefaultDir;
    m_tc2->ChangeValue(m_dstDefaultDir);
    m_PathDestination = GetAllFiles(m_dstDefaultDir, AllFilesFilter(), false);
    m_fullPath = true;
    m_combo2->SetSelection(IVT_VIEW_FULL);
    m_CopyStatus = false;
    m_CopyHappened = false;
    m_HashSrcHappened = false;
    m_HashDstHappened = false;
    m_dstFile.clear();
    ResetProgressText(_("Progress 0%"));
    for (WorkerSlot* slot : {&m_copyThread, &m_hashSrcThread, &m_hashDstThread, &m_compareThread, &m_copyCompareThread})
        slot->alive = false;
    stopPressed = false;
}

void IVTDialog::RemoveEmptyRows()
{
    m_listCtrl->RemoveBlankRows();
}

// Full and relative path views, column sort

void IVTDialog::RefreshView(wxCommandEvent&)
{
    if (m_runningThreads > 0)
        return;
    PathViewSnapshot view;
    view.requestedView = m_combo2->GetSelection();
    view.fullViewNow = m_fullPath;
    view.rows = m_listCtrl->Rows().Snapshot();
    view.sourceFile = m_srcFile;
    view.destinationFile = m_dstFile;
    view.sourceRecording = std::move(m_tmp_SrcName);
    view.destinationRecording = std::move(m_tmp_DstName);
    view.sourceFolder = m_srcDir;
    view.destinationFolder = m_dstDir;
    view.operation = m_combo1->GetSelection();
    view.target = m_combo4->GetSelection();
    StartOperationWorker(std::make_unique<RefreshViewThread>(this, std::move(view)), nullptr);
}

void IVTDialog::OnColClick__Sort(wxListEvent& event)
{
    if (m_runningThreads > 0)
        return;
    const int column = event.GetColumn();
    if (column == -1)
        return;
    wxLogDebug("column = %d", column);

    const long rows = m_listCtrl->RowCount();
    std::vector<wxUIntPtr> dataBefore;
    dataBefore.reserve(static_cast<std::size_t>(rows));
    for (long row = 0; row < rows; ++row)
        dataBefore.push_back(m_listCtrl->GetRowData(row));
    m_listCtrl->SortRowsByColumn(column);

    // In the relative view the recorded full paths move with their rows.
    if (!m_fullPath)
    {
        std::vector<wxUIntPtr> dataAfter;
        dataAfter.reserve(dataBefore.size());
        for (long row = 0; row < rows; ++row)
            dataAfter.push_back(m_listCtrl->GetRowData(row));
        ReorderLatestRecording(m_tmp_SrcName, dataBefore, dataAfter);
        ReorderLatestRecording(m_tmp_DstName, dataBefore, dataAfter);
    }
}

// Duplicate removal in the destination

void IVTDialog::OnClick__NoDuplicates(wxCommandEvent&)
{
    if (m_listCtrl->RowCount() == 0)
        return;
    if (m_runningThreads > 0 || !m_CopyHappened)
    {
        Message(_("Error message duplicates"),
                _("Error: you can use this function only if the destination folder\nyou want to remove the "
                  "duplicates from is a directory copied from a source.\nSource files should remain untouched!"));
        return;
    }
    if (m_combo2->GetSelection() != IVT_VIEW_FULL || !m_fullPath)
    {
        Message(_("Warning view message"), _("Warning: you should select the full-path view before"));
        return;
    }
    StartOperationWorker(
        std::make_unique<deleteDuplicatesThread>(this, m_listCtrl->Rows().Snapshot(), m_txtFileRemoved),
        nullptr);
}
