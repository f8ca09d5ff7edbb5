#pragma once

// The copy-and-verify dialog on the display for tests: user actions, running an
// operation from Run to its end, and the files it leaves on the desktop.

#include "harness/helpers.h"

#include "korgui/ivtdialog.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/ivtworkers.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/workerevents.h"

#include "korbase/files.h"
#include "korbase/hash.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dir.h>
#include <wx/modalhook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <vector>

namespace kortest
{

// Fails the test on any modal dialog that no wxTEST_DIALOG expects, and closes it
// instead of blocking the run.
class UnexpectedModalGuard : public wxModalDialogHook
{
public:
    UnexpectedModalGuard() { Register(); }
    ~UnexpectedModalGuard() override { Unregister(); }

protected:
    int Enter(wxDialog* dialog) override
    {
        wxString text = dialog->GetTitle();
        if (auto* message = dynamic_cast<wxMessageDialog*>(dialog))
            text += " / " + message->GetMessage();
        ADD_FAILURE() << "unexpected modal dialog: " << text.utf8_string();
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

inline void Click(wxButton* button)
{
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    button->ProcessWindowEvent(click);
}

// Picks an item the way the user does: the selection changes, then the choice event.
inline void Choose(wxChoice* choice, int selection)
{
    choice->SetSelection(selection);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetInt(selection);
    choice->ProcessWindowEvent(event);
}

// Types `text` into a path field and presses Enter.
inline void Enter(wxTextCtrl* field, const wxString& text)
{
    field->ChangeValue(text);
    wxCommandEvent enter(wxEVT_TEXT_ENTER, field->GetId());
    field->ProcessWindowEvent(enter);
}

// The nine controls Run disables and AbleWidgetsAgain enables.
inline bool AllEnabled(IVTDialog* d)
{
    for (wxWindow* control : std::initializer_list<wxWindow*>{d->m_combo1, d->m_combo2, d->m_combo3, d->m_combo4,
                                                              d->m_buttonSrc, d->m_buttonDst, d->m_buttonRun,
                                                              d->m_buttonNoDuplicates, d->m_buttonClean})
        if (!control->IsEnabled())
            return false;
    return true;
}

// Dispatches events until every worker has ended and been deleted and every event
// they sent has been handled.
inline void WaitUntilIdle(IVTDialog* d)
{
    PumpUntil([d] { return d->m_runningThreads == 0 && d->GetWorkerEvents()->InFlight() == 0 &&
                           MyThread::LiveCount() == 0; },
              std::chrono::seconds(120), "operation ended");
}

// The logs on the desktop, removed from it so that the next operation's log stands alone.
inline std::vector<wxString> TakeDesktopLogs()
{
    wxArrayString found;
    wxDir::GetAllFiles(GetUserDesktopPath(), &found, "log*.tsv", wxDIR_FILES);
    std::vector<wxString> logs(found.begin(), found.end());
    for (const wxString& log : logs)
        wxRemoveFile(log);
    return logs;
}

// True when the two files hold the same bytes, by cmp.
inline bool SameBytes(const wxString& a, const wxString& b)
{
    return Shell("cmp -s " + ShellQuote(a) + " " + ShellQuote(b) + " && echo same") == "same";
}

class IvtDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        stopPressed = false;
        dialog = new IVTDialog(nullptr, AppVersion(), "Copy and Verify");
        dialog->Show();
        PumpFor(std::chrono::milliseconds(50));
        TakeDesktopLogs();
    }

    void TearDown() override
    {
        // Workers still running at the toolkit's shutdown would crash it.
        PumpUntil([] { return MyThread::LiveCount() == 0; }, std::chrono::seconds(30), "workers ended");
        if (IVTDialog* d = dialog.get())
        {
            d->m_runningThreads = 0;
            d->Destroy();
        }
        PumpUntil([this] { return !dialog; }, std::chrono::seconds(10), "dialog destroyed");
    }

    // Chooses target, operation, source and (when given) destination the way the user
    // does, presses Run and waits for the operation's end.
    void RunToEnd(const wxString& source, const wxString& destination, int operation,
                  int target = IVT_TARGET_SUBFOLDERS)
    {
        IVTDialog* d = dialog.get();
        Choose(d->m_combo4, target);
        Choose(d->m_combo1, operation);
        Enter(d->m_tc1, source);
        if (!destination.empty())
            Enter(d->m_tc2, destination);
        Click(d->m_buttonRun);
        WaitUntilIdle(d);
    }

    std::vector<wxString> Cells(long row) const
    {
        std::vector<wxString> cells;
        for (int c = 0; c < ResultRows::COLUMNS; ++c)
            cells.push_back(dialog->m_listCtrl->GetCell(row, c));
        return cells;
    }

    bool RowIsRed(long row) const { return dialog->m_listCtrl->GetRowTextColour(row) == *wxRED; }

    wxString Progress() const { return dialog->m_progressText->GetLabelText(); }

    UnexpectedModalGuard guard;
    wxWeakRef<IVTDialog> dialog;
};

} // namespace kortest
