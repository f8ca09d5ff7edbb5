#include "mainframe.h"

#include "ffmpegcapture.h"

#include "korgui/ivtdialog.h"
#include "korgui/korgui.h"
#include "korgui/screencapturecontroller.h"

#include "korbase/appversion.h"

#include <wx/aboutdlg.h>
#include <wx/artprov.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

extern "C" {
#include <libavutil/avutil.h>
}

MainFrame::MainFrame() : wxFrame(nullptr, wxID_ANY, _("korhost"), wxDefaultPosition, wxSize(640, 400))
{
    auto* fileMenu = new wxMenu;
    fileMenu->Append(wxID_EXIT);

    auto* toolsMenu = new wxMenu;
    const int copyAndVerifyId = wxWindow::NewControlId();
    toolsMenu->Append(copyAndVerifyId, _("Copy and Verify..."));
    const int screenCaptureId = wxWindow::NewControlId();
    toolsMenu->Append(screenCaptureId, _("Screen Capture..."), _("Record the screen or a region of it"));

    auto* helpMenu = new wxMenu;
    helpMenu->Append(wxID_ABOUT);

    auto* menuBar = new wxMenuBar;
    menuBar->Append(fileMenu, _("&File"));
    menuBar->Append(toolsMenu, _("&Tools"));
    menuBar->Append(helpMenu, _("&Help"));
    SetMenuBar(menuBar);

    auto* panel = new wxPanel(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(panel, wxID_ANY,
                                _("korhost shows the windows of the korgui library.\n"
                                  "Open them from the Tools menu.")),
               wxSizerFlags().Border(wxALL, 20));
    panel->SetSizer(sizer);

    CreateStatusBar();
    SetStatusText(wxString::Format(_("korgui %s"), KorguiVersion()));

    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
    Bind(wxEVT_MENU, &MainFrame::OnAbout, this, wxID_ABOUT);

    m_screenCapture = std::make_unique<ScreenCaptureController>(this);
    Bind(wxEVT_MENU, &MainFrame::OnScreenCapture, this, screenCaptureId);
    Bind(KORGUI_EVT_SCRCAP_ABOUT, &MainFrame::OnScreenCaptureAbout, this);
    Bind(KORGUI_EVT_SCRCAP_CLOSED, &MainFrame::OnScreenCaptureClosed, this);
    Bind(wxEVT_MENU, &MainFrame::OnCopyAndVerify, this, copyAndVerifyId);
    m_services = std::make_unique<HostServices>(*this, menuBar, toolsMenu, helpMenu);
}

// Out of line, where ScreenCaptureController is complete.
MainFrame::~MainFrame() = default;

void MainFrame::OnAbout(wxCommandEvent&)
{
    m_services->ShowAbout();
}

void MainFrame::StartSingleInstanceServer()
{
    m_services->StartServer([this](const std::vector<wxString>& paths) {
        for (const wxString& path : paths)
            OpenCopyAndVerify(path);
    });
}

void MainFrame::OpenCopyAndVerify(const wxString& source)
{
    if (IsIconized())
        Iconize(false);
    Raise();
    // Modeless, as a host shows it; the dialog destroys itself when closed.
    auto* dialog = new IVTDialog(this, AppVersion(), _("Copy and Verify"));
    dialog->Show();
    dialog->SetSourcePath(source);
}

void MainFrame::OnScreenCapture(wxCommandEvent&)
{
    auto engine = std::make_unique<FfmpegCapture>();
    if (m_screenCapture->Init(engine.get(), GetContentScaleFactor()))
        engine.release(); // the capture window owns it now
    else
        wxMessageBox(_("The screen capture window is already open."), _("Screen Capture"), wxOK | wxICON_INFORMATION,
                     this);
}

void MainFrame::OnScreenCaptureAbout(wxCommandEvent& event)
{
    wxAboutDialogInfo info;
    // Named as the window the user asked from.
    const wxWindow* captureWindow = wxWindow::FindWindowById(event.GetId());
    info.SetName(captureWindow ? captureWindow->GetLabel() : wxString(_("Screen Capture")));
    const wxIcon icon = wxArtProvider::GetIcon("camera-video", wxART_OTHER, wxSize(64, 64));
    if (icon.IsOk())
        info.SetIcon(icon);
    info.SetVersion(KorguiVersion());
    info.SetDescription(wxString::Format(_("Records a display, or a region of it, with FFmpeg %s "
                                           "(x11grab) into the chosen file format.\n\n"
                                           "Pick \"Select Region...\" and drag a rectangle with the left "
                                           "mouse button to record part of the display."),
                                         av_version_info()));
    wxAboutBox(info, this);
}

void MainFrame::OnScreenCaptureClosed(wxCommandEvent& event)
{
    const wxString video = event.GetString();
    if (video.empty())
        return;
    const wxString folder = wxFileName(video).GetPath();
    if (wxMessageBox(wxString::Format(_("The recording is in\n%s\n\nOpen its folder?"), video), _("Screen Capture"),
                     wxYES_NO | wxICON_QUESTION, this) == wxYES)
        wxLaunchDefaultApplication(folder);
}

void MainFrame::OnCopyAndVerify(wxCommandEvent&)
{
    auto* dialog = new IVTDialog(this, AppVersion(), _("Copy and Verify"));
    dialog->Show();
}
