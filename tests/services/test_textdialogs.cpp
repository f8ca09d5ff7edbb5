#include "harness/helpers.h"

#include "korgui/textdialogs.h"

#include "korbase/ui/styledwidgets.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/stc/stc.h>
#include <wx/textctrl.h>
#include <wx/time.h>
#include <wx/uiaction.h>

#include <memory>

using namespace kortest;

namespace
{

// Finds the first window below `root` (depth first) that is a T.
template <typename T>
T* FindChild(wxWindow* root)
{
    for (wxWindow* child : root->GetChildren())
    {
        if (auto* match = dynamic_cast<T*>(child))
            return match;
        if (auto* match = FindChild<T>(child))
            return match;
    }
    return nullptr;
}

// Clicks a button with the real mouse pointer (XTest under Xvfb).
void ClickButton(wxButton* button)
{
    wxUIActionSimulator sim;
    sim.MouseMove(button->GetScreenRect().GetPosition() + button->GetSize() / 2);
    PumpFor(std::chrono::milliseconds(50));
    sim.MouseClick();
    PumpFor(std::chrono::milliseconds(50));
}

void ShowAndSettle(wxWindow* window)
{
    window->Show();
    window->Raise();
    PumpUntil([&] { return window->IsShownOnScreen(); }, std::chrono::seconds(10), "window shown");
    PumpFor(std::chrono::milliseconds(150));
}

wxString ClipboardText()
{
    wxTextDataObject data;
    if (!wxTheClipboard->Open())
        return "<clipboard not available>";
    const bool ok = wxTheClipboard->GetData(data);
    wxTheClipboard->Close();
    return ok ? data.GetText() : wxString("<no text>");
}

struct DestroyLater
{
    void operator()(wxWindow* w) const { w->Destroy(); }
};
template <typename T>
using WindowPtr = std::unique_ptr<T, DestroyLater>;

} // namespace

TEST(ScrollableTextDialog, BuildsTheTextControlAsAMonospacedReadOnlyWrappingView)
{
    const wxString content = wxString::FromUTF8("line one\n\tindented line with ünïcode\nlast line");
    WindowPtr<KorScrollableTextDialog> dlg(new KorScrollableTextDialog(nullptr, "Title", "A header", content));

    EXPECT_EQ(dlg->GetSize(), wxSize(800, 480));
    EXPECT_EQ(dlg->GetMinSize(), wxSize(400, 320));
    EXPECT_EQ(dlg->GetTitle(), "Title");
    EXPECT_TRUE(dlg->HasFlag(wxRESIZE_BORDER));
    EXPECT_TRUE(dlg->HasFlag(wxMAXIMIZE_BOX));

    auto* text = FindChild<wxStyledTextCtrl>(dlg.get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetText(), content);
    EXPECT_TRUE(text->GetReadOnly());
    EXPECT_EQ(text->GetWrapMode(), wxSTC_WRAP_WORD);
    EXPECT_EQ(text->GetTabWidth(), 2);
    EXPECT_EQ(text->StyleGetFaceName(wxSTC_STYLE_DEFAULT), "Courier New");
    EXPECT_FALSE(text->HasFlag(wxTE_PROCESS_ENTER));

    auto* header = dynamic_cast<StyledWrappingStaticText*>(wxWindow::FindWindowByName("autoResizingStaticText", dlg.get()));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetMinSize().GetHeight(), 32);

    ShowAndSettle(dlg.get());
    // The header sits above the text, both 10 pixels in from the edges.
    EXPECT_EQ(header->GetPosition().y, 10);
    EXPECT_EQ(header->GetPosition().x, 10);
    EXPECT_GE(text->GetPosition().y, header->GetRect().GetBottom() + 10);
    EXPECT_EQ(text->GetPosition().x, 10);
    EXPECT_EQ(FindChild<wxButton>(dlg.get()), nullptr);
}

TEST(ScrollableTextDialog, EmptyHeaderLeavesNoHeaderControl)
{
    WindowPtr<KorScrollableTextDialog> dlg(new KorScrollableTextDialog(nullptr, "Title", "", "content"));
    EXPECT_EQ(wxWindow::FindWindowByName("autoResizingStaticText", dlg.get()), nullptr);
    EXPECT_EQ(FindChild<wxStaticText>(dlg.get()), nullptr);
    ShowAndSettle(dlg.get());
    auto* text = FindChild<wxStyledTextCtrl>(dlg.get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetPosition().y, 10);
}

TEST(ScrollableTextDialog, SetContentReplacesTheReadOnlyText)
{
    WindowPtr<KorScrollableTextDialog> dlg(new KorScrollableTextDialog(nullptr, "Title", "", "old"));
    auto* text = FindChild<wxStyledTextCtrl>(dlg.get());
    ASSERT_NE(text, nullptr);
    text->AppendText(" typed"); // the user cannot change it either
    EXPECT_EQ(text->GetText(), "old");

    dlg->SetContent("new content\nsecond line");
    EXPECT_EQ(text->GetText(), "new content\nsecond line");
    EXPECT_TRUE(text->GetReadOnly());
}

TEST(ScrollableTextDialogOK, ButtonEndsTheModalLoopWithTwo)
{
    WindowPtr<KorScrollableTextDialogOK> dlg(
        new KorScrollableTextDialogOK(nullptr, "About", "Header", "Some text", "Close me"));
    auto* button = FindChild<wxButton>(dlg.get());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetLabel(), "Close me");

    bool clicked = false;
    dlg->CallAfter([&] {
        PumpUntil([&] { return dlg->IsShownOnScreen(); }, std::chrono::seconds(10), "dialog shown");
        PumpFor(std::chrono::milliseconds(150));
        ClickButton(button);
        clicked = true;
    });
    EXPECT_EQ(dlg->ShowModal(), 2);
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(dlg->IsShown());
}

TEST(ScrollableTextDialogOK, ButtonHidesAModelessDialog)
{
    WindowPtr<KorScrollableTextDialogOK> dlg(new KorScrollableTextDialogOK(nullptr, "About", "", "Text", "OK"));
    ShowAndSettle(dlg.get());
    auto* button = FindChild<wxButton>(dlg.get());
    ASSERT_NE(button, nullptr);
    // The button takes the middle third of its row.
    const int panelWidth = button->GetParent()->GetClientSize().GetWidth();
    EXPECT_GT(button->GetPosition().x, panelWidth / 4);
    EXPECT_LT(button->GetRect().GetRight(), panelWidth * 3 / 4);

    ClickButton(button);
    PumpUntil([&] { return !dlg->IsShown(); }, std::chrono::seconds(10), "dialog hidden");
    EXPECT_EQ(dlg->GetReturnCode(), 2);
}

TEST(ScrollableTextDialogClipCopy, CopiesItsOwnTextAndRestoresTheLabelAfterTheLastCopy)
{
    WindowPtr<KorScrollableTextDialogClipCopy> dlg(new KorScrollableTextDialogClipCopy(
        nullptr, "Report", "Header", "shown text", wxString::FromUTF8("text to cöpy\tsecond"), "Copy to Clipboard"));
    ShowAndSettle(dlg.get());
    auto* button = FindChild<wxButton>(dlg.get());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetLabel(), "Copy to Clipboard");
    EXPECT_EQ(wxWindow::FindFocus(), button);

    auto now = [] { return wxGetUTCTimeMillis().GetValue(); };
    const wxLongLong_t beforeFirst = now();
    ClickButton(button);
    EXPECT_EQ(ClipboardText(), wxString::FromUTF8("text to cöpy\tsecond"));

    // A second copy shortly after the first one.
    PumpFor(std::chrono::milliseconds(120));
    const wxLongLong_t beforeSecond = now();
    const bool secondWithinWait = beforeSecond - beforeFirst < KorScrollableTextDialogClipCopy::waitBeforeRestoringCopyLabelMillis;
    if (secondWithinWait)
    {
        EXPECT_EQ(button->GetLabel(), "Copying...");
    }
    ClickButton(button);
    EXPECT_EQ(button->GetLabel(), "Copying...");

    // The label comes back by itself, and never earlier than the wait after the second copy.
    wxLongLong_t restoredAt = 0;
    PumpUntil(
        [&] {
            if (button->GetLabel() != "Copy to Clipboard")
                return false;
            restoredAt = now();
            return true;
        },
        std::chrono::seconds(10), "copy label restored");
    EXPECT_GT(restoredAt - beforeSecond, KorScrollableTextDialogClipCopy::waitBeforeRestoringCopyLabelMillis);
}

TEST(ScrollableTextDialogClipCopy, LabelComesBackWithoutOtherEvents)
{
    WindowPtr<KorScrollableTextDialogClipCopy> dlg(
        new KorScrollableTextDialogClipCopy(nullptr, "Report", "", "shown", "copied", "Copy"));
    ShowAndSettle(dlg.get());
    auto* button = FindChild<wxButton>(dlg.get());
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
    EXPECT_EQ(button->GetLabel(), "Copying...");
    EXPECT_EQ(ClipboardText(), "copied");

    // Run the real event loop, which only idles when something happens; nothing is
    // scheduled here but a stop after well over the wait.
    wxString labelAtStop;
    wxTimer stop;
    stop.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        labelAtStop = button->GetLabel();
        wxEventLoopBase::GetActive()->Exit();
    });
    stop.StartOnce(3000);
    wxEventLoop loop;
    loop.Run();
    EXPECT_EQ(labelAtStop, "Copy");
}

TEST(TextEntryDialogWithFocus, KeepsTheFocusInTheEntryField)
{
    WindowPtr<wxFrame> other(new wxFrame(nullptr, wxID_ANY, "Other window"));
    auto* otherText = new wxTextCtrl(other.get(), wxID_ANY, "elsewhere");
    ShowAndSettle(other.get());

    WindowPtr<KorTextEntryDialogWithFocus> dlg(
        new KorTextEntryDialogWithFocus(other.get(), "Name:", "Enter a name", "initial"));
    wxTextCtrl* entry = nullptr;
    wxWindow* focusAfterShow = nullptr;
    wxWindow* focusAfterRepaint = nullptr;
    dlg->CallAfter([&] {
        PumpUntil([&] { return dlg->IsShownOnScreen(); }, std::chrono::seconds(10), "dialog shown");
        PumpFor(std::chrono::milliseconds(200));
        entry = FindChild<wxTextCtrl>(dlg.get());
        focusAfterShow = wxWindow::FindFocus();

        // Something moves the focus to the OK button; the next paint brings it back.
        if (auto* ok = wxDynamicCast(dlg->FindWindow(wxID_OK), wxButton))
            ok->SetFocus();
        PumpFor(std::chrono::milliseconds(100));
        dlg->Refresh();
        dlg->Update();
        PumpFor(std::chrono::milliseconds(200));
        focusAfterRepaint = wxWindow::FindFocus();

        dlg->EndModal(wxID_OK);
    });
    EXPECT_EQ(dlg->ShowModal(), wxID_OK);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(focusAfterShow, entry);
    EXPECT_EQ(focusAfterRepaint, entry);
    EXPECT_EQ(otherText->GetValue(), "elsewhere");
}
