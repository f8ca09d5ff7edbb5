#include "mainframe.h"

#include "korgui/korgui.h"

#include "korbase/appversion.h"

#include <wx/aboutdlg.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

MainFrame::MainFrame() : wxFrame(nullptr, wxID_ANY, _("korhost"), wxDefaultPosition, wxSize(640, 400))
{
    auto* fileMenu = new wxMenu;
    fileMenu->Append(wxID_EXIT);

    auto* toolsMenu = new wxMenu;

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
    sizer->Add(new wxStaticText(panel, wxID_ANY, _("Sources handed to korhost:")),
               wxSizerFlags().Border(wxLEFT | wxRIGHT, 20));
    m_openedSources = new wxListBox(panel, wxID_ANY);
    sizer->Add(m_openedSources, wxSizerFlags(1).Expand().Border(wxALL, 20));
    panel->SetSizer(sizer);

    CreateStatusBar();
    SetStatusText(wxString::Format(_("korgui %s"), KorguiVersion()));

    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
    Bind(wxEVT_MENU, &MainFrame::OnAbout, this, wxID_ABOUT);

    m_services = std::make_unique<HostServices>(*this, menuBar, toolsMenu, helpMenu);
}

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
    // Until the copy-and-verify tool is connected here, show what it would open.
    if (IsIconized())
        Iconize(false);
    Raise();
    m_openedSources->Append(source);
    SetStatusText(wxString::Format(_("Copy and verify: %s"), source));
}
