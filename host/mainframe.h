#pragma once

#include "hostservices.h"

#include <wx/frame.h>

class wxListBox;

// korhost's main window: a menu bar that opens each window korgui exports, the way
// a real host application would.
class MainFrame : public wxFrame
{
public:
    MainFrame();

    // Receives the paths of korhost's second starts.
    void StartSingleInstanceServer();
    // Opens the copy-and-verify tool with `source` as its source folder or file.
    void OpenCopyAndVerify(const wxString& source);

private:
    void OnAbout(wxCommandEvent& event);

    std::unique_ptr<HostServices> m_services;
    wxListBox* m_openedSources = nullptr;
};
