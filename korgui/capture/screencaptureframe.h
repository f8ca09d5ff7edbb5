#pragma once

#include "korgui/screencapturecontroller.h"

#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>

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

    // Checks the settings and configures the engine; throws KorException (code 1
    // when the user declined to overwrite the output file).
    void PrepareRecording();
    void StartRecording();
    void StopRecording();

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
};

// A frame whose content panel routes close, mouse, paint and menu events to
// virtual handlers that by default let the event go on.
class SelectRoiFrameBase : public wxFrame
{
public:
    SelectRoiFrameBase(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                       const wxSize& size, long style);

protected:
    virtual void OnClose(wxCloseEvent& event) { event.Skip(); }
    virtual void OnLeftUp(wxMouseEvent& event) { event.Skip(); }
    virtual void OnLeftDown(wxMouseEvent& event) { event.Skip(); }
    virtual void OnMotion(wxMouseEvent& event) { event.Skip(); }
    virtual void OnPaint(wxPaintEvent& event) { event.Skip(); }
    virtual void OnSaveVideo(wxCommandEvent& event) { event.Skip(); }
    virtual void OnStopSavingVideo(wxCommandEvent& event) { event.Skip(); }
    virtual void OnExit(wxCommandEvent& event) { event.Skip(); }

    StyledPanel* m_panel = nullptr;
    wxMenuBar* m_menuBar = nullptr;
    wxMenu* m_fileMenu = nullptr;
    wxStatusBar* m_statusBar = nullptr;
};

// The translucent window laid over a display on which the user drags the capture
// region with the left button. On release the rectangle, converted by the capture
// window's scale, goes into the capture window's region field and this window
// destroys itself; a click without a drag leaves it open.
class SelectRoiFrame : public SelectRoiFrameBase
{
public:
    explicit SelectRoiFrame(ScreenCaptureFrame* owner);

protected:
    void OnClose(wxCloseEvent& event) override;
    void OnLeftUp(wxMouseEvent& event) override;
    void OnLeftDown(wxMouseEvent& event) override;
    void OnMotion(wxMouseEvent& event) override;
    void OnPaint(wxPaintEvent& event) override;

private:
    void DrawRubberBand();
    void FinishSelection();

    ScreenCaptureFrame* m_owner;
    int m_startX = 0;
    int m_startY = 0;
    int m_endX = 0;
    int m_endY = 0;
    bool m_leftDown = false;
};
