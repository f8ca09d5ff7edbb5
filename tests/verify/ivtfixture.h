#pragma once

// Shared by the tests of the copy-and-verify dialog: a real dialog on the display,
// message-box expectations that check caption and text, and a worker thread that
// sends a script of protocol events the way the tool's workers do.

#include "harness/helpers.h"

#include "korgui/ivtdialog.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/ivtworkers.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/workerevents.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <atomic>
#include <memory>
#include <vector>

namespace kortest
{

// A message box with exactly this caption and text, shown the dialog's way
// (information icon, OK, stays on top); answered with OK.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog>
{
public:
    ExpectMessage(const wxString& caption, const wxString& message) : m_caption(caption), m_message(message) {}

protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        EXPECT_EQ(dlg->GetCaption().utf8_string(), m_caption.utf8_string());
        EXPECT_EQ(dlg->GetMessage().utf8_string(), m_message.utf8_string());
        const long style = dlg->GetMessageDialogStyle();
        EXPECT_TRUE(style & wxSTAY_ON_TOP);
        EXPECT_TRUE(style & wxICON_INFORMATION);
        EXPECT_TRUE(style & wxOK);
        return wxID_OK;
    }
    wxString GetDefaultDescription() const override { return "message \"" + m_message + "\""; }

private:
    wxString m_caption;
    wxString m_message;
};

// A file picker answered with `path` (or cancelled); records what it was opened with.
class ExpectFileDialog : public wxExpectModalBase<wxFileDialog>
{
public:
    explicit ExpectFileDialog(const wxString& path, int result = wxID_OK, wxString* startFolder = nullptr)
        : m_path(path), m_result(result), m_startFolder(startFolder)
    {
    }

protected:
    int OnInvoked(wxFileDialog* dlg) const override
    {
        EXPECT_EQ(dlg->GetMessage(), "Choose a file");
        if (m_startFolder)
            *m_startFolder = dlg->GetDirectory();
        if (m_result != wxID_OK)
            return m_result;
        // GTK takes the path asynchronously.
        dlg->SetPath(m_path);
        PumpUntil([dlg] { return !dlg->GetPath().empty(); }, std::chrono::seconds(10), "file picker path");
        return wxID_OK;
    }
    wxString GetDefaultDescription() const override { return "file picker answered with " + m_path; }

private:
    wxString m_path;
    int m_result;
    wxString* m_startFolder;
};

// Fails the test on any modal dialog that no wxTEST_DIALOG expects, and closes it
// instead of blocking the test run.
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
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

// Picks an item the way the user does: the selection changes, then the choice event.
inline void Choose(wxChoice* choice, int selection)
{
    choice->SetSelection(selection);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetInt(selection);
    event.SetEventObject(choice);
    choice->ProcessWindowEvent(event);
}

// Types `text` into a path field and presses Enter.
inline void Enter(wxTextCtrl* field, const wxString& text)
{
    field->ChangeValue(text);
    wxCommandEvent enter(wxEVT_TEXT_ENTER, field->GetId());
    enter.SetString(text);
    enter.SetEventObject(field);
    field->ProcessWindowEvent(enter);
}

// The nine controls Run disables and AbleWidgetsAgain enables.
inline std::vector<wxWindow*> CommandControls(IVTDialog* d)
{
    return {d->m_combo1, d->m_combo2, d->m_combo3, d->m_combo4, d->m_buttonSrc,
            d->m_buttonDst, d->m_buttonRun, d->m_buttonNoDuplicates, d->m_buttonClean};
}

inline void DisableCommandControls(IVTDialog* d)
{
    for (wxWindow* control : CommandControls(d))
        control->Disable();
}

inline bool AllEnabled(IVTDialog* d)
{
    for (wxWindow* control : CommandControls(d))
        if (!control->IsEnabled())
            return false;
    return true;
}

inline bool NoneEnabled(IVTDialog* d)
{
    for (wxWindow* control : CommandControls(d))
        if (control->IsEnabled())
            return false;
    return true;
}

// One protocol event of a worker's script.
struct Step
{
    Step(int id_, int value_ = 0, const wxString& text_ = wxString(), bool immediate_ = false,
         void* handOver_ = nullptr)
        : id(id_), value(value_), text(text_), immediate(immediate_), handOver(handOver_)
    {
    }

    int id;
    int value;
    wxString text;
    bool immediate;
    void* handOver; // immediate events only
};

// A worker that sends its script in order, then ends.
class ScriptWorker : public MyThread
{
public:
    ScriptWorker(IVTDialog* dialog, std::vector<Step> steps)
        : MyThread(dialog, wxTHREAD_JOINABLE), m_steps(std::move(steps))
    {
    }

    std::atomic<bool> finished{false};

protected:
    ExitCode Entry() override
    {
        for (const Step& s : m_steps)
        {
            if (s.immediate)
                Send(s.id, s.value, s.text, s.handOver);
            else
                Post(s.id, s.value, s.text);
        }
        finished = true;
        return nullptr;
    }

private:
    const std::vector<Step> m_steps;
};

// Runs a script on a real worker thread and dispatches events until every one of
// them has been handled.
inline void RunScript(IVTDialog* dialog, std::vector<Step> steps)
{
    auto worker = std::make_unique<ScriptWorker>(dialog, std::move(steps));
    ASSERT_EQ(worker->Run(), wxTHREAD_NO_ERROR);
    WaitDispatchingEvents([&] { return worker->finished.load() && dialog->GetWorkerEvents()->InFlight() == 0; });
    worker->Wait();
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
    }

    void TearDown() override
    {
        if (IVTDialog* d = dialog.get())
        {
            d->m_runningThreads = 0;
            d->Destroy();
        }
        PumpUntil([this] { return !dialog; }, std::chrono::seconds(10), "dialog destroyed");
    }

    std::vector<wxString> Cells(long row) const
    {
        std::vector<wxString> cells;
        for (int c = 0; c < ResultRows::COLUMNS; ++c)
            cells.push_back(dialog->m_listCtrl->GetCell(row, c));
        return cells;
    }

    wxString Progress() const { return dialog->m_progressText->GetLabelText(); }

    UnexpectedModalGuard guard;
    wxWeakRef<IVTDialog> dialog;
};

} // namespace kortest
