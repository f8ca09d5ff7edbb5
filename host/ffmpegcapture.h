#pragma once

#include "korgui/screencapturecontroller.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// korhost's capture engine: grabs the X11 screen through FFmpeg's x11grab device
// and encodes it with libavcodec into the chosen file format, on a thread of its
// own. Every frame is placed on the timeline by the moment it was grabbed, so a
// slot that no grab filled (the machine fell behind) counts as a lost frame.
class FfmpegCapture : public KorScreenCapture
{
public:
    FfmpegCapture();
    ~FfmpegCapture() override;

    FfmpegCapture(const FfmpegCapture&) = delete;
    FfmpegCapture& operator=(const FfmpegCapture&) = delete;

    void SelectDisplay(int display, double scale) override;
    void SetOutput(const wxString& path, int codecId) override;
    void SetFrameRate(double framesPerSecond) override;
    void SetRegion(wxRect region) override;
    void SetFullScreen() override;
    // Clips `region` to the display and shortens its size to multiples of the alignment.
    wxRect AlignRegion(wxRect region, int alignX, int alignY) override;
    void Start() override;
    // Ends the capture and completes the file; a failure during the capture is logged here.
    void Stop() override;
    FrameCounts GetFrameCounts() override;

private:
    struct Recording;

    void CaptureLoop();
    // Joins the capture thread, flushes the encoder and closes the file; returns the
    // first error of the recording, if any.
    std::string Finish();
    void SetError(const std::string& error);

    wxRect m_displayPixels; // the selected display in X screen pixels
    wxString m_path;
    int m_codecId = 0;
    double m_framesPerSecond = 10;
    std::optional<wxRect> m_region; // relative to the display; none for the whole display

    std::unique_ptr<Recording> m_recording;
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<std::int32_t> m_captured{0};
    std::atomic<std::int32_t> m_lost{0};
    std::mutex m_errorMutex;
    std::string m_error;
};
