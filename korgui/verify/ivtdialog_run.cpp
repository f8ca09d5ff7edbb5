#include "korgui/ivtdialog.h"

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/ivtworkers.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/runplan.h"

#include "korbase/files.h"

#include <wx/choice.h>
#include <wx/textctrl.h>

RunInputs IVTDialog::CurrentRunInputs() const
{
    RunInputs in;
    in.target = m_combo4->GetSelection();
    in.operation = m_combo1->GetSelection();
    in.relativeView = m_combo2->GetSelection() == IVT_VIEW_RELATIVE;
    in.sourceFile = m_srcFile;
    in.sourceField = m_tc1->GetValue();
    in.sourceFolder = m_tmp_SrcDir;
    in.destinationFile = m_dstFile;
    in.destinationField = m_tc2->GetValue();
    in.defaultDestination = m_dstDefaultDir;
    in.destinationFolder = m_dstDir;
    in.destinationListed = !m_PathDestination.empty();
    in.copyStatus = m_CopyStatus;
    in.copyHappened = m_CopyHappened;
    return in;
}

void IVTDialog::OnClick__Run(wxCommandEvent&)
{
    if (m_runningThreads > 0)
        return;
    EnableCommandControls(false);
    ResetProgressText(_("Progress 0%"));
    m_lastTargetSelection = m_combo4->GetSelection();
    m_lastOperationSelection = m_combo1->GetSelection();

    const RunPlan plan = PlanRun(CurrentRunInputs());
    if (plan.forgetStaleCopy)
    {
        m_PathDestination.clear();
        m_CopyStatus = false;
    }
    if (plan.createDefaultDestination)
        CreateDirIfNotExists(m_dstDir);
    if (plan.start == RunStart::Nothing)
        RefuseRun(plan);
    else
        StartRun(plan.start);
}

void IVTDialog::RefuseRun(const RunPlan& plan)
{
    if (plan.refusal.IsSet())
        Message(plan.refusal);
    if (plan.removeEmptyRows)
        RemoveEmptyRows();
    AbleWidgetsAgain();
}

// Each listing may be the last thing this dialog does: when it says the dialog is
// gone, Run returns at once.
void IVTDialog::StartRun(RunStart start)
{
    switch (start)
    {
    case RunStart::HashSourceFile:
    case RunStart::HashDestinationFile:
    {
        const bool source = start == RunStart::HashSourceFile;
        // The destination file's row is filled in place: there must be one.
        if (!source && m_listCtrl->RowCount() == 0)
            m_listCtrl->SetRowData(m_listCtrl->InsertRow(0, wxString()), 0);
        if (!(source ? ListSource() : ListDestination()))
            return;
        m_listCtrl->SetCell(0, IVT_COL_HASH_COMPARISON, wxString());
        if (source)
            HashSourceFn();
        else
            HashDestinationFn();
        return;
    }
    case RunStart::CompareFiles:
        CompareOnlySharedFiles();
        return;
    case RunStart::CopyFile:
    case RunStart::CopyFileAndCompare:
    case RunStart::CopyFolder:
    {
        if (!ListBoth())
            return;
        const RunPlan copy = PlanCopyAfterListing(CurrentRunInputs());
        if (copy.start == RunStart::Nothing)
        {
            RefuseRun(copy);
            return;
        }
        if (copy.createDefaultDestination)
            CreateDirIfNotExists(m_dstDir);
        // A single file's compare follows in the copy's end handler.
        m_singleFileCompareAfterCopy = copy.start == RunStart::CopyFileAndCompare;
        StartCopy(); // from the lists just made
        return;
    }
    case RunStart::HashFolder:
        if (!ListBoth())
            return;
        // Empties the comparison column first; its end starts the hashing.
        StartOperationWorker(std::make_unique<HelperRunHashComparisonEmpty>(this, m_listCtrl->RowCount(),
                                                                            m_combo1->GetSelection(),
                                                                            wxTHREAD_DETACHED),
                             nullptr);
        return;
    case RunStart::CompareFolders:
        if (ListBoth())
            CompareOnlySharedFiles();
        return;
    case RunStart::CopyFolderAndCompare:
        CopySourceToDestinationAndCompare();
        return;
    case RunStart::Nothing:
        break;
    }
    AbleWidgetsAgain();
}

// Hashing and comparing

bool IVTDialog::StartOperationWorker(std::unique_ptr<MyThread> worker, WorkerSlot* slot, const wxString& failureText)
{
    const auto fail = [this, slot, &failureText]
    {
        if (slot)
            slot->alive = false;
        Message(wxString(), failureText.empty() ? _("Could not create thread") : failureText);
        RemoveEmptyRows();
        AbleWidgetsAgain();
        return false;
    };
    if (worker->Create() != wxTHREAD_NO_ERROR)
        return fail();
    if (slot)
    {
        m_operationRunning = true;
        slot->Start(worker->GetStopFlag());
    }
    if (worker->Run() != wxTHREAD_NO_ERROR)
        return fail();
    // Detached and running: from here on the thread owns itself and deletes itself when it ends.
    worker.release();
    ++m_runningThreads;
    return true;
}

void IVTDialog::HashSourceFn()
{
    StartOperationWorker(std::make_unique<HashSourceThread>(this, m_combo4->GetSelection(), m_pathSource.Share(), m_srcFile,
                                                            m_listCtrl->RowCount(), m_combo3->GetSelection(),
                                                            ListingProblems(m_sourceProblems)),
                         &m_hashSrcThread);
}

void IVTDialog::HashDestinationFn()
{
    StartOperationWorker(std::make_unique<HashDstThread>(this, m_combo4->GetSelection(), m_combo1->GetSelection(),
                                                         m_PathDestination.Share(), m_dstFile, m_CopyStatus,
                                                         m_listCtrl->RowCount(), m_combo3->GetSelection(),
                                                         ListingProblems(m_destinationProblems)),
                         &m_hashDstThread);
}

void IVTDialog::CompareOnlySharedFiles()
{
    // The list is emptied by the worker, in order with its rows.
    StartOperationWorker(std::make_unique<CompareOnlySharedThread>(
                             this, m_combo4->GetSelection(), m_combo1->GetSelection(), m_combo3->GetSelection(),
                             m_srcFile, m_dstFile, m_srcDir, m_dstDir, m_pathSource.Share(), m_PathDestination.Share(),
                             m_CopyStatus,
                             ListingProblems(m_sourceProblems), ListingProblems(m_destinationProblems)),
                         &m_compareThread);
}

// Copying

void IVTDialog::CopySrcToDstFn()
{
    m_listCtrl->DeleteAllRows();
    if (ListBoth())
        StartCopy();
}

void IVTDialog::StartCopy()
{
    m_listCtrl->DeleteAllRows();
    auto worker = std::make_unique<CopySrcToDstThread>(this, m_combo1->GetSelection(), m_combo4->GetSelection(),
                                                       m_srcFile, m_srcDir, m_dstDir, m_tc2->GetValue(), m_pathSource.Share(),
                                                       m_PathDestination.Paths(), m_CopyStatus, m_CopyHappened,
                                                       ListingProblems(m_sourceProblems));
    if (!StartOperationWorker(std::move(worker), &m_copyThread))
        m_singleFileCompareAfterCopy = false;
}

void IVTDialog::CopySourceToDestinationAndCompare()
{
    m_listCtrl->DeleteAllRows();
    if (!ListBoth())
        return;
    StartOperationWorker(std::make_unique<CopySrcToDstAndCompareThread>(this, m_pathSource.Share(), m_PathDestination.Paths(),
                                                                        m_srcDir, m_dstDir, m_combo3->GetSelection(),
                                                                        ListingProblems(m_sourceProblems)),
                         &m_copyCompareThread, _("Could not create or run thread"));
}
