// The screen capture tool with a recording fake engine: the controller and its
// events, the capture window's settings, refusals and states, and the region
// selection window driven by the mouse.

#include "harness/helpers.h"
#include "test_screencapturehelpers.h"

#include "korgui/screencapturecontroller.h"
#include "korgui/capture/screencaptureframe.h"

#include "korbase/ui/formatprovider.h"
#include "korbase/korexception.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dcscreen.h>
#include <wx/filedlg.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <memory>
#include <random>
#include <unistd.h>

using namespace kortest;

namespace
{

// What the fake engine saw, kept beyond the engine's life (the window deletes it).
struct EngineRecord
{
    std::vector<std::string> calls;
    bool destroyed = false;
    KorScreenCapture::FrameCounts counts;
    int countQueries = 0;
    // AlignRegion's answer; by default the region unchanged.
    std::function<wxRect(wxRect)> align = [](wxRect r) { return r; };
    bool failStart = false;
    wxString output;
    bool writeOutputOnStop = true;
    // The last region handed to AlignRegion and the last frame rate.
    wxRect aligned;
    double frameRate = 0;
};

std::string RectText(const wxRect& r)
{
    return wxString::Format("%d, %d, %d, %d", r.x, r.y, r.width, r.height).utf8_string();
}

class RecordingEngine : public KorScreenCapture
{
public:
    explicit RecordingEngine(std::shared_ptr<EngineRecord> record) : m_record(std::move(record)) {}
    ~RecordingEngine() override { m_record->destroyed = true; }

    void SelectDisplay(int display, double scale) override
    {
        Log(wxString::Format("SelectDisplay(%d, %g)", display, scale));
    }
    void SetOutput(const wxString& path, int codecId) override
    {
        m_record->output = path;
        Log(wxString::Format("SetOutput(%s, %d)", path, codecId));
    }
    void SetFrameRate(double fps) override
    {
        m_record->frameRate = fps;
        Log(wxString::Format("SetFrameRate(%g)", fps));
    }
    void SetRegion(wxRect region) override { Log("SetRegion(" + RectText(region) + ")"); }
    void SetFullScreen() override { Log("SetFullScreen()"); }
    wxRect AlignRegion(wxRect region, int alignX, int alignY) override
    {
        m_record->aligned = region;
        Log(wxString::Format("AlignRegion(%s, %d, %d)", RectText(region), alignX, alignY));
        return m_record->align(region);
    }
    void Start() override
    {
        Log("Start()");
        if (m_record->failStart)
            throw KorException("fake", __LINE__, ExceptionType::Io, 5, "The fake screen is unplugged.");
    }
    void Stop() override
    {
        Log("Stop()");
        if (m_record->writeOutputOnStop)
            Shell("printf video > " + ShellQuote(m_record->output));
    }
    FrameCounts GetFrameCounts() override
    {
        ++m_record->countQueries;
        return m_record->counts;
    }

private:
    void Log(const wxString& call) { m_record->calls.push_back(call.utf8_string()); }

    std::shared_ptr<EngineRecord> m_record;
};

template <typename T>
std::vector<T*> TopLevel()
{
    std::vector<T*> found;
    for (wxWindow* w : wxTopLevelWindows)
    {
        if (auto* t = dynamic_cast<T*>(w); t && !wxTheApp->IsScheduledForDestruction(t))
            found.push_back(t);
    }
    return found;
}

// Answers a message box with `result` after checking its caption and text.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage>
{
public:
    ExpectMessage(const wxString& caption, const wxString& message, int result = wxID_OK)
        : m_caption(caption), m_message(message), m_result(result)
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        EXPECT_EQ(dlg->GetCaption().utf8_string(), m_caption.utf8_string());
        EXPECT_EQ(dlg->GetMessage().utf8_string(), m_message.utf8_string());
        return m_result;
    }
    wxString GetDefaultDescription() const override { return "message box \"" + m_message + "\""; }

private:
    wxString m_caption;
    wxString m_message;
    int m_result;
};

// Any "Error" box, whatever its text (which must say something).
class ExpectError : public wxExpectModalBase<wxMessageDialog, ExpectError>
{
protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        EXPECT_EQ(dlg->GetCaption(), "Error");
        EXPECT_FALSE(dlg->GetMessage().empty());
        return wxID_OK;
    }
};

// The host: records what the controller sends it.
class HostRecorder : public wxEvtHandler
{
public:
    HostRecorder()
    {
        Bind(KORGUI_EVT_SCRCAP_ABOUT, [this](wxCommandEvent& e) { about.push_back({e.GetId(), e.GetString()}); });
        Bind(KORGUI_EVT_SCRCAP_CLOSED, [this](wxCommandEvent& e) { closed.push_back({e.GetId(), e.GetString()}); });
    }
    struct Received
    {
        int id;
        wxString text;
    };
    std::vector<Received> about;
    std::vector<Received> closed;
};

// A capture window made directly, with a fake engine and an output file in a
// temporary folder.
struct Fixture
{
    explicit Fixture(double scale = 1.0) : record(std::make_shared<EngineRecord>())
    {
        frame = new ScreenCaptureFrame(new RecordingEngine(record), scale);
        frame->Show();
        output = dir / "clip.mp4";
        SetText(frame, "outputFile", output);
        record->calls.clear();
    }
    ~Fixture()
    {
        frame->Destroy();
        PumpUntil([&] { return record->destroyed; }, std::chrono::seconds(10), "engine deletion");
    }

    int CodecOf(const wxString& formatName) const
    {
        return Singleton<FormatProvider>::Instance().GetFormatFromName(formatName).GetCodecId();
    }
    std::string SetOutputCall() const
    {
        return wxString::Format("SetOutput(%s, %d)", output, CodecOf(Text(frame, "formatCombo"))).utf8_string();
    }

    std::shared_ptr<EngineRecord> record;
    ScreenCaptureFrame* frame = nullptr;
    TempDir dir;
    wxString output;
};

using Calls = std::vector<std::string>;

wxSize ScreenSize()
{
    return wxScreenDC().GetSize();
}

} // namespace

TEST(ScreenCaptureFrame, ControlsChoicesAndInitialValues)
{
    auto record = std::make_shared<EngineRecord>();
    auto* frame = new ScreenCaptureFrame(new RecordingEngine(record), 1.5);
    EXPECT_EQ(record->calls, Calls{"SelectDisplay(0, 1.5)"});
    EXPECT_FALSE(frame->IsShown()); // the controller shows it

    EXPECT_EQ(frame->GetTitle(), "DIZ Screen Capture");
    EXPECT_FALSE(frame->HasFlag(wxRESIZE_BORDER));
    EXPECT_FALSE(frame->HasFlag(wxMAXIMIZE_BOX));
    EXPECT_TRUE(frame->HasFlag(wxMINIMIZE_BOX) && frame->HasFlag(wxCLOSE_BOX));

    FormatProvider& formats = Singleton<FormatProvider>::Instance();
    const wxString defaultPath = Text(frame, "outputFile");
    EXPECT_EQ(wxFileName(defaultPath).GetExt(), formats.GetDefaultFormatWrite(2).GetExtension());
    EXPECT_TRUE(wxFileName(defaultPath).IsAbsolute());

    auto* format = Find<wxComboBox>(frame, "formatCombo");
    EXPECT_EQ(format->GetValue(), formats.GetDefaultFormatWrite(2).GetName());
    const std::vector<wxString> names = formats.GetFormatNames(2, true, true);
    ASSERT_EQ(format->GetCount(), names.size());
    for (unsigned i = 0; i < names.size(); ++i)
        EXPECT_EQ(format->GetString(i), names[i]);
    EXPECT_TRUE(format->HasFlag(wxCB_READONLY));

    auto* display = Find<wxComboBox>(frame, "displayCombo");
    ASSERT_EQ(display->GetCount(), wxDisplay::GetCount());
    EXPECT_EQ(display->GetSelection(), 0);
    const wxRect g = wxDisplay(0u).GetGeometry();
    const wxString entry = display->GetString(0);
    EXPECT_TRUE(entry.StartsWith("0: ")) << entry.utf8_string();
    EXPECT_TRUE(entry.EndsWith(wxString::Format(" (%d, %d, %d, %d)", int(g.x * 1.5), int(g.y * 1.5),
                                                int(g.width * 1.5), int(g.height * 1.5))))
        << entry.utf8_string();

    auto* region = Find<wxComboBox>(frame, "regionCombo");
    ASSERT_EQ(region->GetCount(), 2u);
    EXPECT_EQ(region->GetString(0), "Select Region...");
    EXPECT_EQ(region->GetString(1), "Full Screen");
    EXPECT_EQ(region->GetValue(), "Full Screen");
    EXPECT_FALSE(region->HasFlag(wxCB_READONLY));

    auto* rate = Find<wxComboBox>(frame, "frameRateCombo");
    const wxString rates[] = {"1", "2", "4", "8", "10", "12", "12.5", "15", "20", "24", "25", "30", "48", "50", "60"};
    ASSERT_EQ(rate->GetCount(), WXSIZEOF(rates));
    for (unsigned i = 0; i < WXSIZEOF(rates); ++i)
        EXPECT_EQ(rate->GetString(i), rates[i]);
    EXPECT_EQ(rate->GetValue(), "10");

    EXPECT_EQ(Label(frame, "startStopButton"), "Start Capture");
    EXPECT_EQ(Label(frame, "closeButton"), "Close");
    EXPECT_EQ(Label(frame, "helpButton"), "Help");
    EXPECT_EQ(Label(frame, "browseButton"), "Browse");
    EXPECT_EQ(Label(frame, "viewButton"), "View");
    EXPECT_EQ(Label(frame, "statusText"), "Status: not recording");
    EXPECT_EQ(Label(frame, "framesCapturedText"), "Frames captured: 0");
    EXPECT_EQ(Label(frame, "framesLostText"), "Frames lost: 0");
    EXPECT_EQ(Find<wxWindow>(frame, "outputFile")->GetSize().GetWidth(), 300);
    EXPECT_TRUE(frame->GetLastVideoPath().empty());

    frame->Destroy();
    PumpUntil([&] { return record->destroyed; }, std::chrono::seconds(10), "engine deletion");
}

TEST(ScreenCaptureFrame, FullScreenRecordingDrivesTheEngineInOrder)
{
    Fixture f(1.5);
    SetText(f.frame, "frameRateCombo", "12.5");
    SetText(f.frame, "regionCombo", "full screen");
    Click(f.frame, "startStopButton");

    EXPECT_EQ(f.record->calls, (Calls{"SelectDisplay(0, 1.5)", f.SetOutputCall(), "SetFrameRate(12.5)",
                                      "SetFullScreen()", "Start()"}));
    EXPECT_TRUE(f.frame->IsCapturing());
    EXPECT_EQ(Label(f.frame, "startStopButton"), "Stop");
    EXPECT_EQ(Label(f.frame, "statusText"), "Status: recording");

    // The timer brings the engine's counts into the window.
    f.record->counts = {42, 3};
    PumpUntil([&] { return Label(f.frame, "framesCapturedText") == "Frames captured: 42"; },
              std::chrono::seconds(10), "captured counter");
    EXPECT_EQ(Label(f.frame, "framesLostText"), "Frames lost: 3");
    f.record->counts = {1234567, 89};
    PumpUntil([&] { return Label(f.frame, "framesCapturedText") == "Frames captured: 1234567"; },
              std::chrono::seconds(10), "captured counter");
    EXPECT_EQ(Label(f.frame, "framesLostText"), "Frames lost: 89");

    f.record->calls.clear();
    Click(f.frame, "startStopButton");
    EXPECT_EQ(f.record->calls, Calls{"Stop()"});
    EXPECT_FALSE(f.frame->IsCapturing());
    EXPECT_EQ(Label(f.frame, "startStopButton"), "Start");
    EXPECT_EQ(Label(f.frame, "statusText"), "Status: not recording");
    EXPECT_EQ(f.frame->GetLastVideoPath(), f.output);

    // Stopped: the timer no longer asks, and the counters keep what they showed.
    const int queries = f.record->countQueries;
    f.record->counts = {7, 7};
    PumpFor(std::chrono::milliseconds(1200));
    EXPECT_EQ(f.record->countQueries, queries);
    EXPECT_EQ(Label(f.frame, "framesCapturedText"), "Frames captured: 1234567");

    // Again, over the file the first recording left (the overwrite question is answered yes).
    f.record->calls.clear();
    wxTEST_DIALOG(Click(f.frame, "startStopButton"),
                  ExpectMessage("Warning", "Existing file. Do you want to overwrite it?", wxID_OK));
    EXPECT_EQ(f.record->calls.back(), "Start()");
    EXPECT_EQ(Label(f.frame, "startStopButton"), "Stop");
    Click(f.frame, "startStopButton");
    EXPECT_EQ(Label(f.frame, "startStopButton"), "Start");
}

TEST(ScreenCaptureFrame, RegionIsScaledBoundedAlignedThenSet)
{
    Fixture f(1.5);
    f.record->align = [](wxRect r) { return wxRect(r.x + 2, r.y, r.width - 2, r.height); };
    SetText(f.frame, "regionCombo", "10, 20, 30, 40");
    Click(f.frame, "startStopButton");
    EXPECT_EQ(f.record->calls, (Calls{"SelectDisplay(0, 1.5)", f.SetOutputCall(), "SetFrameRate(10)",
                                      "AlignRegion(10, 20, 30, 40, 4, 4)", "SetRegion(12, 20, 28, 40)", "Start()"}));
    Click(f.frame, "startStopButton");

    const wxSize screen = ScreenSize();
    const struct
    {
        const char* text;
        wxRect expected;
    } cases[] = {
        {"10,20,3,4", wxRect(10, 20, 8, 8)},
        {"10;20;30;40", wxRect(10, 20, 30, 40)},
        {"10-20-30-40", wxRect(10, 20, 30, 40)},
        {"0 , 0 , 999999 , 999999", wxRect(0, 0, int(screen.x * 1.5), int(screen.y * 1.5))},
    };
    for (const auto& c : cases)
    {
        f.record->calls.clear();
        SetText(f.frame, "regionCombo", c.text);
        // Every later start finds the file the previous stop left behind.
        wxTEST_DIALOG(Click(f.frame, "startStopButton"),
                      ExpectMessage("Warning", "Existing file. Do you want to overwrite it?", wxID_OK));
        ASSERT_TRUE(f.frame->IsCapturing()) << c.text;
        EXPECT_EQ(f.record->calls[3], "AlignRegion(" + RectText(c.expected) + ", 4, 4)") << c.text;
        Click(f.frame, "startStopButton");
    }
}

TEST(ScreenCaptureFrame, RefusedSettingsShowAnErrorAndStartNothing)
{
    Fixture f;
    const auto refused = [&](const char* what) {
        EXPECT_FALSE(f.frame->IsCapturing()) << what;
        EXPECT_EQ(Label(f.frame, "startStopButton"), "Start Capture") << what;
        EXPECT_EQ(Label(f.frame, "statusText"), "Status: not recording") << what;
        for (const std::string& call : f.record->calls)
            EXPECT_NE(call, "Start()") << what;
        f.record->calls.clear();
    };

    for (const char* rate : {"0", "100", "-5", "abc", ""})
    {
        SetText(f.frame, "frameRateCombo", rate);
        wxTEST_DIALOG(Click(f.frame, "startStopButton"), ExpectError());
        EXPECT_TRUE(f.record->calls.empty()) << rate; // refused before the engine hears of it
        refused(rate);
    }
    SetText(f.frame, "frameRateCombo", "abc");
    wxTEST_DIALOG(Click(f.frame, "startStopButton"),
                  ExpectMessage("Error", "\"abc\" is not a valid number."));
    refused("abc");
    SetText(f.frame, "frameRateCombo", "10");

    SetText(f.frame, "regionCombo", "10, 20, 30");
    wxTEST_DIALOG(Click(f.frame, "startStopButton"),
                  ExpectMessage("Error", "Region must be in the form \"x, y, w, h\"."));
    refused("three numbers");
    SetText(f.frame, "regionCombo", "left, top, width, height");
    wxTEST_DIALOG(Click(f.frame, "startStopButton"),
                  ExpectMessage("Error", "\"left\" is not a valid whole number."));
    refused("words");
    SetText(f.frame, "regionCombo", "10;;20;30");
    wxTEST_DIALOG(Click(f.frame, "startStopButton"), ExpectMessage("Error", "\"\" is not a valid whole number."));
    refused("empty token");
    SetText(f.frame, "regionCombo", "Select Region...");
    wxTEST_DIALOG(Click(f.frame, "startStopButton"),
                  ExpectMessage("Error", "Region must be in the form \"x, y, w, h\"."));
    refused("unchosen region");
    SetText(f.frame, "regionCombo", "Full Screen");

    const wxString missing = f.dir / "no such folder";
    SetText(f.frame, "outputFile", missing + "/clip.mp4");
    wxTEST_DIALOG(Click(f.frame, "startStopButton"),
                  ExpectMessage("Error", "The folder \"" + missing + "\" does not exist or cannot be written to."));
    EXPECT_TRUE(f.record->calls.empty());
    refused("missing folder");
    if (geteuid() != 0) // root writes anywhere
    {
        const wxString locked = f.dir.MakeDir("locked");
        Shell("chmod 555 " + ShellQuote(locked));
        SetText(f.frame, "outputFile", locked + "/clip.mp4");
        wxTEST_DIALOG(Click(f.frame, "startStopButton"),
                      ExpectMessage("Error", "The folder \"" + locked + "\" does not exist or cannot be written to."));
        refused("read-only folder");
    }
    SetText(f.frame, "outputFile", "clip.mp4");
    wxTEST_DIALOG(Click(f.frame, "startStopButton"), ExpectMessage("Error", "Enter the full path of the output file."));
    refused("relative path");

    // The edges that are allowed.
    SetText(f.frame, "outputFile", f.output);
    for (const char* rate : {"99.9", "12.5", "0.5"})
    {
        SetText(f.frame, "frameRateCombo", rate);
        if (wxFileExists(f.output))
            wxRemoveFile(f.output);
        Click(f.frame, "startStopButton");
        EXPECT_TRUE(f.frame->IsCapturing()) << rate;
        EXPECT_EQ(f.record->calls[2], "SetFrameRate(" + std::string(rate) + ")");
        Click(f.frame, "startStopButton");
        f.record->calls.clear();
    }
}

TEST(ScreenCaptureFrame, DeclinedOverwriteShowsNothingMore)
{
    Fixture f;
    Shell("printf old > " + ShellQuote(f.output));
    // Any further box (an "Error" one) would fail the expectation.
    wxTEST_DIALOG(Click(f.frame, "startStopButton"),
                  ExpectMessage("Warning", "Existing file. Do you want to overwrite it?", wxID_CANCEL));
    EXPECT_FALSE(f.frame->IsCapturing());
    EXPECT_EQ(Label(f.frame, "startStopButton"), "Start Capture");
    // Configured, not started.
    EXPECT_EQ(f.record->calls,
              (Calls{"SelectDisplay(0, 1)", f.SetOutputCall(), "SetFrameRate(10)", "SetFullScreen()"}));
    EXPECT_EQ(ReadFileBytes(f.output), "old");
}

TEST(ScreenCaptureFrame, EngineStartFailureIsShownAndLeavesTheRecordingLabels)
{
    Fixture f;
    f.record->failStart = true;
    wxTEST_DIALOG(Click(f.frame, "startStopButton"), ExpectMessage("Error", "The fake screen is unplugged."));
    EXPECT_TRUE(f.frame->IsCapturing());
    EXPECT_EQ(Label(f.frame, "startStopButton"), "Stop");
    PumpFor(std::chrono::milliseconds(1200));
    EXPECT_EQ(f.record->countQueries, 0); // no timer
    f.record->writeOutputOnStop = false;
    Click(f.frame, "startStopButton");
    EXPECT_EQ(f.record->calls.back(), "Stop()");
    EXPECT_FALSE(f.frame->IsCapturing());
    EXPECT_TRUE(f.frame->GetLastVideoPath().empty()); // no file appeared
}

TEST(ScreenCaptureFrame, FormatChoiceRewritesOnlyTheExtension)
{
    Fixture f;
    FormatProvider& formats = Singleton<FormatProvider>::Instance();
    const wxString original = Text(f.frame, "outputFile");
    for (const wxString& name : formats.GetFormatNames(2, true, true))
    {
        Choose(f.frame, "formatCombo", name);
        const wxFileName now(Text(f.frame, "outputFile"));
        EXPECT_EQ(now.GetExt(), formats.GetFormatFromName(name).GetExtension());
        EXPECT_EQ(now.GetPath(), wxFileName(original).GetPath());
        EXPECT_EQ(now.GetName(), wxFileName(original).GetName());
    }

    const size_t windows = wxTopLevelWindows.size();
    Choose(f.frame, "regionCombo", "Full Screen");
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(wxTopLevelWindows.size(), windows);
    EXPECT_EQ(Text(f.frame, "regionCombo"), "Full Screen");
}

namespace
{

// Answers the output file picker: checks where it opens, then picks `path`.
class ExpectOutputPicker : public wxExpectModalBase<wxFileDialog, ExpectOutputPicker>
{
public:
    ExpectOutputPicker(const wxString& startFolder, const wxString& startName, const wxString& path, int result)
        : m_startFolder(startFolder), m_startName(startName), m_path(path), m_result(result)
    {
    }

protected:
    int OnInvoked(wxFileDialog* dlg) const override
    {
        EXPECT_EQ(dlg->GetMessage(), "Output File");
        EXPECT_EQ(dlg->GetDirectory(), m_startFolder);
        EXPECT_EQ(dlg->GetFilename(), m_startName);
        EXPECT_TRUE(dlg->HasFlag(wxFD_SAVE)); // the output usually does not exist yet
        if (m_result == wxID_OK)
        {
            dlg->SetPath(m_path);
            PumpUntil([&] { return !dlg->GetPath().empty(); }, std::chrono::seconds(5), "picker path");
        }
        return m_result;
    }

private:
    wxString m_startFolder;
    wxString m_startName;
    wxString m_path;
    int m_result;
};

} // namespace

TEST(ScreenCaptureFrame, BrowsePicksTheOutputFile)
{
    Fixture f;
    const wxString chosen = f.dir / "chosen name.mkv";
    wxTEST_DIALOG(Click(f.frame, "browseButton"), ExpectOutputPicker(f.dir.Path(), "clip.mp4", chosen, wxID_OK));
    wxYield();
    EXPECT_EQ(Text(f.frame, "outputFile"), chosen);

    wxTEST_DIALOG(Click(f.frame, "browseButton"),
                  ExpectOutputPicker(f.dir.Path(), "chosen name.mkv", wxString(), wxID_CANCEL));
    wxYield();
    EXPECT_EQ(Text(f.frame, "outputFile"), chosen);
    EXPECT_TRUE(f.record->calls.empty());
}

TEST(ScreenCaptureFrame, ViewOpensTheOutputFolder)
{
    // A stand-in for the desktop's opener, first in PATH, notes what it was asked to open.
    Fixture f;
    const wxString bin = f.dir.MakeDir("bin");
    const wxString opened = f.dir / "opened.txt";
    for (const char* opener : {"xdg-open", "gio", "gvfs-open"})
        Shell("printf '#!/bin/sh\\necho \"$@\" > " + std::string(opened.utf8_str()) + "\\n' > " +
              ShellQuote(bin + "/" + opener) + " && chmod +x " + ShellQuote(bin + "/" + opener));
    wxString path;
    wxGetEnv("PATH", &path);
    wxSetEnv("PATH", bin + ":" + path);
    const wxString folder = f.dir.MakeDir("videos here");
    SetText(f.frame, "outputFile", folder + "/clip.mp4");
    Click(f.frame, "viewButton");
    PumpUntil([&] { return wxFileExists(opened) && !ReadFileBytes(opened).empty(); }, std::chrono::seconds(20),
              "the folder to be opened");
    wxSetEnv("PATH", path);
    const std::string asked = ReadFileBytes(opened);
    EXPECT_NE(asked.find("videos"), std::string::npos) << asked;
    EXPECT_EQ(asked.find("clip.mp4"), std::string::npos) << asked;
}

TEST(ScreenCaptureController, HelpAndCloseReachTheHost)
{
    HostRecorder host;
    auto record = std::make_shared<EngineRecord>();
    ScreenCaptureController controller(&host);
    ASSERT_TRUE(controller.Init(new RecordingEngine(record), 1.0));
    ASSERT_EQ(TopLevel<ScreenCaptureFrame>().size(), 1u);
    ScreenCaptureFrame* frame = TopLevel<ScreenCaptureFrame>()[0];
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(record->calls, Calls{"SelectDisplay(0, 1)"});

    Click(frame, "helpButton");
    Click(frame, "helpButton");
    Click(frame, "helpButton");
    EXPECT_TRUE(host.about.empty()); // queued, not sent from inside the window's handler
    PumpUntil([&] { return host.about.size() == 3; }, std::chrono::seconds(10), "three about events");
    for (const auto& about : host.about)
    {
        EXPECT_EQ(about.id, frame->GetId());
        EXPECT_TRUE(about.text.empty());
    }
    EXPECT_EQ(TopLevel<ScreenCaptureFrame>().size(), 1u);
    EXPECT_TRUE(host.closed.empty());

    Click(frame, "closeButton");
    PumpUntil([&] { return host.closed.size() == 1 && record->destroyed; }, std::chrono::seconds(10),
              "closed event and engine deletion");
    EXPECT_EQ(host.closed[0].id, 0);
    EXPECT_TRUE(host.closed[0].text.empty());
    EXPECT_TRUE(TopLevel<ScreenCaptureFrame>().empty());
    EXPECT_EQ(record->calls, Calls{"SelectDisplay(0, 1)"}); // never started, never stopped

    // A late close request finds no window and changes nothing.
    wxCommandEvent late(SCRCAP_EVT_FRAME_CLOSE);
    controller.AddPendingEvent(late);
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(host.closed.size(), 1u);

    // A new window on a new engine.
    auto second = std::make_shared<EngineRecord>();
    ASSERT_TRUE(controller.Init(new RecordingEngine(second), 2.0));
    EXPECT_EQ(second->calls, Calls{"SelectDisplay(0, 2)"});
    TopLevel<ScreenCaptureFrame>()[0]->Close();
    PumpUntil([&] { return host.closed.size() == 2 && second->destroyed; }, std::chrono::seconds(10),
              "second closed event");
}

TEST(ScreenCaptureController, ClosedEventCarriesTheLastRecordedFile)
{
    HostRecorder host;
    auto record = std::make_shared<EngineRecord>();
    ScreenCaptureController controller(&host);
    ASSERT_TRUE(controller.Init(new RecordingEngine(record), 1.0));
    ScreenCaptureFrame* frame = TopLevel<ScreenCaptureFrame>()[0];
    TempDir dir;

    // First recording leaves a file; the second does not.
    SetText(frame, "outputFile", dir / "first.mp4");
    Click(frame, "startStopButton");
    Click(frame, "startStopButton");
    EXPECT_EQ(frame->GetLastVideoPath(), dir / "first.mp4");
    record->writeOutputOnStop = false;
    SetText(frame, "outputFile", dir / "second.mp4");
    Click(frame, "startStopButton");
    Click(frame, "startStopButton");
    EXPECT_EQ(frame->GetLastVideoPath(), dir / "first.mp4");

    // Closing while recording is refused with a message and the recording goes on.
    Click(frame, "startStopButton");
    wxTEST_DIALOG(Click(frame, "closeButton"),
                  ExpectMessage(wxMessageBoxCaptionStr, "Please stop the capture before closing."));
    wxTEST_DIALOG(frame->Close(), ExpectMessage(wxMessageBoxCaptionStr, "Please stop the capture before closing."));
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(frame->IsCapturing());
    EXPECT_EQ(TopLevel<ScreenCaptureFrame>().size(), 1u);
    EXPECT_TRUE(host.closed.empty());
    Click(frame, "startStopButton");

    frame->Close();
    PumpUntil([&] { return host.closed.size() == 1 && record->destroyed; }, std::chrono::seconds(10),
              "closed event");
    EXPECT_EQ(host.closed[0].id, 0);
    EXPECT_EQ(host.closed[0].text, dir / "first.mp4");
}

TEST(ScreenCaptureController, ForcedCloseReportsNoFile)
{
    HostRecorder host;
    auto record = std::make_shared<EngineRecord>();
    ScreenCaptureController controller(&host);
    ASSERT_TRUE(controller.Init(new RecordingEngine(record), 1.0));
    ScreenCaptureFrame* frame = TopLevel<ScreenCaptureFrame>()[0];
    TempDir dir;
    SetText(frame, "outputFile", dir / "clip.mkv");
    Click(frame, "startStopButton");
    Click(frame, "startStopButton");
    ASSERT_FALSE(frame->GetLastVideoPath().empty());

    wxCommandEvent forced(SCRCAP_EVT_FRAME_CLOSE_FORCED);
    controller.AddPendingEvent(forced);
    PumpUntil([&] { return host.closed.size() == 1 && record->destroyed; }, std::chrono::seconds(10),
              "closed event");
    EXPECT_TRUE(host.closed[0].text.empty());
}

TEST(ScreenCaptureController, SecondInitIsRefusedAndKeepsTheFirstWindow)
{
    HostRecorder host;
    auto first = std::make_shared<EngineRecord>();
    auto second = std::make_shared<EngineRecord>();
    ScreenCaptureController controller(&host);
    ASSERT_TRUE(controller.Init(new RecordingEngine(first), 1.0));
    ScreenCaptureFrame* frame = TopLevel<ScreenCaptureFrame>()[0];

    auto spare = std::make_unique<RecordingEngine>(second);
    EXPECT_FALSE(controller.Init(spare.get(), 1.0));
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(second->calls.empty());
    EXPECT_FALSE(second->destroyed);
    ASSERT_EQ(TopLevel<ScreenCaptureFrame>().size(), 1u);
    EXPECT_EQ(TopLevel<ScreenCaptureFrame>()[0], frame);
    EXPECT_FALSE(first->destroyed);
    spare.reset();
    EXPECT_TRUE(second->destroyed);
}

TEST(ScreenCaptureController, DestroyedWithAWindowOpenWhileRecording)
{
    HostRecorder host;
    auto record = std::make_shared<EngineRecord>();
    TempDir dir;
    {
        ScreenCaptureController controller(&host);
        ASSERT_TRUE(controller.Init(new RecordingEngine(record), 1.0));
        ScreenCaptureFrame* frame = TopLevel<ScreenCaptureFrame>()[0];
        SetText(frame, "outputFile", dir / "clip.mp4");
        Click(frame, "startStopButton");
        Click(frame, "helpButton"); // still queued when the controller goes
        ASSERT_TRUE(frame->IsCapturing());
    }
    PumpUntil([&] { return record->destroyed; }, std::chrono::seconds(10), "engine deletion");
    PumpFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(TopLevel<ScreenCaptureFrame>().empty());
    EXPECT_TRUE(host.closed.empty());
    EXPECT_TRUE(host.about.empty());
    EXPECT_EQ(record->calls.back(), "Start()"); // deleted without Stop
}

TEST(ScreenCaptureController, WorksWithoutAHostHandler)
{
    auto record = std::make_shared<EngineRecord>();
    ScreenCaptureController controller;
    ASSERT_TRUE(controller.Init(new RecordingEngine(record), 1.0));
    ScreenCaptureFrame* frame = TopLevel<ScreenCaptureFrame>()[0];
    Click(frame, "helpButton");
    Click(frame, "closeButton");
    PumpUntil([&] { return record->destroyed; }, std::chrono::seconds(10), "engine deletion");
    EXPECT_TRUE(TopLevel<ScreenCaptureFrame>().empty());
    auto again = std::make_shared<EngineRecord>();
    EXPECT_TRUE(controller.Init(new RecordingEngine(again), 1.0));
}

namespace
{

// Opens the region window from the capture window's list and waits until it
// covers the screen.
SelectRoiFrame* OpenRegionWindow(ScreenCaptureFrame* frame)
{
    Choose(frame, "regionCombo", "Select Region...");
    SelectRoiFrame* roi = nullptr;
    PumpUntil(
        [&] {
            const auto found = TopLevel<SelectRoiFrame>();
            roi = found.empty() ? nullptr : found[0];
            return roi && roi->IsShown() && roi->GetScreenRect().Contains(wxRect(0, 0, 400, 400)) &&
                   roi->GetMenuBar() && !roi->GetMenuBar()->IsShown();
        },
        std::chrono::seconds(10), "full-screen region window");
    PumpFor(std::chrono::milliseconds(200));
    return roi;
}

void Drag(wxUIActionSimulator& sim, wxPoint from, wxPoint to, bool press = true)
{
    sim.MouseMove(from);
    PumpFor(std::chrono::milliseconds(80));
    if (press)
    {
        sim.MouseDown();
        PumpFor(std::chrono::milliseconds(80));
    }
    // A few steps, as a hand would.
    for (int i = 1; i <= 4; ++i)
    {
        sim.MouseMove(from + wxPoint((to.x - from.x) * i / 4, (to.y - from.y) * i / 4));
        PumpFor(std::chrono::milliseconds(60));
    }
    sim.MouseUp();
    PumpFor(std::chrono::milliseconds(100));
}

bool RegionWindowOpen()
{
    return !TopLevel<SelectRoiFrame>().empty();
}

} // namespace

// The one case with the real pointer: the window must cover the display and take
// X input in display coordinates.
TEST(SelectRoiFrame, DragWritesTheRegionEitherWay)
{
    Fixture f;
    wxUIActionSimulator sim;

    SelectRoiFrame* roi = OpenRegionWindow(f.frame);
    ASSERT_NE(roi, nullptr);
    EXPECT_EQ(roi->GetId(), 1000);
    EXPECT_EQ(roi->GetTitle(), "Select a rectangle with right mouse button");
    EXPECT_EQ(roi->GetParent(), f.frame);
    EXPECT_TRUE(roi->HasFlag(wxSTAY_ON_TOP) && roi->HasFlag(wxFRAME_SHAPED));
    Drag(sim, wxPoint(110, 120), wxPoint(210, 170));
    PumpUntil([] { return !RegionWindowOpen(); }, std::chrono::seconds(10), "region window to go");
    EXPECT_EQ(Text(f.frame, "regionCombo"), "110, 120, 100, 50");

    SetText(f.frame, "regionCombo", "Full Screen");
    ASSERT_NE(OpenRegionWindow(f.frame), nullptr);
    Drag(sim, wxPoint(210, 170), wxPoint(110, 120));
    PumpUntil([] { return !RegionWindowOpen(); }, std::chrono::seconds(10), "region window to go");
    EXPECT_EQ(Text(f.frame, "regionCombo"), "110, 120, 100, 50");

    // The chosen region is what the next recording captures.
    Click(f.frame, "startStopButton");
    EXPECT_EQ(f.record->calls[3], "AlignRegion(110, 120, 100, 50, 4, 4)");
    Click(f.frame, "startStopButton");
}

namespace
{

// Mouse input handed straight to the region window's panel (id 1001), as GTK would
// deliver it, so that these cases do not depend on the shared pointer.
void Mouse(SelectRoiFrame* roi, wxEventType type, wxPoint at)
{
    wxWindow* panel = roi->FindWindow(1001);
    ASSERT_NE(panel, nullptr);
    wxMouseEvent event(type);
    event.SetEventObject(panel);
    event.SetId(panel->GetId());
    event.SetPosition(at);
    event.SetLeftDown(type != wxEVT_LEFT_UP);
    panel->HandleWindowEvent(event);
}

void SyntheticDrag(SelectRoiFrame* roi, wxPoint from, wxPoint to)
{
    Mouse(roi, wxEVT_LEFT_DOWN, from);
    for (int i = 1; i <= 4; ++i)
        Mouse(roi, wxEVT_MOTION, from + wxPoint((to.x - from.x) * i / 4, (to.y - from.y) * i / 4));
    Mouse(roi, wxEVT_LEFT_UP, to); // last use: the window destroys itself on a selection
}

} // namespace

TEST(SelectRoiFrame, ScaleConvertsTheSelection)
{
    Fixture f(1.5);
    SelectRoiFrame* roi = OpenRegionWindow(f.frame);
    ASSERT_NE(roi, nullptr);
    SyntheticDrag(roi, wxPoint(10, 20), wxPoint(110, 70));
    EXPECT_EQ(Text(f.frame, "regionCombo"), "15, 30, 150, 75");
    PumpUntil([] { return !RegionWindowOpen(); }, std::chrono::seconds(10), "region window to go");

    ASSERT_NE(roi = OpenRegionWindow(f.frame), nullptr);
    SyntheticDrag(roi, wxPoint(110, 70), wxPoint(10, 20));
    EXPECT_EQ(Text(f.frame, "regionCombo"), "15, 30, 150, 75");
    PumpUntil([] { return !RegionWindowOpen(); }, std::chrono::seconds(10), "region window to go");
}

TEST(SelectRoiFrame, ClickWithoutDragKeepsTheWindowAndItsStartPoint)
{
    Fixture f;
    SelectRoiFrame* roi = OpenRegionWindow(f.frame);
    ASSERT_NE(roi, nullptr);
    Mouse(roi, wxEVT_MOTION, wxPoint(250, 150)); // no button: nothing
    Mouse(roi, wxEVT_LEFT_DOWN, wxPoint(300, 200));
    Mouse(roi, wxEVT_LEFT_UP, wxPoint(300, 200));
    // A drag with no height selects nothing either.
    Mouse(roi, wxEVT_LEFT_UP, wxPoint(380, 200));
    PumpFor(std::chrono::milliseconds(200));
    ASSERT_TRUE(RegionWindowOpen());
    EXPECT_EQ(Text(f.frame, "regionCombo"), "Select Region...");

    // A later press elsewhere does not move the start: the drag finishes from the click.
    SyntheticDrag(roi, wxPoint(500, 500), wxPoint(400, 260));
    EXPECT_EQ(Text(f.frame, "regionCombo"), "300, 200, 100, 60");
    PumpUntil([] { return !RegionWindowOpen(); }, std::chrono::seconds(10), "region window to go");
}

TEST(SelectRoiFrame, MenuItemsDoNothing)
{
    Fixture f;
    SelectRoiFrame* roi = OpenRegionWindow(f.frame);
    ASSERT_NE(roi, nullptr);
    wxMenuBar* bar = roi->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 1u);
    EXPECT_EQ(bar->GetMenuLabelText(0), "File");
    const struct
    {
        int id;
        const char* label;
        const char* accel;
    } items[] = {{1003, "Save video", "Ctrl+S"}, {1004, "Stop saving video", "Ctrl+F"}, {1005, "Exit", "Alt+F4"}};
    for (const auto& item : items)
    {
        wxMenuItem* menuItem = bar->FindItem(item.id);
        ASSERT_NE(menuItem, nullptr) << item.label;
        EXPECT_EQ(menuItem->GetItemLabelText(), item.label);
        std::unique_ptr<wxAcceleratorEntry> accel(menuItem->GetAccel());
        ASSERT_TRUE(accel) << item.label;
        EXPECT_EQ(accel->ToString(), item.accel);
        wxCommandEvent event(wxEVT_MENU, item.id);
        roi->HandleWindowEvent(event);
    }
    PumpFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(RegionWindowOpen());
    EXPECT_EQ(Text(f.frame, "regionCombo"), "Select Region...");
    EXPECT_EQ(f.record->calls, Calls{});
}

TEST(SelectRoiFrame, CloseRequestEndsTheApplicationsMainLoop)
{
    Fixture f;
    SelectRoiFrame* roi = OpenRegionWindow(f.frame);
    ASSERT_NE(roi, nullptr);
    bool timedOut = false;
    wxTimer fallback;
    fallback.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        timedOut = true;
        wxTheApp->ExitMainLoop();
    });
    fallback.StartOnce(20000);
    wxTheApp->CallAfter([roi] { roi->Close(); });
    wxTheApp->MainLoop();
    EXPECT_FALSE(timedOut) << "closing the region window did not end the main loop";
    EXPECT_TRUE(RegionWindowOpen()); // exiting, not closing itself
}

TEST(SelectRoiFrame, ClosesWithItsCaptureWindow)
{
    auto f = std::make_unique<Fixture>();
    ASSERT_NE(OpenRegionWindow(f->frame), nullptr);
    ASSERT_NE(OpenRegionWindow(f->frame), nullptr); // several may be open
    EXPECT_EQ(TopLevel<SelectRoiFrame>().size(), 2u);
    f.reset();
    PumpUntil([] { return !RegionWindowOpen(); }, std::chrono::seconds(10), "region windows to go");
}

namespace
{

// Answers every message box with OK and remembers it (for inputs whose outcome is
// not known beforehand).
class MessageRecorder : public wxModalDialogHook
{
public:
    struct Box
    {
        wxString caption;
        wxString message;
    };
    std::vector<Box> boxes;

protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* box = dynamic_cast<wxMessageDialog*>(dialog))
        {
            boxes.push_back({box->GetCaption(), box->GetMessage()});
            return wxID_OK;
        }
        ADD_FAILURE() << "unexpected dialog";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

// Texts built from pieces that matter to the parsers: numbers at and beyond the
// limits, every separator, signs, words. Half of the region texts are four
// numbers with random separators, so that many get through.
wxString RandomText(std::mt19937& random, bool region)
{
    static const std::vector<wxString> whole = {"0", "1", "7", "10", "100", "1600", "99999", "2147483647", "+5", "08"};
    static const std::vector<wxString> numbers = {"99.9", "12.5", "0.01", "1e1", "2147483648", "", "-3", "100.0",
                                                  "0",    "1",    "10",   "60",  "99",         "25"};
    static const std::vector<wxString> separators = {",", ", ", ";", "-", "\t", " ", " ; ", ",", ",,"};
    static const std::vector<wxString> noise = {"x", "Full", "Screen", "full screen", "Full Screen", "\n",
                                                "0x10", "nan", "inf", "\u20ac", ".", "e", "Select Region..."};
    const auto pick = [&random](const std::vector<wxString>& from) { return from[random() % from.size()]; };

    wxString text;
    if (region && random() % 2 == 0)
    {
        for (int i = 0; i < 4; ++i)
            text += (i ? pick(separators) : wxString()) + pick(random() % 8 ? whole : numbers);
        if (random() % 4 == 0)
            text += pick(random() % 2 ? separators : noise);
        return text;
    }
    const int n = random() % (region ? 8 : 3);
    for (int i = 0; i < n; ++i)
        text += pick(random() % 3 ? numbers : random() % 2 ? separators : noise);
    return text;
}

} // namespace

TEST(ScreenCaptureFrame, RandomSettingsAreAcceptedWithinBoundsOrRefusedWithAMessage)
{
    Fixture f(1.25);
    const wxSize screen = ScreenSize();
    const int maxW = int(screen.x * 1.25);
    const int maxH = int(screen.y * 1.25);
    f.record->writeOutputOnStop = false;
    MessageRecorder messages;
    messages.Register();

    std::mt19937 random(20261206);
    int accepted = 0;
    int refused = 0;
    for (int i = 0; i < 10000; ++i)
    {
        const wxString region = RandomText(random, true);
        const wxString rate = random() % 3 == 0 ? wxString("10") : RandomText(random, false);
        SetText(f.frame, "regionCombo", region);
        SetText(f.frame, "frameRateCombo", rate);
        f.record->calls.clear();
        messages.boxes.clear();
        Click(f.frame, "startStopButton");
        const std::string what = "region [" + region.utf8_string() + "] rate [" + rate.utf8_string() + "]";
        if (f.frame->IsCapturing())
        {
            ++accepted;
            EXPECT_TRUE(messages.boxes.empty()) << what;
            EXPECT_GT(f.record->frameRate, 0) << what;
            EXPECT_LT(f.record->frameRate, 100) << what;
            ASSERT_GE(f.record->calls.size(), 5u) << what;
            if (f.record->calls[3] != "SetFullScreen()")
            {
                const wxRect r = f.record->aligned;
                EXPECT_GE(r.x, 0) << what;
                EXPECT_GE(r.y, 0) << what;
                EXPECT_GE(r.width, 8) << what;
                EXPECT_GE(r.height, 8) << what;
                EXPECT_LE(r.width, maxW) << what;
                EXPECT_LE(r.height, maxH) << what;
            }
            Click(f.frame, "startStopButton");
        }
        else
        {
            ++refused;
            ASSERT_EQ(messages.boxes.size(), 1u) << what;
            EXPECT_EQ(messages.boxes[0].caption, "Error") << what;
            EXPECT_FALSE(messages.boxes[0].message.empty()) << what;
            EXPECT_TRUE(f.record->calls.empty()) << what;
            EXPECT_NE(Label(f.frame, "startStopButton"), "Stop") << what;
        }
    }
    messages.Unregister();
    // Both outcomes were exercised often.
    EXPECT_GT(accepted, 500);
    EXPECT_GT(refused, 500);
}
