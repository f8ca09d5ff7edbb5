#pragma once

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/string.h>
#include <wx/weakref.h>

#include <cstdint>

class ScreenCaptureFrame;

// The capture engine a host application supplies. The capture window calls it on
// the GUI thread only: SelectDisplay at construction, then at each start
// SelectDisplay, SetOutput, SetFrameRate and either SetFullScreen or AlignRegion
// followed by SetRegion, then Start; Stop at the end and GetFrameCounts every 500 ms
// while recording. Any call made while starting may throw KorException, whose
// message the window shows. The window owns the engine and deletes it, possibly
// while it is still capturing.
class KorScreenCapture
{
public:
    struct FrameCounts
    {
        std::int32_t captured = 0;
        std::int32_t lost = 0;
    };

    // `display` indexes wxDisplay; `scale` converts the toolkit's display coordinates to pixels.
    virtual void SelectDisplay(int display, double scale) = 0;
    virtual void SetOutput(const wxString& path, int codecId) = 0;
    virtual void SetFrameRate(double framesPerSecond) = 0;
    // In pixels of the selected display, as returned by AlignRegion.
    virtual void SetRegion(wxRect region) = 0;
    virtual void SetFullScreen() = 0;
    // The region the engine can actually capture for `region`, with its size fitted to
    // multiples of `alignX` and `alignY`.
    virtual wxRect AlignRegion(wxRect region, int alignX, int alignY) = 0;
    // Returns while capturing goes on in the background.
    virtual void Start() = 0;
    // Returns once the output file is complete.
    virtual void Stop() = 0;
    virtual FrameCounts GetFrameCounts() = 0;
    virtual ~KorScreenCapture() = default;
};

// Sent to the host with the capture window's id each time the user presses "Help".
wxDECLARE_EVENT(KORGUI_EVT_SCRCAP_ABOUT, wxCommandEvent);
// Sent to the host (id 0) once the capture window has closed; its string is the
// last recorded file, or empty when nothing was recorded.
wxDECLARE_EVENT(KORGUI_EVT_SCRCAP_CLOSED, wxCommandEvent);

// Between the capture window and its controller only.
wxDECLARE_EVENT(SCRCAP_EVT_FRAME_CLOSE, wxCommandEvent);
wxDECLARE_EVENT(SCRCAP_EVT_FRAME_CLOSE_FORCED, wxCommandEvent);

// Entry point of the screen capture tool. The host creates one controller with its
// own event handler, which receives KORGUI_EVT_SCRCAP_ABOUT and
// KORGUI_EVT_SCRCAP_CLOSED through the handler chain, and calls Init to open the
// capture window. The controller shows nothing itself.
class ScreenCaptureController : public wxEvtHandler
{
public:
    explicit ScreenCaptureController(wxEvtHandler* host = nullptr);
    // Closes an open capture window (deleting its engine) without telling the host.
    ~ScreenCaptureController() override;

    ScreenCaptureController(const ScreenCaptureController&) = delete;
    ScreenCaptureController& operator=(const ScreenCaptureController&) = delete;

    // Opens the capture window, which takes ownership of `engine`. Returns false and
    // leaves the engine to the caller when a window is already open.
    bool Init(KorScreenCapture* engine, double scale);

private:
    void CreateFrame(KorScreenCapture* engine, double scale);
    void DestroyFrame();
    void GenerateFrameClosedEvent(const wxString& videoPath);
    void OnClose(wxCommandEvent& event);
    void OnCloseForced(wxCommandEvent& event);

    // Weak, so that a window deleted behind our back cannot leave a dangling pointer.
    wxWeakRef<ScreenCaptureFrame> m_frame;
};
