#pragma once

// Finding and working the capture window's controls by their window names, as the
// user would through them (shared by the screen capture tests).

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>

template <typename T>
T* Find(wxWindow* frame, const char* name)
{
    T* control = dynamic_cast<T*>(wxWindow::FindWindowByName(name, frame));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

inline wxString Label(wxWindow* frame, const char* name)
{
    return Find<wxWindow>(frame, name)->GetLabel();
}

inline void Click(wxWindow* frame, const char* name)
{
    auto* button = Find<wxButton>(frame, name);
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->HandleWindowEvent(event);
}

// Picks `entry` from a list as the user would, with its selection event.
inline void Choose(wxWindow* frame, const char* name, const wxString& entry)
{
    auto* combo = Find<wxComboBox>(frame, name);
    const int n = combo->FindString(entry, true);
    ASSERT_NE(n, wxNOT_FOUND) << entry.utf8_string();
    combo->SetSelection(n);
    wxCommandEvent event(wxEVT_COMBOBOX, combo->GetId());
    event.SetEventObject(combo);
    event.SetInt(n);
    event.SetString(combo->GetString(n));
    combo->HandleWindowEvent(event);
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
