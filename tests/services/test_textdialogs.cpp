// The shared text dialogs with the real keyboard and pointer (XTest under Xvfb).

#include "harness/helpers.h"

#include "korgui/textdialogs.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/stc/stc.h>
#include <wx/uiaction.h>

using namespace kortest;

namespace
{

template <typename T>
T* FindChild(wxWindow* root)
{
    for (wxWindow* child : root->GetChildren())
        if (T* match = dynamic_cast<T*>(child) ? dynamic_cast<T*>(child) : FindChild<T>(child))
            return match;
    return nullptr;
}

// Once the modal dialog shows, puts the focus into its text, presses `key` there and
// runs `then`.
void PressInTheTextOnceShown(wxDialog* dlg, int key, std::function<void()> then = [] {})
{
    dlg->CallAfter([dlg, key, then] {
        PumpUntil([dlg] { return dlg->IsShownOnScreen(); }, std::chrono::seconds(10), "dialog shown");
        PumpFor(std::chrono::milliseconds(150));
        FindChild<wxStyledTextCtrl>(dlg)->SetFocus();
        PumpFor(std::chrono::milliseconds(50));
        wxUIActionSimulator().Char(key);
        then();
    });
}

wxString ClipboardText()
{
    wxTextDataObject data;
    wxTheClipboard->Open() && wxTheClipboard->GetData(data);
    wxTheClipboard->Close();
    return data.GetText();
}

} // namespace

TEST(ScrollableTextDialogs, ReturnPressesTheButtonAndEscapeCloses)
{
    // About: Return in the text presses the closing button, whose code is 2.
    auto* about = new KorScrollableTextDialogOK(nullptr, "About", "Header", "Some text", "Close");
    PressInTheTextOnceShown(about, WXK_RETURN);
    EXPECT_EQ(about->ShowModal(), 2);
    EXPECT_EQ(FindChild<wxStyledTextCtrl>(about)->GetText(), "Some text");
    about->Destroy();

    // The report: Escape closes it; Return copies, and the label returns after the wait.
    auto* report = new KorScrollableTextDialogClipCopy(nullptr, "Report", "", "shown", "copied\ttext", "Copy");
    PressInTheTextOnceShown(report, WXK_ESCAPE);
    EXPECT_EQ(report->ShowModal(), wxID_CANCEL);
    PressInTheTextOnceShown(report, WXK_RETURN, [report] {
        const auto pressed = std::chrono::steady_clock::now();
        PumpUntil([] { return ClipboardText() == "copied\ttext"; }, std::chrono::seconds(10), "copy");
        PumpUntil([&] { return FindChild<wxButton>(report)->GetLabel() == "Copy"; }, std::chrono::seconds(10),
                  "label back after the copy");
        EXPECT_GE(std::chrono::steady_clock::now() - pressed,
                  std::chrono::milliseconds(KorScrollableTextDialogClipCopy::waitBeforeRestoringCopyLabelMillis));
        report->EndModal(wxID_OK);
    });
    EXPECT_EQ(report->ShowModal(), wxID_OK);
    report->Destroy();

    // What's New, modeless: Escape hides it.
    auto* news = new KorScrollableTextDialog(nullptr, "What's New", "Header", "News");
    news->Show();
    PumpUntil([news] { return news->IsActive(); }, std::chrono::seconds(10), "dialog active");
    wxUIActionSimulator().Char(WXK_ESCAPE);
    PumpUntil([news] { return !news->IsShown(); }, std::chrono::seconds(10), "dialog closed");
    news->Destroy();
}
