#pragma once

// Shared helpers of the test binaries: event pumping, temporary trees and modal
// dialog expectations. Every test binary runs with HOME and XDG_CONFIG_HOME pointing
// into a fresh temporary folder (see testmain.cpp); TestHome() names it.

#include <wx/dirdlg.h>
#include <wx/msgdlg.h>
#include <wx/string.h>
#include <wx/testing.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace kortest
{

// The temporary home folder of this test binary.
wxString TestHome();

// Dispatches pending events until `condition` holds; fails the current test (and
// returns false) when it does not hold within `timeout`.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(30),
               const char* what = "condition");

// Dispatches pending events for about `duration`.
void PumpFor(std::chrono::milliseconds duration);

// A fresh folder under the test home, removed with everything in it on destruction.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const wxString& Path() const { return m_path; }
    // Full path of `relative` inside this folder (with '/' between levels).
    wxString operator/(const wxString& relative) const;

    // Writes `content` to `relative`, creating the folders on the way; returns the full path.
    wxString WriteFile(const wxString& relative, const std::string& content) const;
    wxString MakeDir(const wxString& relative) const;

private:
    wxString m_path;
};

// Runs a shell command and returns its standard output (trailing newline removed).
std::string Shell(const std::string& command);

// Quotes `text` for the shell.
std::string ShellQuote(const wxString& text);

// The first field of what a coreutils digest tool ("md5sum", "sha256sum", ...) prints for `path`.
std::string CoreutilsHash(const std::string& tool, const wxString& path);

// Reads a whole file as bytes.
std::string ReadFileBytes(const wxString& path);

// The one answer to a message box that the tests use, with wxTEST_DIALOG:
//     wxTEST_DIALOG(d->Run(), kortest::ExpectMessageBox("Error").Containing("no space"));
// It checks the caption (when given) and the text (equal to `Text`, or holding each
// `Containing` part), records the text when asked, and answers OK or `Answer`.
class ExpectMessageBox : public wxExpectModalBase<wxMessageDialog, ExpectMessageBox>
{
public:
    explicit ExpectMessageBox(const wxString& caption = wxString())
        : m_caption(caption), m_checkCaption(!caption.empty())
    {
    }

    // Copies, not references: wxTEST_DIALOG keeps what it is given by const reference,
    // which extends the life of a temporary but not of a reference to one.
    ExpectMessageBox Text(const wxString& text) const
    {
        return With([&](ExpectMessageBox& e) { e.m_text = text, e.m_checkText = true; });
    }
    ExpectMessageBox Containing(const wxString& part) const
    {
        return With([&](ExpectMessageBox& e) { e.m_parts.push_back(part); });
    }
    ExpectMessageBox Answer(int result) const
    {
        return With([&](ExpectMessageBox& e) { e.m_result = result; });
    }
    ExpectMessageBox Record(wxString* text) const
    {
        return With([&](ExpectMessageBox& e) { e.m_record = text; });
    }
    // The tool's own boxes: kept on top, OK and the information icon.
    ExpectMessageBox ToolStyle() const
    {
        return With([](ExpectMessageBox& e) { e.m_toolStyle = true; });
    }

protected:
    int OnInvoked(wxMessageDialog* dlg) const override;
    wxString GetDefaultDescription() const override { return "message box \"" + m_caption + m_text + "\""; }

private:
    template <class Change>
    ExpectMessageBox With(Change change) const
    {
        ExpectMessageBox e(*this);
        change(e);
        return e;
    }

    wxString m_caption;
    bool m_checkCaption = false;
    wxString m_text;
    bool m_checkText = false;
    std::vector<wxString> m_parts;
    bool m_toolStyle = false;
    int m_result = wxID_OK;
    wxString* m_record = nullptr;
};

// Answers a folder picker (wxDirDialog), which wx/testing.h has no expectation for:
// sets the chosen path and returns `result`.
class ExpectDirDialog : public wxExpectModalBase<wxDirDialog>
{
public:
    ExpectDirDialog(const wxString& path, int result = wxID_OK) : m_path(path), m_result(result) {}

protected:
    int OnInvoked(wxDirDialog* dlg) const override;
    wxString GetDefaultDescription() const override;

private:
    wxString m_path;
    int m_result;
};

} // namespace kortest
