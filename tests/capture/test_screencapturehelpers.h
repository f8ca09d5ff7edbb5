#pragma once

// Working the capture window's controls by their window names, as a user would.

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>

template <typename T = wxWindow>
T* Find(wxWindow* frame, const char* name)
{
    T* control = dynamic_cast<T*>(wxWindow::FindWindowByName(name, frame));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

inline wxString Label(wxWindow* frame, const char* name)
{
    return Find(frame, name)->GetLabel();
}

inline void Click(wxWindow* frame, const char* name)
{
    auto* button = Find<wxButton>(frame, name);
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->HandleWindowEvent(event);
}

// Types into a text field or an editable list.
inline void SetText(wxWindow* frame, const char* name, const wxString& text)
{
    if (auto* combo = dynamic_cast<wxComboBox*>(wxWindow::FindWindowByName(name, frame)))
        combo->SetValue(text);
    else
        Find<wxTextCtrl>(frame, name)->SetValue(text);
}

inline wxString Text(wxWindow* frame, const char* name)
{
    if (auto* combo = dynamic_cast<wxComboBox*>(wxWindow::FindWindowByName(name, frame)))
        return combo->GetValue();
    return Find<wxTextCtrl>(frame, name)->GetValue();
}
