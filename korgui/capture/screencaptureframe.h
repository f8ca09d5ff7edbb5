#pragma once

#include "korgui/screencapturecontroller.h"

#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>
#include <optional>

class wxButton;
class wxComboBox;
class wxStaticText;
class wxTextCtrl;
class StyledPanel;

// The screen capture window: output file and format, display, region and frame
// rate, and the start/stop button. It configures and drives the host's engine,
// polls its frame counts every 500 ms while recording, and never closes itself: an
// accepted close request goes to its controller, which destroys it.
//
// Its controls carry window names ("outputFile", "formatCombo", "displayCombo",
// "regionCombo", "frameRateCombo", "startStopButton", "closeButton", "helpButton",
// "browseButton", "viewButton", "statusText", "framesCapturedText",
// "framesLostText") so that tests and accessibility tools can find them.
class ScreenCaptureFrame : public wxFrame
{
public:
    // Selects the display that holds the window on `engine`, then owns the engine.
    ScreenCaptureFrame(KorScreenCapture* engine, double scale);
    ~ScreenCaptureFrame() override;

    // The controller to notify; null detaches.
    void SetController(ScreenCaptureController* controller) { m_controller = controller; }

    // The file of the last recording whose file existed when it was stopped.
    const wxString& GetLastVideoPath() const { return m_lastVideoPath; }
    bool IsCapturing() const { return m_capturing; }

private:
    friend class SelectRoiFrame; // reads the scale and writes the region text

    void CreateControls();

    void OnBrowse(wxCommandEvent& event);
    void OnView(wxCommandEvent& event);
    void OnFormatChanged(wxCommandEvent& event);
    void OnRegionChoice(wxCommandEvent& event);
    void OnStartStop(wxCommandEvent& event);
    void OnCloseButton(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnClose(wxCloseEvent& event);

    // Checks the settings and configures the engine; returns the region handed to
    // it (none for the whole display). Throws KorException (code 1 when the user
    // declined to overwrite the output file).
    std::optional<wxRect> PrepareRecording();
    // Starts only once the engine has: a refused start changes nothing in the window.
    void StartRecording();
    void StopRecording();
    void RefreshCounters();
    void ShowCounters(const KorScreenCapture::FrameCounts& counts);

    ScreenCaptureController* m_controller = nullptr;
    bool m_capturing = false;
    double m_scale = 1.0;
    std::unique_ptr<KorScreenCapture> m_capture;
    std::unique_ptr<wxTimer> m_timer;

    StyledPanel* m_panel = nullptr;
    wxTextCtrl* m_outputFile = nullptr;
    wxComboBox* m_formatCombo = nullptr;
    wxComboBox* m_displayCombo = nullptr;
    wxComboBox* m_regionCombo = nullptr;
    wxComboBox* m_frameRateCombo = nullptr;
    wxButton* m_startStopButton = nullptr;
    wxButton* m_closeButton = nullptr;
    wxStaticText* m_statusText = nullptr;
    wxStaticText* m_framesCapturedText = nullptr;
    wxStaticText* m_framesLostText = nullptr;

    wxString m_lastVideoPath;
    // What the region field held before "Select Region..." was chosen; back when the selection is cancelled.
    wxString m_regionBeforeSelection = _("Full Screen");
};
