#pragma once

#include <wx/frame.h>

// korhost's main window: a menu bar that opens each window korgui exports, the way
// a real host application would.
class MainFrame : public wxFrame
{
public:
    MainFrame();

private:
    void OnAbout(wxCommandEvent& event);
    void OnCopyAndVerify(wxCommandEvent& event);
};
