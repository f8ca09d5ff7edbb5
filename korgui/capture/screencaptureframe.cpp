#include "korgui/capture/screencaptureframe.h"

#include "korgui/capture/captureregion.h"
#include "korgui/capture/selectroiframe.h"

#include "korbase/ui/formatprovider.h"
#include "korbase/ui/messagetext.h"
#include "korbase/korexception.h"
#include "korbase/serializer.h"
#include "korbase/ui/styledwidgets.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

namespace
{

const char* const sourceName = "korgui/screencaptureframe";
const int settingsControlWidth = 300;
const int counterTextWidth = 150;
const int counterIntervalMillis = 500;

// Thrown for settings the recording cannot start with; code 1 means the user declined.
[[noreturn]] void ThrowSettingError(int line, int code, const wxString& message)
{
    throw KorException(sourceName, line, ExceptionType::General, code, message);
}

// The display list's entry for display `index`, its geometry in pixels.
wxString DisplayEntry(unsigned index, double scale)
{
    const wxDisplay display(index);
    const wxRect g = display.GetGeometry();
    wxString name = display.GetName();
    if (name.empty()) // GTK knows no monitor names
        name = display.IsPrimary() ? _("Primary display") : _("Display");
    return wxString::Format("%d: %s (%d, %d, %d, %d)", static_cast<int>(index), name, ScaleTruncated(g.x, scale),
                            ScaleTruncated(g.y, scale), ScaleTruncated(g.width, scale),
                            ScaleTruncated(g.height, scale));
}

// The display index a list selection stands for, even if displays went away since.
unsigned ValidDisplay(int selection)
{
    return selection >= 0 && static_cast<unsigned>(selection) < wxDisplay::GetCount() ? selection : 0;
}

} // namespace

ScreenCaptureFrame::ScreenCaptureFrame(KorScreenCapture* engine, double scale)
    : wxFrame(nullptr, wxID_ANY, _("Screen Capture"), wxDefaultPosition, wxDefaultSize,
              wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX),
      m_scale(scale)
{
    wxASSERT_MSG(engine, "the capture window needs an engine");

    // The host application's icon (its main window's, there being no icon resources here).
    if (auto* top = wxDynamicCast(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, wxTopLevelWindow))
    {
        if (!top->GetIcons().IsEmpty())
            SetIcons(top->GetIcons());
    }

    CreateControls();

    m_timer = std::make_unique<wxTimer>(m_panel, wxID_ANY);
    m_panel->Bind(wxEVT_TIMER, &ScreenCaptureFrame::OnTimer, this, m_timer->GetId());
    Bind(wxEVT_CLOSE_WINDOW, &ScreenCaptureFrame::OnClose, this);

    // Taken over only once the engine has accepted the display: should it throw, it stays the caller's.
    engine->SelectDisplay(m_displayCombo->GetSelection(), m_scale);
    m_capture.reset(engine);
}

ScreenCaptureFrame::~ScreenCaptureFrame()
{
    m_timer.reset();
    // Deleting the engine also ends a capture still under way.
    m_capture.reset();
}

void ScreenCaptureFrame::CreateControls()
{
    m_panel = new StyledPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER);
    const wxSize controlSize(settingsControlWidth, -1);
    const wxSizerFlags cell = wxSizerFlags().CenterVertical().FixedMinSize();

    // Settings
    auto* settingsBox = new wxStaticBoxSizer(wxVERTICAL, m_panel, _("Settings"));
    wxStaticBox* settings = settingsBox->GetStaticBox();
    auto* grid = new wxFlexGridSizer(2, 5, 5);

    FormatProvider& formats = Singleton<FormatProvider>::Instance();

    grid->Add(new wxStaticText(settings, wxID_ANY, _("Output File:")), cell);
    m_outputFile = new wxTextCtrl(settings, wxID_ANY, wxEmptyString, wxDefaultPosition, controlSize, 0,
                                  wxDefaultValidator, "outputFile");
    m_outputFile->ChangeValue(formats.GetDefaultVideoFullPath());
    m_outputFile->SetInsertionPointEnd(); // long paths show their file name
    grid->Add(m_outputFile, cell);

    grid->AddSpacer(1);
    auto* fileButtons = new wxBoxSizer(wxHORIZONTAL);
    auto* browseButton = new wxButton(settings, wxID_ANY, _("Browse"), wxDefaultPosition, wxDefaultSize, 0,
                                      wxDefaultValidator, "browseButton");
    auto* viewButton = new wxButton(settings, wxID_ANY, _("View"), wxDefaultPosition, wxDefaultSize, 0,
                                    wxDefaultValidator, "viewButton");
    fileButtons->Add(browseButton, wxSizerFlags(1).Border(wxRIGHT));
    fileButtons->Add(viewButton, wxSizerFlags(1).Border(wxLEFT));
    grid->Add(fileButtons, wxSizerFlags(1).Expand());

    grid->Add(new wxStaticText(settings, wxID_ANY, _("Output Format:")), cell);
    m_formatCombo = new wxComboBox(settings, wxID_ANY, wxEmptyString, wxDefaultPosition, controlSize,
                                   Serializer::VecStringToWxArrayString(formats.GetFormatNames(2, true, true)),
                                   wxCB_READONLY, wxDefaultValidator, "formatCombo");
    m_formatCombo->SetStringSelection(formats.GetDefaultFormatWrite(2).GetName());
    grid->Add(m_formatCombo, cell);

    grid->Add(new wxStaticText(settings, wxID_ANY, _("Capture Display:")), cell);
    wxArrayString displays;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i)
        displays.push_back(DisplayEntry(i, m_scale));
    m_displayCombo = new wxComboBox(settings, wxID_ANY, wxEmptyString, wxDefaultPosition, controlSize, displays,
                                    wxCB_READONLY, wxDefaultValidator, "displayCombo");
    const int ownDisplay = wxDisplay::GetFromWindow(this);
    m_displayCombo->SetSelection(ownDisplay == wxNOT_FOUND ? 0 : ownDisplay);
    grid->Add(m_displayCombo, cell);

    grid->Add(new wxStaticText(settings, wxID_ANY, _("Capture Region:")), cell);
    const wxString regions[] = {_("Select Region..."), _("Full Screen")};
    m_regionCombo = new wxComboBox(settings, wxID_ANY, regions[1], wxDefaultPosition, controlSize,
                                   WXSIZEOF(regions), regions, 0, wxDefaultValidator, "regionCombo");
    grid->Add(m_regionCombo, cell);

    grid->Add(new wxStaticText(settings, wxID_ANY, _("Capture Frame Rate:")), cell);
    const wxString rates[] = {"1",  "2",  "4",  "8",  "10", "12", "12.5", "15",
                              "20", "24", "25", "30", "48", "50", "60"};
    m_frameRateCombo = new wxComboBox(settings, wxID_ANY, "10", wxDefaultPosition, controlSize, WXSIZEOF(rates),
                                      rates, 0, wxDefaultValidator, "frameRateCombo");
    grid->Add(m_frameRateCombo, cell);

    settingsBox->Add(grid, wxSizerFlags(1).Expand().Border());

    // Capture
    auto* captureBox = new wxStaticBoxSizer(wxVERTICAL, m_panel, _("Capture"));
    wxStaticBox* capture = captureBox->GetStaticBox();
    m_startStopButton = new wxButton(capture, wxID_ANY, _("Start Capture"), wxDefaultPosition, wxDefaultSize, 0,
                                     wxDefaultValidator, "startStopButton");
    m_closeButton = new wxButton(capture, wxID_ANY, _("Close"), wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, "closeButton");
    const auto counterText = [capture](const wxString& label, const char* name) {
        return new wxStaticText(capture, wxID_ANY, label, wxDefaultPosition, wxSize(counterTextWidth, -1),
                                wxALIGN_LEFT | wxST_NO_AUTORESIZE, name);
    };
    m_statusText = counterText(_("Status: not recording"), "statusText");
    m_framesCapturedText = counterText(wxString::Format(_("Frames captured: %d"), 0), "framesCapturedText");
    m_framesLostText = counterText(wxString::Format(_("Frames lost: %d"), 0), "framesLostText");
    captureBox->Add(m_startStopButton, wxSizerFlags().Expand().FixedMinSize().Border());
    captureBox->Add(m_closeButton, wxSizerFlags().Expand().FixedMinSize().Border(wxLEFT | wxRIGHT | wxBOTTOM));
    for (wxStaticText* text : {m_statusText, m_framesCapturedText, m_framesLostText})
        captureBox->Add(text, wxSizerFlags().Left().Border(wxLEFT | wxRIGHT | wxBOTTOM));

    auto* helpButton = new wxButton(m_panel, wxID_ANY, _("Help"), wxDefaultPosition, wxDefaultSize, 0,
                                    wxDefaultValidator, "helpButton");
    auto* helpSizer = new wxBoxSizer(wxVERTICAL);
    helpSizer->Add(helpButton, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP));

    auto* rightColumn = new wxBoxSizer(wxVERTICAL);
    rightColumn->Add(captureBox, wxSizerFlags().Expand().Border());
    rightColumn->Add(helpSizer, wxSizerFlags().Expand());

    auto* panelSizer = new wxBoxSizer(wxHORIZONTAL);
    panelSizer->Add(settingsBox, wxSizerFlags().Border());
    panelSizer->Add(rightColumn, wxSizerFlags().Expand());
    m_panel->SetSizer(panelSizer);

    auto* frameSizer = new wxBoxSizer(wxVERTICAL);
    frameSizer->Add(m_panel, wxSizerFlags(1).Expand());
    SetSizer(frameSizer);
    Layout();
    Fit();
    m_panel->SetMinSize(m_panel->GetSize());

    m_panel->Bind(wxEVT_BUTTON, &ScreenCaptureFrame::OnBrowse, this, browseButton->GetId());
    m_panel->Bind(wxEVT_BUTTON, &ScreenCaptureFrame::OnView, this, viewButton->GetId());
    m_panel->Bind(wxEVT_COMBOBOX, &ScreenCaptureFrame::OnFormatChanged, this, m_formatCombo->GetId());
    m_panel->Bind(wxEVT_COMBOBOX, &ScreenCaptureFrame::OnRegionChoice, this, m_regionCombo->GetId());
    m_panel->Bind(
        wxEVT_TEXT,
        [this](wxCommandEvent& event) {
            event.Skip();
            if (m_regionCombo->GetValue() != _("Select Region..."))
                m_regionBeforeSelection = m_regionCombo->GetValue();
        },
        m_regionCombo->GetId());
    m_panel->Bind(wxEVT_BUTTON, &ScreenCaptureFrame::OnStartStop, this, m_startStopButton->GetId());
    m_panel->Bind(wxEVT_BUTTON, &ScreenCaptureFrame::OnCloseButton, this, m_closeButton->GetId());
    m_panel->Bind(wxEVT_BUTTON, &ScreenCaptureFrame::OnHelp, this, helpButton->GetId());
}

void ScreenCaptureFrame::OnBrowse(wxCommandEvent&)
{
    const wxFileName current(m_outputFile->GetValue());
    // A save picker, since the output usually does not exist yet; overwriting is asked at start.
    const wxString path = wxFileSelector(_("Output File"), current.GetPath(), current.GetFullName(), current.GetExt(),
                                         wxFileSelectorDefaultWildcardStr, wxFD_SAVE, nullptr);
    if (!path.empty())
    {
        m_outputFile->SetValue(path);
        m_outputFile->SetInsertionPointEnd();
    }
}

void ScreenCaptureFrame::OnView(wxCommandEvent&)
{
    wxLaunchDefaultBrowser(wxFileName(m_outputFile->GetValue()).GetPath(wxPATH_GET_VOLUME));
}

void ScreenCaptureFrame::OnFormatChanged(wxCommandEvent&)
{
    const FileFormat format = Singleton<FormatProvider>::Instance().GetFormatFromName(m_formatCombo->GetValue());
    if (!format.IsValid())
        return;
    wxFileName output(m_outputFile->GetValue());
    output.SetExt(format.GetExtension());
    m_outputFile->ChangeValue(output.GetFullPath());
    m_outputFile->SetInsertionPointEnd();
}

void ScreenCaptureFrame::OnRegionChoice(wxCommandEvent&)
{
    if (m_regionCombo->GetSelection() != 0)
        return;
    auto* selection = new SelectRoiFrame(this);
    selection->Move(wxDisplay(ValidDisplay(m_displayCombo->GetSelection())).GetClientArea().GetTopLeft());
    selection->ShowFullScreen(true, wxFULLSCREEN_ALL);
}

void ScreenCaptureFrame::OnStartStop(wxCommandEvent&)
{
    if (m_capturing)
        StopRecording();
    else
        StartRecording();
}

void ScreenCaptureFrame::OnCloseButton(wxCommandEvent&)
{
    Close(false);
}

void ScreenCaptureFrame::OnHelp(wxCommandEvent&)
{
    if (!m_controller)
        return;
    wxCommandEvent about(KORGUI_EVT_SCRCAP_ABOUT, GetId());
    m_controller->AddPendingEvent(about);
}

void ScreenCaptureFrame::OnTimer(wxTimerEvent&)
{
    RefreshCounters();
}

void ScreenCaptureFrame::RefreshCounters()
{
    ShowCounters(m_capture->GetFrameCounts());
}

void ScreenCaptureFrame::ShowCounters(const KorScreenCapture::FrameCounts& counts)
{
    m_framesCapturedText->SetLabel(wxString::Format(_("Frames captured: %d"), counts.captured));
    m_framesLostText->SetLabel(wxString::Format(_("Frames lost: %d"), counts.lost));
}

void ScreenCaptureFrame::OnClose(wxCloseEvent& event)
{
    // The controller destroys the window; it never closes itself.
    if (event.CanVeto())
        event.Veto();
    if (m_capturing)
    {
        wxMessageBox(_("Please stop the capture before closing."), wxMessageBoxCaptionStr, wxOK | wxCENTRE);
        return;
    }
    if (m_controller)
    {
        wxCommandEvent close(SCRCAP_EVT_FRAME_CLOSE, GetId());
        m_controller->AddPendingEvent(close);
    }
}

std::optional<wxRect> ScreenCaptureFrame::PrepareRecording()
{
    const wxFileName output(m_outputFile->GetValue());
    if (!output.IsAbsolute() || !output.HasName())
        ThrowSettingError(__LINE__, 0, _("Enter the full path of the output file."));
    if (!wxFileName::IsDirWritable(output.GetPath()))
        ThrowSettingError(__LINE__, 0,
                          wxString::Format(_("The folder \"%s\" does not exist or cannot be written to."),
                                           output.GetPath()));

    const FileFormat format = Singleton<FormatProvider>::Instance().GetFormatFromName(m_formatCombo->GetValue());
    if (!format.IsValid())
        ThrowSettingError(__LINE__, 0, _("Choose an output format."));

    const double frameRate = ParseCaptureFrameRate(m_frameRateCombo->GetValue());
    const unsigned display = ValidDisplay(m_displayCombo->GetSelection());
    const wxSize displaySize = wxDisplay(display).GetGeometry().GetSize();
    const CaptureRegion region =
        ParseCaptureRegion(m_regionCombo->GetValue(), wxSize(ScaleTruncated(displaySize.GetWidth(), m_scale),
                                                             ScaleTruncated(displaySize.GetHeight(), m_scale)));

    const wxString path = output.GetFullPath();
    m_capture->SelectDisplay(display, m_scale);
    m_capture->SetOutput(path, format.GetCodecId());
    m_capture->SetFrameRate(frameRate);
    std::optional<wxRect> recorded;
    if (region.fullScreen)
    {
        m_capture->SetFullScreen();
    }
    else
    {
        recorded = m_capture->AlignRegion(region.rect, 4, 4);
        m_capture->SetRegion(*recorded);
    }

    if (wxFileExists(path) &&
        wxMessageBox(_("Existing file. Do you want to overwrite it?"), _("Warning"), wxOK | wxCANCEL) != wxOK)
        ThrowSettingError(__LINE__, 1, wxString());
    return recorded;
}

void ScreenCaptureFrame::StartRecording()
{
    std::optional<wxRect> recorded;
    try
    {
        recorded = PrepareRecording();
        m_capture->Start();
    }
    catch (const KorException& e)
    {
        // Nothing has changed yet: the window stays ready for another try.
        if (e.GetCode() != 1)
            wxMessageBox(BreakLongWords(wxGetTranslation(e.GetMessage())), _("Error"), wxOK | wxCENTRE | wxICON_ERROR);
        return;
    }
    m_capturing = true;
    m_statusText->SetLabel(_("Status: recording"));
    m_startStopButton->SetLabel(_("Stop"));
    ShowCounters(KorScreenCapture::FrameCounts());
    // The region field shows what is recorded, once cut to the display and aligned.
    if (recorded && RegionText(*recorded) != m_regionCombo->GetValue())
    {
        m_regionBeforeSelection = RegionText(*recorded);
        m_regionCombo->ChangeValue(m_regionBeforeSelection);
    }
    m_timer->Start(counterIntervalMillis, wxTIMER_CONTINUOUS);
}

void ScreenCaptureFrame::StopRecording()
{
    m_capture->Stop();
    m_capturing = false;
    m_statusText->SetLabel(_("Status: not recording"));
    m_startStopButton->SetLabel(_("Start Capture"));
    m_timer->Stop();
    // The engine's final numbers, which the file holds; the last tick may be behind.
    RefreshCounters();
    if (wxFileExists(m_outputFile->GetValue()))
        m_lastVideoPath = m_outputFile->GetValue();
}
