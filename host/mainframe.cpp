#include "mainframe.h"

#include "korgui/ivtdialog.h"
#include "korgui/korgui.h"

#include "korbase/appversion.h"

#include <wx/aboutdlg.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

MainFrame::MainFrame() : wxFrame(nullptr, wxID_ANY, _("korhost"), wxDefaultPosition, wxSize(640, 400))
{
    auto* fileMenu = new wxMenu;
    fileMenu->Append(wxID_EXIT);

    auto* toolsMenu = new wxMenu;
    const int copyAndVerifyId = wxWindow::NewControlId();
    toolsMenu->Append(copyAndVerifyId, _("Copy and Verify..."));

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
    Bind(wxEVT_MENU, &MainFrame::OnCopyAndVerify, this, copyAndVerifyId);
}

void MainFrame::OnAbout(wxCommandEvent&)
{
    const AppVersion version;
    wxAboutDialogInfo info;
    info.SetName("korhost");
    info.SetVersion(KorguiVersion(), wxString::Format(_("korgui %s, revision %s, %s"), KorguiVersion(),
                                                      version.GetLoomRevision(), version.GetPlatform()));
    info.SetDescription(_("Demo host application for the korgui library."));
    wxAboutBox(info, this);
}

void MainFrame::OnCopyAndVerify(wxCommandEvent&)
{
    // Modeless, as a host shows it; the dialog destroys itself when closed.
    auto* dialog = new IVTDialog(this, AppVersion(), _("Copy and Verify"));
    dialog->Show();
}
