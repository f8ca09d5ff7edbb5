#include "korgui/textdialogs.h"

#include "korbase/ui/styledwidgets.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stc/stc.h>
#include <wx/textctrl.h>
#include <wx/time.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

const int KorScrollableTextDialogClipCopy::waitBeforeRestoringCopyLabelMillis = 250;

namespace
{

const long scrollableTextDialogStyle = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxMINIMIZE_BOX | wxMAXIMIZE_BOX |
                                       wxRESIZE_BORDER | wxCLIP_CHILDREN | wxBORDER_THEME;

// The dialogs carry the host application's icon: that of its main window.
wxIconBundle ApplicationIcons()
{
    if (wxTheApp)
    {
        if (const auto* top = wxDynamicCast(wxTheApp->GetTopWindow(), wxTopLevelWindow))
            return top->GetIcons();
    }
    return wxIconBundle();
}

} // namespace

KorScrollableTextDialogBase::KorScrollableTextDialogBase(wxWindow* parent, const wxString& title,
                                                         const wxString& header, const wxString& content)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxSize(800, 480), scrollableTextDialogStyle)
{
    m_panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER);
    m_sizer = new wxBoxSizer(wxVERTICAL);
    m_panel->SetSizer(m_sizer);
    const wxIconBundle icons = ApplicationIcons();
    if (!icons.IsEmpty())
        SetIcons(icons);
    SetMinSize(wxSize(400, 320));

    if (!header.empty())
    {
        auto* headerText = new StyledWrappingStaticText(m_panel, wxID_ANY, header, wxDefaultPosition,
                                                        wxDefaultSize, 0, "autoResizingStaticText");
        headerText->SetMinSize(wxSize(-1, 32));
        m_sizer->Add(headerText, wxSizerFlags(0).Expand().Border(wxLEFT | wxRIGHT | wxTOP, 10));
    }

    m_text = new wxStyledTextCtrl(m_panel, wxID_ANY);
    m_text->StyleSetFaceName(wxSTC_STYLE_DEFAULT, "Courier New");
    m_text->StyleClearAll(); // every style starts from the default one, so all text is monospaced
    m_text->SetWrapMode(wxSTC_WRAP_WORD);
    m_text->SetTabWidth(2);
    // A text to read: no margins for line numbers or markers, no blinking caret.
    for (int margin = 0; margin < m_text->GetMarginCount(); ++margin)
        m_text->SetMarginWidth(margin, 0);
    m_text->SetMarginLeft(6);
    m_text->SetMarginRight(6);
    m_text->SetCaretStyle(wxSTC_CARETSTYLE_INVISIBLE);
    SetContent(content);
    m_text->SetWindowStyleFlag(m_text->GetWindowStyleFlag() & ~wxTE_PROCESS_ENTER);
    m_sizer->Add(m_text, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT | wxTOP, 10));

    m_sizer->AddSpacer(1);
    CentreOnParent(wxBOTH);
    Bind(wxEVT_CHAR_HOOK, &KorScrollableTextDialogBase::OnCharHook, this);
}

void KorScrollableTextDialogBase::OnCharHook(wxKeyEvent& event)
{
    // Ahead of the text control, which would take both keys for itself.
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE && !event.HasAnyModifiers())
    {
        Close();
    }
    else if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers() && m_button)
    {
        wxCommandEvent press(wxEVT_BUTTON, m_button->GetId());
        press.SetEventObject(m_button);
        m_button->ProcessWindowEvent(press);
    }
    else
    {
        event.Skip();
    }
}

void KorScrollableTextDialogBase::SetContent(const wxString& content)
{
    m_text->SetReadOnly(false);
    m_text->SetText(content);
    m_text->EmptyUndoBuffer(); // nothing to take back to
    m_text->SetReadOnly(true);
}

void KorScrollableTextDialogBase::AddButtonRow(wxButton* button)
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxPanel(m_panel), wxSizerFlags(1).Border(wxALL));
    row->Add(button, wxSizerFlags(1).Border(wxALL));
    row->Add(new wxPanel(m_panel), wxSizerFlags(1).Border(wxALL));
    m_sizer->Add(row, wxSizerFlags(0).Expand().Border(wxALL, 5));
    m_button = button;
    button->SetDefault();
    button->SetFocus();
}

KorScrollableTextDialog::KorScrollableTextDialog(wxWindow* parent, const wxString& title, const wxString& header,
                                                 const wxString& content)
    : KorScrollableTextDialogBase(parent, title, header, content)
{
    m_sizer->AddSpacer(10);
}

KorScrollableTextDialogOK::KorScrollableTextDialogOK(wxWindow* parent, const wxString& title,
                                                     const wxString& header, const wxString& content,
                                                     const wxString& buttonLabel)
    : KorScrollableTextDialogBase(parent, title, header, content)
{
    auto* button = new wxButton(m_panel, wxID_ANY, buttonLabel);
    AddButtonRow(button);
    button->Bind(wxEVT_BUTTON, &KorScrollableTextDialogOK::OnButtonOK, this);
}

void KorScrollableTextDialogOK::OnButtonOK(wxCommandEvent&)
{
    if (IsModal())
    {
        EndModal(2);
    }
    else
    {
        SetReturnCode(2);
        Hide();
    }
}

KorScrollableTextDialogClipCopy::KorScrollableTextDialogClipCopy(wxWindow* parent, const wxString& title,
                                                                 const wxString& header, const wxString& content,
                                                                 const wxString& textToCopy,
                                                                 const wxString& buttonLabel)
    : KorScrollableTextDialogBase(parent, title, header, content), m_textToCopy(textToCopy),
      m_copyLabel(buttonLabel)
{
    m_copyButton = new wxButton(m_panel, wxID_ANY, buttonLabel);
    AddButtonRow(m_copyButton);
    m_copyButton->Bind(wxEVT_BUTTON, &KorScrollableTextDialogClipCopy::OnButtonCopy, this);
    Bind(wxEVT_IDLE, &KorScrollableTextDialogClipCopy::OnIdle, this);
    m_wakeUpTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        const std::int64_t left = m_copyTime + waitBeforeRestoringCopyLabelMillis + 1 - wxGetUTCTimeMillis().GetValue();
        if (m_copyTime > -1 && left > 0)
            m_wakeUpTimer.StartOnce(static_cast<int>(left));
        else
            wxWakeUpIdle();
    });
}

void KorScrollableTextDialogClipCopy::OnButtonCopy(wxCommandEvent&)
{
    m_copyButton->SetLabel(_("Copying..."));
    m_copyTime = wxGetUTCTimeMillis().GetValue();
    if (wxTheClipboard->Open())
    {
        wxTheClipboard->SetData(new wxTextDataObject(m_textToCopy));
        wxTheClipboard->Close();
    }
    // An application with nothing to do gets no idle events: wake it once the wait is over.
    m_wakeUpTimer.StartOnce(waitBeforeRestoringCopyLabelMillis + 1);
}

void KorScrollableTextDialogClipCopy::OnIdle(wxIdleEvent& event)
{
    event.Skip();
    if (m_copyTime > -1 && wxGetUTCTimeMillis().GetValue() - m_copyTime > waitBeforeRestoringCopyLabelMillis)
    {
        m_copyButton->SetLabel(m_copyLabel);
        m_copyTime = -1;
    }
}

KorTextEntryDialogWithFocus::KorTextEntryDialogWithFocus(wxWindow* parent, const wxString& message,
                                                         const wxString& caption, const wxString& value,
                                                         long style, const wxPoint& pos)
    : wxTextEntryDialog(parent, message, caption, value, style, pos)
{
    Bind(wxEVT_PAINT, &KorTextEntryDialogWithFocus::OnShow, this);
}

void KorTextEntryDialogWithFocus::OnShow(wxPaintEvent& event)
{
    event.Skip();
    if (FindFocus() != m_textctrl)
        m_textctrl->SetFocus();
}
