#pragma once

#include "hostserver.h"

#include "korgui/notifications.h"

#include <wx/weakref.h>

#include <memory>

class KorScrollableTextDialog;
class wxFrame;
class wxMenu;
class wxMenuBar;

// What korhost does with korgui's shared dialogs and application services: the
// About box, the release notes and a copyable system report, the notice menu that
// appears once a day, and the server that receives a second start's paths.
class HostServices
{
public:
    // Adds its entries to the host's Tools and Help menus.
    HostServices(wxFrame& frame, wxMenuBar* menuBar, wxMenu* toolsMenu, wxMenu* helpMenu);

    // Starts receiving second starts; `onPaths` gets their paths (on the GUI thread,
    // after the request has been answered).
    void StartServer(HostConnection::Handler onPaths);

    void ShowAbout();
    void ShowWhatsNew();
    void ShowSystemReport();
    // Asks for the notice menu's title.
    void AskNoticeLabel();

    // The notice shows once a day: when it was last seen on another day, or never.
    bool IsNoticeDue() const;
    void ShowNotice();

private:
    wxString SystemReport() const;
    void OnNoticeOpened(wxMenuEvent& event);

    wxFrame& m_frame;
    std::unique_ptr<HostServer> m_server;
    MainframeNotification m_noticeRecord;
    MenuNotification m_notice;
    wxWeakRef<KorScrollableTextDialog> m_whatsNew;
};
