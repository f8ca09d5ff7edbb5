// korhost's FFmpeg engine driven by the capture window on the virtual display: starts
// the engine refuses leave the window ready, and the next good start records a file
// that ffprobe reads back frame for frame.

#include "harness/helpers.h"
#include "test_screencapturehelpers.h"

#include "ffmpegcapture.h"

#include "korgui/capture/screencaptureframe.h"

#include "korbase/ui/formatprovider.h"

#include <gtest/gtest.h>

#include <wx/arrstr.h>

#include <wx/stattext.h>

using namespace kortest;

namespace
{

std::string Probe(const wxString& path, const char* entries)
{
    return Shell("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=" + std::string(entries) +
                 " -of csv=p=0 " + ShellQuote(path));
}

} // namespace

TEST(FfmpegScreenCapture, RefusedStartsThenAGoodRecordingThatFfprobeReads)
{
    const struct
    {
        const char* format;
        const char* output; // under the test folder unless absolute
        const char* message;
    } refused[] = {
        {"MP4 (H.264)", "/proc/x.mp4", "/proc"},
        {"MP4 (H.264)", "/sys/y.mp4", "/sys"},
        {"MP4 (H.264)", "clip.xyz", "clip.xyz"},
        {"MP4 (H.264)", "clip.webm", "cannot hold h264"},
        {"MP4 (H.264)", nullptr, "File name too long"}, // a 300-character name
    };
    TempDir dir;
    auto* engine = new FfmpegCapture;
    auto* frame = new ScreenCaptureFrame(engine, 1.0);
    frame->Show();
    SetText(frame, "regionCombo", "100, 100, 322, 242");
    for (const auto& c : refused)
    {
        const wxString output = !c.output ? dir / (wxString('n', 296) + ".mp4")
                                          : wxString(c.output).StartsWith("/") ? wxString(c.output) : dir / c.output;
        SCOPED_TRACE(output.Left(60).utf8_string());
        auto* format = Find<wxComboBox>(frame, "formatCombo");
        ASSERT_TRUE(format->SetStringSelection(c.format));
        SetText(frame, "outputFile", output);
        wxString message;
        const ExpectMessageBox error = ExpectMessageBox("Error").Containing(c.message).Record(&message);
        wxTEST_DIALOG(Click(frame, "startStopButton"), error);
        message.Replace("\n", " ");
        for (const wxString& word : wxSplit(message, ' ', 0))
            EXPECT_LE(word.length(), 60u) << "a long path wraps";
        EXPECT_FALSE(frame->IsCapturing());
        EXPECT_EQ(Label(frame, "startStopButton"), "Start Capture");
        EXPECT_EQ(Label(frame, "statusText"), "Status: not recording");
        EXPECT_FALSE(wxFileExists(output));
    }

    const wxString output = dir / "clip.mkv";
    SetText(frame, "outputFile", output);
    Click(frame, "startStopButton");
    ASSERT_TRUE(frame->IsCapturing());
    PumpUntil([&] { return Label(frame, "framesCapturedText") != "Frames captured: 0"; }, std::chrono::seconds(20),
              "frames counted");
    PumpFor(std::chrono::milliseconds(1200));
    Click(frame, "startStopButton");
    ASSERT_EQ(frame->GetLastVideoPath(), output);

    // The window shows the numbers the file holds.
    const int captured = engine->GetFrameCounts().captured;
    EXPECT_GE(captured, 5);
    EXPECT_EQ(Label(frame, "framesCapturedText"), wxString::Format("Frames captured: %d", captured));
    EXPECT_EQ(Probe(output, "codec_name,width,height,nb_read_frames"), "h264,320,240," + std::to_string(captured));
    frame->Destroy();
    PumpFor(std::chrono::milliseconds(50));
}

TEST(FfmpegScreenCapture, DeletedWhileCapturingLeavesACompleteFile)
{
    TempDir dir;
    auto engine = std::make_unique<FfmpegCapture>();
    engine->SelectDisplay(0, 1.0);
    engine->SetOutput(dir / "clip.mp4", Singleton<FormatProvider>::Instance().GetFormatFromName("MP4 (H.264)").GetCodecId());
    engine->SetFrameRate(12.5);
    engine->SetFullScreen();
    engine->Start();
    PumpUntil([&] { return engine->GetFrameCounts().captured >= 3; }, std::chrono::seconds(20), "frames");
    engine.reset();
    const std::string probe = Probe(dir / "clip.mp4", "codec_name,nb_read_frames");
    EXPECT_EQ(probe.substr(0, 5), "h264,");
    EXPECT_GE(std::atoi(probe.substr(5).c_str()), 3);
}
