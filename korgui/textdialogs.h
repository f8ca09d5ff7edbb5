#pragma once

#include <wx/dialog.h>
#include <wx/textdlg.h>
#include <wx/timer.h>

#include <cstdint>

class wxBoxSizer;
class wxButton;
class wxIdleEvent;
class wxKeyEvent;
class wxPanel;
class wxPaintEvent;
class wxStyledTextCtrl;

// A resizable dialog showing a long read-only text in a monospaced, word-wrapping
// control, with an optional header line above it. Escape closes it; Return presses
// its button, if it has one, wherever the focus is.
class KorScrollableTextDialogBase : public wxDialog
{
public:
    KorScrollableTextDialogBase(wxWindow* parent, const wxString& title, const wxString& header,
                                const wxString& content);
    virtual ~KorScrollableTextDialogBase() = default;

    // Replaces the text shown; works although the control is read-only.
    void SetContent(const wxString& content);

protected:
    // Adds the row with `button` in its middle third under the text; the button
    // takes the focus.
    void AddButtonRow(wxButton* button);

    wxPanel* m_panel = nullptr;
    wxBoxSizer* m_sizer = nullptr;
    wxStyledTextCtrl* m_text = nullptr;

private:
    void OnCharHook(wxKeyEvent& event);

    wxButton* m_button = nullptr;
};

// The text alone; closed from the title bar.
class KorScrollableTextDialog : public KorScrollableTextDialogBase
{
public:
    KorScrollableTextDialog(wxWindow* parent, const wxString& title, const wxString& header,
                            const wxString& content);
    virtual ~KorScrollableTextDialog() = default;
};

// The text with one closing button. The button ends the dialog with the return
// code 2 (not wxID_OK), which hosts test for.
class KorScrollableTextDialogOK : public KorScrollableTextDialogBase
{
public:
    KorScrollableTextDialogOK(wxWindow* parent, const wxString& title, const wxString& header,
                              const wxString& content, const wxString& buttonLabel);
    virtual ~KorScrollableTextDialogOK() = default;

    void OnButtonOK(wxCommandEvent& event);
};

// The text with a button that puts a text (not necessarily the one shown) on the
// clipboard. The button says "Copying..." until shortly after the last copy.
class KorScrollableTextDialogClipCopy : public KorScrollableTextDialogBase
{
public:
    KorScrollableTextDialogClipCopy(wxWindow* parent, const wxString& title, const wxString& header,
                                    const wxString& content, const wxString& textToCopy,
                                    const wxString& buttonLabel);
    virtual ~KorScrollableTextDialogClipCopy() = default;

    void OnButtonCopy(wxCommandEvent& event);
    void OnIdle(wxIdleEvent& event);

    static const int waitBeforeRestoringCopyLabelMillis;

private:
    wxString m_textToCopy;
    wxButton* m_copyButton = nullptr;
    wxString m_copyLabel;
    // UTC milliseconds of the last copy; -1 when no label restore is pending.
    std::int64_t m_copyTime = -1;
    wxTimer m_wakeUpTimer;
};

// A text entry dialog that keeps the keyboard focus in its entry field, even when
// the host's other windows would take it when the dialog appears.
class KorTextEntryDialogWithFocus : public wxTextEntryDialog
{
public:
    KorTextEntryDialogWithFocus(wxWindow* parent, const wxString& message,
                                const wxString& caption = wxGetTextFromUserPromptStr,
                                const wxString& value = wxString(), long style = wxTextEntryDialogStyle,
                                const wxPoint& pos = wxDefaultPosition);
    virtual ~KorTextEntryDialogWithFocus() = default;

    void OnShow(wxPaintEvent& event);
};
