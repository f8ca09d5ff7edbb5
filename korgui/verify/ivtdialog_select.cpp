#include "korgui/ivtdialog.h"

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/ivtworkers.h"
#include "korgui/verify/pathchecks.h"
#include "korgui/verify/progresslabel.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/workerevents.h"

#include <wx/choice.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

void IVTDialog::SetSourcePath(const wxString& path)
{
    const int target = wxFileExists(path) ? IVT_TARGET_SINGLE_FILE : IVT_TARGET_SUBFOLDERS;
    if (m_combo4->GetSelection() != target)
    {
        m_combo4->SetSelection(target);
        wxCommandEvent choice(wxEVT_CHOICE, m_combo4->GetId());
        choice.SetInt(target);
        RecursiveComboBoxFile(choice);
    }
    m_tc1->ChangeValue(path);
    wxCommandEvent enter(wxEVT_TEXT_ENTER, m_tc1->GetId());
    ForTheEnterEventTc1(enter);
}

void IVTDialog::OnClick__PathSource(wxCommandEvent&)
{
    const int operation = m_combo1->GetSelection();
    const int target = m_combo4->GetSelection();
    // The pickers belong to this dialog, which stays on top: a picker without a
    // parent could open behind it.
    if (target == IVT_TARGET_SINGLE_FILE)
    {
        const wxString file = wxFileSelector(_("Choose a file"), m_SrcdefaultPath, wxString(), wxString(),
                                             wxFileSelectorDefaultWildcardStr, wxFD_OPEN, this);
        if (!wxFileExists(file))
            return;
        if (IvtIsCopyOperation(operation) && m_tc1->GetValue() != file && !m_tc1->GetValue().empty())
            CleanNoButton();
        m_srcFile = file;
        m_tc1->ChangeValue(file);
        m_SrcdefaultPath = wxPathOnly(file);
        if (IvtIsCopyOperation(operation))
        {
            m_pathSource.push_back(file);
            m_srcDir = wxPathOnly(file);
        }
        return;
    }

    const wxString folder =
        wxDirSelector(_("Choose a folder"), m_SrcdefaultPath, wxDD_DEFAULT_STYLE, wxDefaultPosition, this);
    if (folder.empty() || !wxDirExists(folder))
        return;
    m_tmp_SrcDir = folder;
    const SourceFolderPick pick = CheckSourceFolderPick(folder, target);
    for (const ToolMessage& message : pick.messages)
        Message(message);
    if (pick.outcome == SourcePickOutcome::RefuseAndIncludeSubfolders)
        m_combo4->SetSelection(IVT_TARGET_SUBFOLDERS);
    else if (pick.outcome == SourcePickOutcome::Accept)
        m_tc1->ChangeValue(folder);
    m_SrcdefaultPath = m_tmp_SrcDir;
}

void IVTDialog::OnClick__PathDst(wxCommandEvent&)
{
    if (WantsDestinationFile(m_combo4->GetSelection(), m_combo1->GetSelection()))
    {
        const wxString file = wxFileSelector(_("Choose a file"), m_dstDefaultPathId, wxString(), wxString(),
                                             wxFileSelectorDefaultWildcardStr, wxFD_OPEN, this);
        if (file.empty())
        {
            Message(DestinationFilePickCancelled());
            return;
        }
        m_dstFile = file;
        m_tc2->ChangeValue(file);
        m_dstDefaultPathId = wxPathOnly(file);
        return;
    }

    const wxString folder =
        wxDirSelector(_("Choose a folder"), m_dstDefaultPathId, wxDD_DEFAULT_STYLE, wxDefaultPosition, this);
    if (folder.empty())
        return;
    const ToolMessage warning = DestinationChangeWarning(m_CopyStatus, m_tc2->GetValue(), m_dstDefaultDir);
    if (warning.IsSet())
    {
        Message(warning);
        m_CopyStatus = false;
        m_CopyHappened = false;
        m_PathDestination.clear();
        m_listCtrl->DeleteAllRows();
    }
    m_tmp_DstDir = folder;
    m_tc2->ChangeValue(folder);
    m_dstDefaultPathId = folder;
}

bool IVTDialog::RefusePathEntry(wxTextCtrl* field, const PathEntryCheck& check)
{
    if (check.outcome == PathEntryOutcome::Accept)
        return false;
    Message(check.message);
    field->ChangeValue(check.outcome == PathEntryOutcome::RestoreDefault ? m_dstDefaultDir : wxString());
    return true;
}

void IVTDialog::ForTheEnterEventTc1(wxCommandEvent&)
{
    if (m_runningThreads > 0)
        return;
    const wxString text = m_tc1->GetValue();
    const int target = m_combo4->GetSelection();
    if (RefusePathEntry(m_tc1, CheckSourceEntry(text, target, m_dstDefaultDir)))
        return;
    if (target != IVT_TARGET_SINGLE_FILE)
    {
        m_tmp_SrcDir = text;
        m_SrcdefaultPath = text;
        return;
    }
    m_srcFile = text;
    m_SrcdefaultPath = wxPathOnly(text);
    if (IvtIsCopyOperation(m_combo1->GetSelection()))
    {
        m_CopyHappened = false;
        m_PathDestination.clear();
        m_listCtrl->DeleteAllRows();
        m_pathSource = {text};
        m_srcDir = wxPathOnly(text);
    }
}

void IVTDialog::ForTheEnterEventTc2(wxCommandEvent&)
{
    if (m_runningThreads > 0)
        return;
    const wxString text = m_tc2->GetValue();
    const int target = m_combo4->GetSelection();
    const int operation = m_combo1->GetSelection();
    if (RefusePathEntry(m_tc2, CheckDestinationEntry(text, target, operation, m_dstDefaultDir)))
        return;
    if (WantsDestinationFile(target, operation))
    {
        m_dstFile = text;
        m_dstDefaultPathId = wxPathOnly(text);
        return;
    }
    m_tmp_DstDir = text;
    m_CopyStatus = false;
    m_CopyHappened = false;
    m_listCtrl->DeleteAllRows();
    m_progress->Show(_("Progress: 0%"));
    m_dstDefaultPathId = text;
}

bool IVTDialog::RunListingWorker(std::unique_ptr<MyThread> worker)
{
    if (worker->Create() != wxTHREAD_NO_ERROR || worker->Run() != wxTHREAD_NO_ERROR)
    {
        Message(wxString(), _("Could not create thread"));
        return true;
    }
    ++m_runningThreads;
    // Events are dispatched while waiting, so the dialog may be destroyed meanwhile
    // (its host closing, say): then its channel is detached, the worker ends, and
    // this frame must not touch the dialog again.
    const wxWeakRef<IVTDialog> self(this);
    const std::shared_ptr<WorkerEventChannel> events = m_workerEvents;
    // Its immediate events need the GUI thread, and its queued ones are to be seen
    // when the listing returns.
    WaitDispatchingEvents([&] { return worker->HasEnded() && (events->IsDetached() || events->InFlight() == 0); });
    worker->Wait();
    if (!self)
        return false;
    --m_runningThreads;
    return true;
}

bool IVTDialog::ListSource()
{
    return RunListingWorker(std::make_unique<SourceChoiceT>(this, m_combo4->GetSelection(), m_srcFile,
                                                            m_tc1->GetValue(), m_combo1->GetSelection(),
                                                            m_listCtrl->RowCount(), m_tmp_SrcDir));
}

bool IVTDialog::ListDestination()
{
    return RunListingWorker(std::make_unique<DestinationChoiceT>(
        this, m_combo4->GetSelection(), m_dstFile, m_pathSource.size(), m_combo1->GetSelection(),
        m_listCtrl->RowCount(), m_tmp_DstDir, m_dstDir, m_PathDestination.size()));
}

bool IVTDialog::ListBoth()
{
    return ListSource() && ListDestination();
}

void IVTDialog::SourceChoice()
{
    ListSource();
}

void IVTDialog::DestinationChoice()
{
    ListDestination();
}
