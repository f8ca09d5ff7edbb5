#pragma once

#include <wx/panel.h>
#include <wx/stattext.h>

// A panel painted in the application's window colour, so that dialogs built on it
// look the same whatever the parent's background is.
class StyledPanel : public wxPanel
{
public:
    StyledPanel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                const wxString& name = wxPanelNameStr);
};

// A static text whose label is wrapped again to the control's width whenever the
// width changes.
class StyledWrappingStaticText : public wxStaticText
{
public:
    StyledWrappingStaticText(wxWindow* parent, wxWindowID id, const wxString& label,
                             const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                             long style = 0, const wxString& name = wxStaticTextNameStr);

    void SetLabel(const wxString& label) override;

private:
    void OnSize(wxSizeEvent& event);
    void Rewrap(int width);

    wxString m_unwrapped;
    int m_wrappedWidth = -1;
    bool m_rewrapping = false;
};
