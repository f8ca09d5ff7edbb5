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

inline void Click(wxWindow* frame, const char* name)
{
    auto* button = Find<wxButton>(frame, name);
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    button->HandleWindowEvent(event);
}

// The text of a field or an editable list, which the user types into.
inline wxTextEntry* Entry(wxWindow* frame, const char* name)
{
    wxWindow* window = Find(frame, name);
    return dynamic_cast<wxComboBox*>(window) ? static_cast<wxTextEntry*>(static_cast<wxComboBox*>(window))
                                             : static_cast<wxTextEntry*>(static_cast<wxTextCtrl*>(window));
}
