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
#include <wx/uiaction.h>

using namespace kortest;
using Calls = std::vector<std::string>;

namespace
{

struct EngineRecord // what the fake engine saw, kept beyond its life (the window deletes it)
{
    Calls calls;
    KorScreenCapture::FrameCounts counts;
    wxString failStart, output; // Start() throws failStart when it is set
    bool destroyed = false;
};

struct RecordingEngine : KorScreenCapture
{
    explicit RecordingEngine(std::shared_ptr<EngineRecord> r) : record(std::move(r)) {}
    ~RecordingEngine() override { record->destroyed = true; }
    void SelectDisplay(int display, double scale) override { Log(wxString::Format("SelectDisplay(%d, %g)", display, scale)); }
    void SetOutput(const wxString& path, int) override { Log("SetOutput"), record->output = path; }
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
        if (Log("Start()"), !record->failStart.empty())
            throw KorException("fake", __LINE__, ExceptionType::Io, 5, record->failStart);
    }
    void Stop() override { Log("Stop()"), Shell("printf video > " + ShellQuote(record->output)); }
    FrameCounts GetFrameCounts() override { return record->counts; }
    void Log(const wxString& call) { record->calls.push_back(call.utf8_string()); }
    std::shared_ptr<EngineRecord> record;
};

// The first top-level T that is not on its way out, or null.
template <typename T>
T* OpenWindow()
{
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* t = dynamic_cast<T*>(w); t && !wxTheApp->IsScheduledForDestruction(t))
            return t;
    return nullptr;
}

// A capture window opened through a controller, with a fake engine and its output
// in a temporary folder.
struct Fixture
{
    explicit Fixture(double scale = 1.0) : controller(&host)
    {
        host.Bind(KORGUI_EVT_SCRCAP_ABOUT, [this](wxCommandEvent& e) { about.push_back(e.GetId()); });
        host.Bind(KORGUI_EVT_SCRCAP_CLOSED, [this](wxCommandEvent& e) { closed.push_back(e.GetString()); });
        EXPECT_TRUE(controller.Init(new RecordingEngine(record), scale));
        frame = OpenWindow<ScreenCaptureFrame>();
        Entry(frame, "outputFile")->SetValue(dir / "clip.mp4");
        record->calls.clear();
    }

    // Opens the region window from the list and waits until it covers the display.
    SelectRoiFrame* OpenRegionWindow()
    {
        auto* combo = Find<wxComboBox>(frame, "regionCombo");
        combo->SetSelection(0);
        wxCommandEvent choice(wxEVT_COMBOBOX, combo->GetId());
        combo->HandleWindowEvent(choice);
        PumpUntil([] { return OpenWindow<SelectRoiFrame>() && OpenWindow<SelectRoiFrame>()->IsActive(); },
                  std::chrono::seconds(10), "region window");
        PumpFor(std::chrono::milliseconds(200));
        return OpenWindow<SelectRoiFrame>();
    }

    std::shared_ptr<EngineRecord> record = std::make_shared<EngineRecord>();
    wxEvtHandler host; // records what the controller sends it
    std::vector<int> about;
    std::vector<wxString> closed;
    ScreenCaptureController controller;
    ScreenCaptureFrame* frame = nullptr;
    TempDir dir;
};

wxString State(wxWindow* frame)
{
    return Find(frame, "startStopButton")->GetLabel() + " | " + Find(frame, "statusText")->GetLabel();
}
const wxString idle = "Start Capture | Status: not recording";

} // namespace

TEST(ScreenCaptureFrame, StartAndStopDriveTheEngineInOrderAndShowItsFinalCounts)
{
    Fixture f(1.5);
    Entry(f.frame, "frameRateCombo")->SetValue("12.5");
    Entry(f.frame, "regionCombo")->SetValue("10, 20, 31, 41");
    EXPECT_EQ(State(f.frame), idle);
    Click(f.frame, "startStopButton");
    EXPECT_EQ(f.record->calls, (Calls{"SelectDisplay(0, 1.5)", "SetOutput", "SetFrameRate(12.5)",
                                      "AlignRegion(10, 20, 31, 41, 4, 4)", "SetRegion(10, 20, 28, 40)", "Start()"}));
    EXPECT_EQ(State(f.frame), "Stop | Status: recording");
    EXPECT_EQ(Entry(f.frame, "regionCombo")->GetValue(), "10, 20, 28, 40") << "the field shows what is recorded";

    f.record->counts = {30, 2};
    PumpUntil([&] { return Find(f.frame, "framesCapturedText")->GetLabel() == "Frames captured: 30"; },
              std::chrono::seconds(10), "counter");
    f.record->counts = {35, 3}; // what the file holds once the engine has stopped
    f.record->calls.clear();
    Click(f.frame, "startStopButton");
    EXPECT_EQ(f.record->calls, Calls{"Stop()"});
    EXPECT_EQ(State(f.frame), idle);
    EXPECT_EQ(Find(f.frame, "framesCapturedText")->GetLabel() + ", " + Find(f.frame, "framesLostText")->GetLabel(),
              "Frames captured: 35, Frames lost: 3");

    // The next recording counts from zero; the overwrite question is answered yes.
    f.record->counts = {0, 0};
    const ExpectMessageBox overwrite = ExpectMessageBox("Warning").Answer(wxID_OK); // a copy outlives the macro
    wxTEST_DIALOG(Click(f.frame, "startStopButton"), overwrite);
    EXPECT_EQ(Find(f.frame, "framesCapturedText")->GetLabel(), "Frames captured: 0");
    Click(f.frame, "startStopButton");
}

TEST(ScreenCaptureFrame, RefusedStartsChangeNothingAndTheWindowStaysUsable)
{
    const wxRect d = wxDisplay(0u).GetGeometry();
    const struct { const char* region; const char* rate; const char* engineFailure; wxString message; } cases[] = {
        {"-50, -50, 100, 100", "10", "", "The region -50, -50, 100, 100 starts at a negative position"},
        {"5000, 10, 100, 100", "10", "", wxString::Format("lies outside the display, which is %d x %d", d.width, d.height)},
        {"Full Screen", "100", "", "less than 100"},
        {"Full Screen", "10", "The fake screen is unplugged.", "unplugged"},
    };
    Fixture f;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.region);
        Entry(f.frame, "regionCombo")->SetValue(c.region);
        Entry(f.frame, "frameRateCombo")->SetValue(c.rate);
        f.record->failStart = c.engineFailure;
        const ExpectMessageBox error = ExpectMessageBox("Error").Containing(c.message);
        wxTEST_DIALOG(Click(f.frame, "startStopButton"), error);
        EXPECT_EQ(State(f.frame), idle);
        EXPECT_EQ(Entry(f.frame, "regionCombo")->GetValue(), c.region) << "the field keeps what was asked";
    }
    // A good start follows, and the window closes normally once stopped.
    f.record->failStart.clear();
    Entry(f.frame, "frameRateCombo")->SetValue("10");
    Click(f.frame, "startStopButton");
    ASSERT_TRUE(f.frame->IsCapturing());
    const ExpectMessageBox stopFirst = ExpectMessageBox().Text("Please stop the capture before closing.");
    wxTEST_DIALOG(Click(f.frame, "closeButton"), stopFirst);
    Click(f.frame, "startStopButton");
    Click(f.frame, "helpButton");
    const int id = f.frame->GetId();
    Click(f.frame, "closeButton");
    PumpUntil([&] { return f.record->destroyed && !f.closed.empty(); }, std::chrono::seconds(10), "closed");
    EXPECT_EQ(f.about, std::vector<int>{id});
    EXPECT_EQ(f.closed, std::vector<wxString>{f.dir / "clip.mp4"});
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
    for (int i = 0; i <= 5; ++i) // a press, a drag up and to the left, a release
    {
        PumpFor(std::chrono::milliseconds(70));
        i == 0 ? sim.MouseDown() : i == 5 ? sim.MouseUp() : sim.MouseMove(210 - 25 * i, 170 - 12 * i);
    }
    PumpUntil([] { return !OpenWindow<SelectRoiFrame>(); }, std::chrono::seconds(10), "selection");
    EXPECT_EQ(Entry(f.frame, "regionCombo")->GetValue(), "165, 183, 150, 72");

    // Escape, then a close request (the close box, Alt+F4): each ends the selection
    // window alone; asking the application to exit would end this test's process.
    for (const bool escape : {true, false})
    {
        ASSERT_NE(roi = f.OpenRegionWindow(), nullptr);
        escape ? sim.Char(WXK_ESCAPE) : roi->Close();
        PumpUntil([] { return !OpenWindow<SelectRoiFrame>(); }, std::chrono::seconds(10), "selection cancelled");
        EXPECT_NE(OpenWindow<ScreenCaptureFrame>(), nullptr);
    }
    EXPECT_EQ(Entry(f.frame, "regionCombo")->GetValue(), "165, 183, 150, 72") << "the region before the selection";
}
