#include "korbase/ui/styledwidgets.h"

#include <wx/settings.h>

StyledPanel::StyledPanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                         long style, const wxString& name)
    : wxPanel(parent, id, pos, size, style, name)
{
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
}

StyledWrappingStaticText::StyledWrappingStaticText(wxWindow* parent, wxWindowID id, const wxString& label,
                                                   const wxPoint& pos, const wxSize& size, long style,
                                                   const wxString& name)
    : wxStaticText(parent, id, label, pos, size, style, name), m_unwrapped(label)
{
    Bind(wxEVT_SIZE, &StyledWrappingStaticText::OnSize, this);
}

void StyledWrappingStaticText::SetLabel(const wxString& label)
{
    // Wrap() sets the wrapped text through this virtual; that is not a new label.
    if (m_rewrapping)
    {
        wxStaticText::SetLabel(label);
        return;
    }
    m_unwrapped = label;
    m_wrappedWidth = -1;
    wxStaticText::SetLabel(label);
    Rewrap(GetClientSize().GetWidth());
}

void StyledWrappingStaticText::OnSize(wxSizeEvent& event)
{
    Rewrap(event.GetSize().GetWidth());
    event.Skip();
}

void StyledWrappingStaticText::Rewrap(int width)
{
    if (width <= 0 || width == m_wrappedWidth)
        return;
    m_wrappedWidth = width;
    // Wrap() works on the current label, so start again from the original text.
    m_rewrapping = true;
    wxStaticText::SetLabel(m_unwrapped);
    Wrap(width);
    m_rewrapping = false;
}
