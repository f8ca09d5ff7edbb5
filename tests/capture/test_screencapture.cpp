// The capture window and its controller with a fake engine that records its calls,
// and the region window, driven through real windows.

#include "harness/helpers.h"
#include "test_screencapturehelpers.h"

#include "korgui/capture/captureregion.h"
#include "korgui/capture/screencaptureframe.h"
#include "korgui/capture/selectroiframe.h"
#include "korgui/screencapturecontroller.h"

#include "korbase/korexception.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/display.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <memory>

using namespace kortest;
using Calls = std::vector<std::string>;

namespace
{

// What the fake engine saw, kept beyond its life (the window deletes it).
struct EngineRecord
{
    Calls calls;
    bool destroyed = false;
    KorScreenCapture::FrameCounts counts;
    wxString failStart; // Start() throws this message when set
    wxString output;
};

class RecordingEngine : public KorScreenCapture
{
public:
    explicit RecordingEngine(std::shared_ptr<EngineRecord> record) : m_record(std::move(record)) {}
    ~RecordingEngine() override { m_record->destroyed = true; }

    void SelectDisplay(int display, double scale) override { Log(wxString::Format("SelectDisplay(%d, %g)", display, scale)); }
    void SetOutput(const wxString& path, int) override { m_record->output = path; Log("SetOutput"); }
    void SetFrameRate(double fps) override { Log(wxString::Format("SetFrameRate(%g)", fps)); }
    void SetRegion(wxRect r) override { Log("SetRegion(" + RegionText(r) + ")"); }
    void SetFullScreen() override { Log("SetFullScreen()"); }
    wxRect AlignRegion(wxRect r, int x, int y) override
    {
        Log(wxString::Format("AlignRegion(%s, %d, %d)", RegionText(r), x, y));
        return wxRect(r.x, r.y, r.width / x * x, r.height / y * y);
    }
    void Start() override
    {
        Log("Start()");
        if (!m_record->failStart.empty())
            throw KorException("fake", __LINE__, ExceptionType::Io, 5, m_record->failStart);
    }
    void Stop() override
    {
        Log("Stop()");
        Shell("printf video > " + ShellQuote(m_record->output));
    }
    FrameCounts GetFrameCounts() override { return m_record->counts; }

private:
    void Log(const wxString& call) { m_record->calls.push_back(call.utf8_string()); }
    std::shared_ptr<EngineRecord> m_record;
};

// The host: records what the controller sends it.
struct HostRecorder : wxEvtHandler
{
    HostRecorder()
    {
        Bind(KORGUI_EVT_SCRCAP_ABOUT, [this](wxCommandEvent& e) { about.push_back(e.GetId()); });
        Bind(KORGUI_EVT_SCRCAP_CLOSED, [this](wxCommandEvent& e) { closed.push_back(e.GetString()); });
    }
    std::vector<int> about;
    std::vector<wxString> closed;
};

// A capture window opened through a controller, with a fake engine and its output
// in a temporary folder.
struct Fixture
{
    explicit Fixture(double scale = 1.0) : controller(&host)
    {
        EXPECT_TRUE(controller.Init(new RecordingEngine(record), scale));
        frame = TopLevel<ScreenCaptureFrame>().at(0);
        SetText(frame, "outputFile", dir / "clip.mp4");
        record->calls.clear();
    }

    template <typename T>
    static std::vector<T*> TopLevel()
    {
        std::vector<T*> found;
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* t = dynamic_cast<T*>(w); t && !wxTheApp->IsScheduledForDestruction(t))
                found.push_back(t);
        return found;
    }

    // Opens the region window from the list and waits until it covers the display.
    SelectRoiFrame* OpenRegionWindow()
    {
        auto* combo = Find<wxComboBox>(frame, "regionCombo");
        combo->SetSelection(0);
        wxCommandEvent choice(wxEVT_COMBOBOX, combo->GetId());
        choice.SetEventObject(combo);
        combo->HandleWindowEvent(choice);
        PumpUntil([] { return !TopLevel<SelectRoiFrame>().empty() && TopLevel<SelectRoiFrame>()[0]->IsActive(); },
                  std::chrono::seconds(10), "region window");
        PumpFor(std::chrono::milliseconds(200));
        return TopLevel<SelectRoiFrame>().empty() ? nullptr : TopLevel<SelectRoiFrame>()[0];
    }

    std::shared_ptr<EngineRecord> record = std::make_shared<EngineRecord>();
    HostRecorder host;
    ScreenCaptureController controller;
    ScreenCaptureFrame* frame = nullptr;
    TempDir dir;
};

void ExpectIdle(wxWindow* frame)
{
    EXPECT_EQ(Label(frame, "startStopButton"), "Start Capture");
    EXPECT_EQ(Label(frame, "statusText"), "Status: not recording");
}

} // namespace

TEST(ScreenCaptureFrame, StartAndStopDriveTheEngineInOrderAndShowItsFinalCounts)
{
    Fixture f(1.5);
    SetText(f.frame, "frameRateCombo", "12.5");
    SetText(f.frame, "regionCombo", "10, 20, 31, 41");
    ExpectIdle(f.frame);
    Click(f.frame, "startStopButton");
    EXPECT_EQ(f.record->calls, (Calls{"SelectDisplay(0, 1.5)", "SetOutput", "SetFrameRate(12.5)",
                                      "AlignRegion(10, 20, 31, 41, 4, 4)", "SetRegion(10, 20, 28, 40)", "Start()"}));
    EXPECT_EQ(Label(f.frame, "startStopButton"), "Stop");
    EXPECT_EQ(Label(f.frame, "statusText"), "Status: recording");
    EXPECT_EQ(Text(f.frame, "regionCombo"), "10, 20, 28, 40") << "the field shows what is recorded";

    f.record->counts = {30, 2};
    PumpUntil([&] { return Label(f.frame, "framesCapturedText") == "Frames captured: 30"; },
              std::chrono::seconds(10), "counter");
    f.record->counts = {35, 3}; // what the file holds once the engine has stopped
    f.record->calls.clear();
    Click(f.frame, "startStopButton");
    EXPECT_EQ(f.record->calls, Calls{"Stop()"});
    ExpectIdle(f.frame);
    EXPECT_EQ(Label(f.frame, "framesCapturedText"), "Frames captured: 35");
    EXPECT_EQ(Label(f.frame, "framesLostText"), "Frames lost: 3");

    // The next recording counts from zero; the overwrite question is answered yes.
    f.record->counts = {0, 0};
    const ExpectMessageBox overwrite = ExpectMessageBox("Warning").Answer(wxID_OK); // a copy outlives the macro
    wxTEST_DIALOG(Click(f.frame, "startStopButton"), overwrite);
    EXPECT_EQ(Label(f.frame, "framesCapturedText"), "Frames captured: 0");
    Click(f.frame, "startStopButton");
}

TEST(ScreenCaptureFrame, RefusedStartsChangeNothingAndTheWindowStaysUsable)
{
    const wxRect display = wxDisplay(0u).GetGeometry();
    const struct
    {
        const char* region;
        const char* rate;
        const char* engineFailure;
        wxString message; // a part of the error box's text
    } cases[] = {
        {"10, 10, 0, 0", "10", "", "The region 10, 10, 0, 0 is too small"},
        {"-50, -50, 100, 100", "10", "", "The region -50, -50, 100, 100 starts at a negative position"},
        {"5000, 10, 100, 100", "10", "",
         wxString::Format("5000, 10, 100, 100 lies outside the display, which is %d x %d", display.width,
                          display.height)},
        {"Full Screen", "100", "", "less than 100"},
        {"Full Screen", "10", "A webm file cannot hold h264 video.", "cannot hold h264"},
    };
    Fixture f;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.region);
        SetText(f.frame, "regionCombo", c.region);
        SetText(f.frame, "frameRateCombo", c.rate);
        f.record->failStart = c.engineFailure;
        const ExpectMessageBox error = ExpectMessageBox("Error").Containing(c.message);
        wxTEST_DIALOG(Click(f.frame, "startStopButton"), error);
        EXPECT_FALSE(f.frame->IsCapturing());
        ExpectIdle(f.frame);
        EXPECT_EQ(Text(f.frame, "regionCombo"), c.region) << "the field keeps what was asked";
    }
    // A good start follows, and the window closes normally once stopped.
    f.record->failStart.clear();
    SetText(f.frame, "frameRateCombo", "10");
    Click(f.frame, "startStopButton");
    ASSERT_TRUE(f.frame->IsCapturing());
    const ExpectMessageBox stopFirst = ExpectMessageBox().Text("Please stop the capture before closing.");
    wxTEST_DIALOG(Click(f.frame, "closeButton"), stopFirst);
    Click(f.frame, "startStopButton");
    Click(f.frame, "helpButton");
    Click(f.frame, "closeButton");
    PumpUntil([&] { return f.record->destroyed && !f.host.closed.empty(); }, std::chrono::seconds(10), "closed");
    EXPECT_EQ(f.host.about, std::vector<int>{f.frame->GetId()});
    EXPECT_EQ(f.host.closed, std::vector<wxString>{f.dir / "clip.mp4"});
}

// With the real pointer and keyboard: the window must cover the display and take X
// input in display coordinates.
TEST(SelectRoiFrame, DragWritesTheScaledRegionEscapeAndCloseCancelOnlyTheSelection)
{
    Fixture f(1.5);
    wxUIActionSimulator sim;
    SelectRoiFrame* roi = f.OpenRegionWindow();
    ASSERT_NE(roi, nullptr);
    EXPECT_EQ(roi->GetTitle(), "Select a rectangle with the left mouse button");
    sim.MouseMove(210, 170);
    PumpFor(std::chrono::milliseconds(80));
    sim.MouseDown();
    for (int i = 1; i <= 4; ++i)
    {
        PumpFor(std::chrono::milliseconds(60));
        sim.MouseMove(210 - 25 * i, 170 - 12 * i); // up and to the left
    }
    sim.MouseUp();
    PumpUntil([] { return Fixture::TopLevel<SelectRoiFrame>().empty(); }, std::chrono::seconds(10), "selection");
    EXPECT_EQ(Text(f.frame, "regionCombo"), "165, 183, 150, 72");

    // Escape, then a close request (the close box, Alt+F4): each ends the selection
    // window alone, never the main loop.
    bool loopEndedByTest = false;
    wxTimer fallback;
    fallback.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        loopEndedByTest = true;
        wxTheApp->ExitMainLoop();
    });
    for (const bool escape : {true, false})
    {
        ASSERT_NE(roi = f.OpenRegionWindow(), nullptr);
        if (escape)
            sim.Char(WXK_ESCAPE);
        else
            wxTheApp->CallAfter([roi] { roi->Close(); });
        loopEndedByTest = false;
        fallback.StartOnce(1500);
        wxTheApp->MainLoop();
        EXPECT_TRUE(loopEndedByTest) << "the application's main loop was ended";
        EXPECT_TRUE(Fixture::TopLevel<SelectRoiFrame>().empty());
        EXPECT_EQ(Fixture::TopLevel<ScreenCaptureFrame>().size(), 1u);
    }
    EXPECT_EQ(Text(f.frame, "regionCombo"), "Select Region...");
}
