#pragma once

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

private:
    void OnAbout(wxCommandEvent& event);
    void OnScreenCapture(wxCommandEvent& event);
    void OnScreenCaptureAbout(wxCommandEvent& event);
    void OnScreenCaptureClosed(wxCommandEvent& event);

    std::unique_ptr<ScreenCaptureController> m_screenCapture;
    void OnCopyAndVerify(wxCommandEvent& event);
};
