// korhost's FFmpeg engine driven by the capture window on the virtual display: starts
// the engine refuses leave the window ready, and the next good start records a file
// that ffprobe reads back frame for frame.

#include "harness/helpers.h"
#include "test_screencapturehelpers.h"

#include "ffmpegcapture.h"

#include "korgui/capture/screencaptureframe.h"

#include <gtest/gtest.h>

#include <wx/arrstr.h>

using namespace kortest;

TEST(FfmpegScreenCapture, RefusedStartsThenAGoodRecordingThatFfprobeReads)
{
    const struct { const char* output; const char* message; } refused[] = { // under the test folder unless absolute
        {"/proc/x.mp4", "/proc"}, {"/sys/y.mp4", "/sys"}, {"clip.xyz", "clip.xyz"},
        {"clip.webm", "cannot hold h264"}, {nullptr, "File name too long"}, // a 300-character name
    };
    TempDir dir;
    auto* engine = new FfmpegCapture;
    auto* frame = new ScreenCaptureFrame(engine, 1.0);
    frame->Show();
    Entry(frame, "regionCombo")->SetValue("100, 100, 322, 242");
    ASSERT_TRUE(Find<wxComboBox>(frame, "formatCombo")->SetStringSelection("MP4 (H.264)"));
    for (const auto& c : refused)
    {
        const wxString output = !c.output ? dir / (wxString('n', 296) + ".mp4")
                                          : wxString(c.output).StartsWith("/") ? wxString(c.output) : dir / c.output;
        SCOPED_TRACE(output.Left(60).utf8_string());
        Entry(frame, "outputFile")->SetValue(output);
        wxString message;
        const ExpectMessageBox error = ExpectMessageBox("Error").Containing(c.message).Record(&message);
        wxTEST_DIALOG(Click(frame, "startStopButton"), error);
        message.Replace("\n", " ");
        for (const wxString& word : wxSplit(message, ' ', 0))
            EXPECT_LE(word.length(), 60u) << "a long path wraps";
        EXPECT_FALSE(frame->IsCapturing());
        EXPECT_EQ(Find(frame, "startStopButton")->GetLabel() + Find(frame, "statusText")->GetLabel(),
                  "Start CaptureStatus: not recording");
        EXPECT_FALSE(wxFileExists(output));
    }

    const wxString output = dir / "clip.mkv";
    Entry(frame, "outputFile")->SetValue(output);
    Click(frame, "startStopButton");
    ASSERT_TRUE(frame->IsCapturing());
    wxWindow* counter = Find(frame, "framesCapturedText");
    PumpUntil([&] { return counter->GetLabel() != "Frames captured: 0"; }, std::chrono::seconds(20), "counted");
    PumpFor(std::chrono::milliseconds(1200));
    Click(frame, "startStopButton");
    ASSERT_EQ(frame->GetLastVideoPath(), output);

    // The window shows the numbers the file holds.
    const int captured = engine->GetFrameCounts().captured;
    EXPECT_GE(captured, 5);
    EXPECT_EQ(counter->GetLabel(), wxString::Format("Frames captured: %d", captured));
    EXPECT_EQ(Shell("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                    "stream=codec_name,width,height,nb_read_frames -of csv=p=0 " + ShellQuote(output)),
              "h264,320,240," + std::to_string(captured));
    frame->Destroy();
    PumpFor(std::chrono::milliseconds(50));
}
