// korhost's FFmpeg engine recording the virtual display, on its own and driven by
// the capture window; the files are checked with ffprobe.

#include "harness/helpers.h"
#include "test_screencapturehelpers.h"

#include "ffmpegcapture.h"

#include "korgui/capture/screencaptureframe.h"

#include "korbase/ui/formatprovider.h"
#include "korbase/korexception.h"

#include <gtest/gtest.h>

#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>

extern "C" {
#include <libavcodec/codec_id.h>
}

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

using namespace kortest;

namespace
{

// What ffprobe says about the first video stream, by key.
std::map<std::string, std::string> Probe(const wxString& path)
{
    const std::string out = Shell("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                  "stream=codec_name,width,height,nb_read_frames -of default=noprint_wrappers=1 " +
                                  ShellQuote(path));
    std::map<std::string, std::string> values;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line))
    {
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

// The timeline slot of the file's last frame, from its presentation time.
long LastFrameSlot(const wxString& path, double framesPerSecond)
{
    const std::string out = Shell("ffprobe -v error -select_streams v:0 -show_entries packet=pts_time -of csv=p=0 " +
                                  ShellQuote(path));
    std::istringstream lines(out);
    double last = -1;
    std::string line;
    while (std::getline(lines, line))
    {
        double t = 0;
        if (wxString(line).ToCDouble(&t))
            last = std::max(last, t);
    }
    return last < 0 ? -1 : std::lround(last * framesPerSecond);
}

// Fails the test on any message box (a real one would block under Xvfb).
class NoMessages : public wxModalDialogHook
{
protected:
    int Enter(wxDialog* dialog) override
    {
        const auto* box = dynamic_cast<wxMessageDialog*>(dialog);
        ADD_FAILURE() << "unexpected dialog: " << (box ? box->GetMessage().utf8_string() : "?");
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

wxString CodecName(int codecId)
{
    return avcodec_get_name(static_cast<AVCodecID>(codecId));
}

} // namespace

TEST(FfmpegScreenCapture, RecordsThroughTheWindowInMp4AndMatroska)
{
    const struct
    {
        const char* format;
        const char* region;
        const char* expectedSize; // width x height after alignment; empty for the whole display
    } cases[] = {
        {"MP4 (H.264)", "100, 100, 642, 483", "640x480"},
        {"Matroska (FFV1 lossless)", "Full Screen", ""},
    };
    NoMessages noMessages;
    noMessages.Register();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.format);
        const FileFormat format = Singleton<FormatProvider>::Instance().GetFormatFromName(c.format);
        ASSERT_TRUE(format.IsValid()) << "FFmpeg here cannot write " << c.format;

        TempDir dir;
        auto* engine = new FfmpegCapture;
        auto* frame = new ScreenCaptureFrame(engine, 1.0);
        frame->Show();
        SetText(frame, "outputFile", dir / "capture.video");
        Choose(frame, "formatCombo", c.format);
        const wxString output = dir / ("capture." + format.GetExtension());
        EXPECT_EQ(Text(frame, "outputFile"), output);
        SetText(frame, "regionCombo", c.region);
        SetText(frame, "frameRateCombo", "10");

        Click(frame, "startStopButton");
        ASSERT_TRUE(frame->IsCapturing());
        // The window's timer shows the engine's real counts while it records.
        auto* captured = Find<wxStaticText>(frame, "framesCapturedText");
        PumpUntil([&] { return captured->GetLabel() != "Frames captured: 0"; }, std::chrono::seconds(20),
                  "frames counted");
        PumpFor(std::chrono::milliseconds(1700));
        Click(frame, "startStopButton");
        ASSERT_FALSE(frame->IsCapturing());
        EXPECT_EQ(frame->GetLastVideoPath(), output);

        const KorScreenCapture::FrameCounts counts = engine->GetFrameCounts();
        EXPECT_GE(counts.captured, 5) << "about two seconds at 10 frames per second";
        EXPECT_GE(counts.lost, 0);

        auto probe = Probe(output);
        EXPECT_EQ(probe["codec_name"], CodecName(format.GetCodecId()));
        EXPECT_EQ(probe["nb_read_frames"], std::to_string(counts.captured));
        const std::string size = probe["width"] + "x" + probe["height"];
        if (*c.expectedSize)
            EXPECT_EQ(size, c.expectedSize);
        else
            EXPECT_EQ(size, wxString::Format("%dx%d", wxGetDisplaySize().x / 4 * 4, wxGetDisplaySize().y / 4 * 4)
                                .utf8_string());
        // Each frame sits in the slot of its grab time: lost frames are the empty slots.
        EXPECT_EQ(LastFrameSlot(output, 10) + 1, counts.captured + counts.lost);
        frame->Destroy();
        PumpFor(std::chrono::milliseconds(50));
    }
    noMessages.Unregister();
}

TEST(FfmpegScreenCapture, AlignRegionClipsToTheDisplayAndRoundsDown)
{
    FfmpegCapture engine;
    engine.SelectDisplay(0, 1.0);
    const wxSize screen = wxGetDisplaySize();
    EXPECT_EQ(engine.AlignRegion(wxRect(10, 10, 33, 47), 4, 4), wxRect(10, 10, 32, 44));
    EXPECT_EQ(engine.AlignRegion(wxRect(10, 10, 33, 47), 2, 8), wxRect(10, 10, 32, 40));
    EXPECT_EQ(engine.AlignRegion(wxRect(screen.x - 100, screen.y - 60, 400, 300), 4, 4),
              wxRect(screen.x - 100, screen.y - 60, 100, 60));
    EXPECT_THROW(engine.AlignRegion(wxRect(screen.x + 10, 0, 100, 100), 4, 4), KorException);
    EXPECT_THROW(engine.SelectDisplay(99, 1.0), KorException);
}

TEST(FfmpegScreenCapture, StartFailuresAreReportedAndLeaveItUsable)
{
    TempDir dir;
    FfmpegCapture engine;
    engine.SelectDisplay(0, 1.0);
    engine.SetFrameRate(25);
    engine.SetRegion(wxRect(0, 0, 320, 240));

    const auto startError = [&] {
        try
        {
            engine.Start();
        }
        catch (const KorException& e)
        {
            EXPECT_NE(e.GetCode(), 1); // 1 would be hidden from the user
            return e.GetMessage();
        }
        ADD_FAILURE() << "started";
        return wxString();
    };
    engine.SetOutput(dir / "missing/clip.mp4", AV_CODEC_ID_H264);
    EXPECT_TRUE(startError().Contains("missing/clip.mp4"));
    engine.SetOutput(dir / "clip.unknownkind", AV_CODEC_ID_H264);
    EXPECT_TRUE(startError().Contains("clip.unknownkind"));
    engine.SetOutput(dir / "clip.webm", AV_CODEC_ID_H264); // WebM holds VP8/VP9/AV1 only
    EXPECT_FALSE(startError().empty());
    EXPECT_FALSE(wxFileExists(dir / "clip.webm"));

    engine.SetOutput(dir / "clip.mkv", AV_CODEC_ID_H264);
    engine.Start();
    PumpFor(std::chrono::milliseconds(500));
    engine.Stop();
    EXPECT_EQ(Probe(dir / "clip.mkv")["codec_name"], "h264");
    EXPECT_EQ(Probe(dir / "clip.mkv")["nb_read_frames"], std::to_string(engine.GetFrameCounts().captured));
    engine.Stop(); // a second stop is harmless
}

TEST(FfmpegScreenCapture, DeletedWhileCapturingLeavesACompleteFile)
{
    TempDir dir;
    auto engine = std::make_unique<FfmpegCapture>();
    engine->SelectDisplay(0, 1.0);
    engine->SetOutput(dir / "clip.mp4", AV_CODEC_ID_H264);
    engine->SetFrameRate(12.5);
    engine->SetFullScreen();
    engine->Start();
    PumpUntil([&] { return engine->GetFrameCounts().captured >= 3; }, std::chrono::seconds(20), "frames");
    engine.reset();
    auto probe = Probe(dir / "clip.mp4");
    EXPECT_EQ(probe["codec_name"], "h264");
    EXPECT_GE(std::atoi(probe["nb_read_frames"].c_str()), 3);
}
