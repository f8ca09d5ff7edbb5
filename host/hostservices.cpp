#include "hostservices.h"

#include "korgui/korgui.h"
#include "korgui/textdialogs.h"

#include "korbase/appversion.h"
#include "korbase/datetime.h"
#include "korbase/files.h"

#include <wx/display.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/platinfo.h>
#include <wx/uilocale.h>
#include <wx/utils.h>
#include <wx/versioninfo.h>

#include <algorithm>

namespace
{

wxString WhatsNewText()
{
    return _("What korgui offers a host application\n"
             "\n"
             "Copy and Verify\n"
             "\tHashes a folder tree, copies it into an empty destination and verifies every copy by\n"
             "\tits hash (MD5, SHA1, SHA256, SHA384 or SHA512). It compares two trees, removes\n"
             "\tduplicate files, and writes a tab-separated log to the desktop whose master hash lets\n"
             "\tanyone check the whole operation again.\n"
             "\n"
             "Screen Capture\n"
             "\tRecords a display, or a region of it picked with the mouse, at a chosen frame rate\n"
             "\tinto a video file of a chosen format.\n"
             "\n"
             "Shared dialogs\n"
             "\tRead-only text dialogs like this one (with no button, a closing button or a\n"
             "\tcopy-to-clipboard button) and a text entry dialog that keeps the focus in its field.\n"
             "\n"
             "Application services\n"
             "\tA second start of the application hands its paths to the running one: try\n"
             "\t\tkorhost /path/to/a/folder\n"
             "\twhile korhost runs. A notice menu appears in the menu bar once a day; opening it\n"
             "\ttakes it away again.\n");
}

} // namespace

HostServices::HostServices(wxFrame& frame, wxMenuBar* menuBar, wxMenu* toolsMenu, wxMenu* helpMenu)
    : m_frame(frame)
{
    const int noticeLabelId = wxWindow::NewControlId();
    const int showNoticeId = wxWindow::NewControlId();
    if (toolsMenu->GetMenuItemCount() > 0)
        toolsMenu->AppendSeparator();
    toolsMenu->Append(showNoticeId, _("Show the &Notice"), _("Put the notice menu into the menu bar"));
    toolsMenu->Append(noticeLabelId, _("Notice &Title..."), _("Choose the title of the notice menu"));

    const int whatsNewId = wxWindow::NewControlId();
    const int reportId = wxWindow::NewControlId();
    helpMenu->Insert(0, whatsNewId, _("&What's New"));
    helpMenu->Insert(1, reportId, _("System &Report..."), _("Show what korhost runs on, ready to copy"));
    helpMenu->InsertSeparator(2);

    frame.Bind(wxEVT_MENU, [this](wxCommandEvent&) { ShowNotice(); }, showNoticeId);
    frame.Bind(wxEVT_MENU, [this](wxCommandEvent&) { AskNoticeLabel(); }, noticeLabelId);
    frame.Bind(wxEVT_MENU, [this](wxCommandEvent&) { ShowWhatsNew(); }, whatsNewId);
    frame.Bind(wxEVT_MENU, [this](wxCommandEvent&) { ShowSystemReport(); }, reportId);

    m_notice.SetLabel(_("&Notice"));
    const int noticeWhatsNewId = wxWindow::NewControlId();
    m_notice.GetMenu()->Append(noticeWhatsNewId, _("See What's New in korgui..."));
    frame.Bind(wxEVT_MENU, [this](wxCommandEvent&) { ShowWhatsNew(); }, noticeWhatsNewId);
    m_notice.Init(&frame, menuBar);
    m_notice.GetMenu()->Bind(wxEVT_MENU_OPEN, &HostServices::OnNoticeOpened, this);

    m_noticeRecord.Read(); // none yet on a first start
    if (IsNoticeDue())
        ShowNotice();
}

void HostServices::StartServer(HostConnection::Handler onPaths)
{
    // Answer the second start first; whatever the paths open comes afterwards.
    auto deferred = [this, onPaths](const std::vector<wxString>& paths) {
        m_frame.CallAfter([onPaths, paths] { onPaths(paths); });
    };
    m_server = std::make_unique<HostServer>(deferred);
    if (!m_server->Create(SingleInstanceServer::GetDefaultServerName()))
        m_server.reset(); // the reason is logged; korhost runs on without it
}

void HostServices::ShowAbout()
{
    const AppVersion version;
    KorScrollableTextDialogOK dialog(
        &m_frame, _("About korhost"), wxString::Format(_("korhost %s, the demo host of the korgui library"), KorguiVersion()),
        wxString::Format(_("korhost opens every window that the korgui library exports, the way a real host "
                           "application does.\n\n"
                           "korgui %s\nRevision %s\nPlatform %s\n%s\n"),
                         KorguiVersion(), version.GetLoomRevision(), version.GetPlatform(),
                         wxGetLibraryVersionInfo().GetVersionString()),
        _("Close"));
    dialog.ShowModal();
}

void HostServices::ShowWhatsNew()
{
    // One window, brought forward when asked for again.
    if (!m_whatsNew)
        m_whatsNew = new KorScrollableTextDialog(&m_frame, _("What's New"), _("korgui in korhost"), WhatsNewText());
    m_whatsNew->Show();
    m_whatsNew->Raise();
}

void HostServices::ShowSystemReport()
{
    const wxString report = SystemReport();
    KorScrollableTextDialogClipCopy dialog(
        &m_frame, _("System Report"),
        _("Please copy this report into any message about a problem with korhost."), report,
        wxString::Format("korhost system report, %s\n\n%s", DateTimeToString(wxDateTime::Now()), report),
        _("Copy to Clipboard"));
    dialog.ShowModal();
}

wxString HostServices::SystemReport() const
{
    const AppVersion version;
    const wxPlatformInfo& platform = wxPlatformInfo::Get();
    wxString report;
    // Names padded into one column: the report shows in a monospaced font.
    auto line = [&report](const wxString& name, const wxString& value) {
        report << wxString(name + ":").Pad(20 - std::min<size_t>(19, name.length() + 1)) << value << "\n";
    };
    line(_("korgui"), KorguiVersion());
    line(_("Revision"), version.GetLoomRevision());
    line(_("Platform"), version.GetPlatform());
    line(_("Operating system"), wxGetOsDescription());
    line(_("Toolkit"), wxString::Format("%s (GTK %d.%d)", wxGetLibraryVersionInfo().GetVersionString(),
                                         platform.GetToolkitMajorVersion(), platform.GetToolkitMinorVersion()));
    line(_("Language"), wxUILocale::GetCurrent().GetName());
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i)
    {
        const wxRect r = wxDisplay(i).GetGeometry();
        line(wxString::Format(_("Display %u"), i + 1),
             wxString::Format("%d x %d at %d, %d", r.width, r.height, r.x, r.y));
    }
    line(_("Desktop"), GetUserDesktopPath());
    line(_("Settings folder"), JsonObject::DefaultFolder());
    line(_("Second starts"), m_server ? wxString::Format(_("received on %s"), m_server->GetSocketPath())
                                      : wxString(_("not received (see the log)")));
    const wxDateTime lastNotice = m_noticeRecord.GetLastNotified();
    line(_("Notice last seen"), lastNotice.IsValid() ? lastNotice.Format() : wxString(_("never")));
    return report;
}

void HostServices::AskNoticeLabel()
{
    KorTextEntryDialogWithFocus dialog(&m_frame, _("Title of the notice menu in the menu bar:"), _("Notice Title"),
                                       wxMenuItem::GetLabelText(_("&Notice")));
    if (dialog.ShowModal() != wxID_OK || dialog.GetValue().Strip(wxString::both).empty())
        return;
    // A menu in the bar keeps its title: put it in again under the new one.
    const bool shown = m_notice.IsAttached();
    m_notice.SetAttached(false);
    m_notice.SetLabel(dialog.GetValue().Strip(wxString::both));
    if (shown)
        m_notice.SetAttached(true);
}

bool HostServices::IsNoticeDue() const
{
    const wxDateTime last = m_noticeRecord.GetLastNotified();
    return !last.IsValid() || !last.IsSameDate(wxDateTime::Now());
}

void HostServices::ShowNotice()
{
    m_notice.SetAttached(true);
}

void HostServices::OnNoticeOpened(wxMenuEvent& event)
{
    event.Skip(); // MenuNotification takes the menu away
    m_noticeRecord.SetLastNotified(wxDateTime::Now());
    if (!m_noticeRecord.Write())
        wxLogWarning(_("Cannot save when the notice was seen in \"%s\"."), m_noticeRecord.GetFilePath());
}
