#pragma once

#include "hostservices.h"

#include <wx/frame.h>

#include <memory>

class ScreenCaptureController;

// korhost's main window: a menu bar that opens each window korgui exports, the way
// a real host application would.
class MainFrame : public wxFrame
{
public:
    MainFrame();
    ~MainFrame() override;

    // Receives the paths of korhost's second starts.
    void StartSingleInstanceServer();
    // Opens the copy-and-verify tool with `source` as its source folder or file.
    void OpenCopyAndVerify(const wxString& source);

private:
    void OnAbout(wxCommandEvent& event);
    void OnCopyAndVerify(wxCommandEvent& event);
    void OnScreenCapture(wxCommandEvent& event);
    void OnScreenCaptureAbout(wxCommandEvent& event);
    void OnScreenCaptureClosed(wxCommandEvent& event);

    std::unique_ptr<ScreenCaptureController> m_screenCapture;
    std::unique_ptr<HostServices> m_services;
};
