#include "harness/helpers.h"

#include "korgui/services/menustyle_gtk.h"
#include "korgui/notifications.h"

#include "korbase/datetime.h"

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include <fstream>

using namespace kortest;

namespace
{

const std::string member = "Last Notified About Expirations";

struct DestroyLater
{
    void operator()(wxWindow* w) const { w->Destroy(); }
};

// A host main window with a menu bar of two menus.
struct HostFrame
{
    HostFrame()
    {
        frame.reset(new wxFrame(nullptr, wxID_ANY, "Host", wxPoint(50, 50), wxSize(600, 300)));
        bar = new wxMenuBar;
        auto* file = new wxMenu;
        file->Append(wxID_EXIT);
        bar->Append(file, "&File");
        auto* help = new wxMenu;
        help->Append(wxID_ABOUT);
        bar->Append(help, "&Help");
        frame->SetMenuBar(bar);
    }

    void Show()
    {
        frame->Show();
        PumpUntil([&] { return frame->IsShownOnScreen(); }, std::chrono::seconds(10), "frame shown");
        PumpFor(std::chrono::milliseconds(200));
    }

    std::unique_ptr<wxFrame, DestroyLater> frame;
    wxMenuBar* bar = nullptr;
};

wxColour BackgroundOf(GtkWidget* widget)
{
    GdkRGBA* rgba = nullptr;
    gtk_style_context_get(gtk_widget_get_style_context(widget), GTK_STATE_FLAG_NORMAL, "background-color", &rgba,
                          nullptr);
    wxColour colour(wxRound(rgba->red * 255), wxRound(rgba->green * 255), wxRound(rgba->blue * 255));
    gdk_rgba_free(rgba);
    return colour;
}

} // namespace

TEST(MainframeNotification, RecordsTheLastNoticeThroughTheFileStoreAndDistrustsWhatItReads)
{
    MainframeNotification record;
    EXPECT_FALSE(record.GetLastNotified().IsValid());
    EXPECT_EQ(record.WriteToJson(), (wxJSONValue{{member, ""}}));
    const wxDateTime when(29, wxDateTime::Feb, 2024, 23, 59, 58);
    record.SetLastNotified(when);
    record.SetLastNotified(wxDateTime()); // an invalid time changes nothing
    ASSERT_TRUE(record.Write());
    const wxJSONValue stored =
        wxJSONValue::parse(ReadFileBytes(JsonObject::DefaultFolder() + "/notifications.json"), nullptr, false);
    EXPECT_EQ(stored.value(member, ""), DateTimeToString(when).utf8_string());
    MainframeNotification second;
    ASSERT_TRUE(second.Read());
    EXPECT_EQ(second.GetLastNotified(), when);

    // Not an object is refused; a member that is no date-time text means never notified.
    EXPECT_FALSE(second.ReadFromJson(wxJSONValue("text")));
    EXPECT_EQ(second.GetLastNotified(), when);
    for (const wxJSONValue& odd : {wxJSONValue{{member, "yesterday"}}, wxJSONValue::object(), wxJSONValue{{member, 42}}})
    {
        second.SetLastNotified(when);
        EXPECT_TRUE(second.ReadFromJson(odd));
        EXPECT_FALSE(second.GetLastNotified().IsValid()) << odd.dump();
    }
}

TEST(MenuNotification, AttachesOnceDetachesByItsCurrentLabelAndIsGoneWhenOpened)
{
    HostFrame host;
    MenuNotification notification;
    notification.GetMenu()->Append(wxID_ANY, "Renew licence...");
    notification.SetLabel("Notice");
    notification.Init(host.frame.get(), host.bar);
    notification.SetAttached(true);
    notification.SetAttached(true);
    ASSERT_EQ(host.bar->GetMenuCount(), 3u);
    EXPECT_EQ(host.bar->GetMenuLabel(2), "Notice");

    notification.SetLabel("&File"); // searched under the new label: another menu is never taken
    notification.SetAttached(false);
    EXPECT_EQ(host.bar->GetMenuCount(), 3u);
    EXPECT_EQ(host.bar->GetMenuLabel(0), "&File");
    notification.SetLabel("Notice");

    wxMenuEvent open(wxEVT_MENU_OPEN, 0, notification.GetMenu());
    wxMenu::ProcessMenuEvent(notification.GetMenu(), open, host.frame.get());
    EXPECT_EQ(host.bar->GetMenuCount(), 2u);
    EXPECT_FALSE(notification.IsAttached());
    EXPECT_EQ(notification.GetMenu()->GetMenuItemCount(), 1u);

    // Destroyed while attached, it leaves its menu to the bar.
    {
        MenuNotification attached;
        attached.SetLabel("Other");
        attached.Init(host.frame.get(), host.bar);
        attached.SetAttached(true);
    }
    EXPECT_EQ(host.bar->GetMenuCount(), 3u);
    host.Show(); // and it still draws
}

TEST(MenuNotification, UserOpensTheColouredMenuChoosesAnItemAndItIsGone)
{
    HostFrame host;
    MenuNotification notification;
    const int itemId = wxWindow::NewControlId();
    notification.GetMenu()->Append(itemId, "Renew licence...");
    notification.SetLabel("Notice");
    notification.Init(host.frame.get(), host.bar);
    notification.SetAttached(true);
    int chosen = 0;
    host.frame->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++chosen; }, itemId);
    host.Show();

    wxMenu* menu = notification.GetMenu();
    ASSERT_NE(menu->m_owner, nullptr);
    // Drawn in the notice colour, in the bar and as a popup, and unlike the menu bar.
    wxColour background, text;
    NotificationMenuColours(background, text);
    EXPECT_EQ(BackgroundOf(menu->m_owner).GetRGB(), background.GetRGB());
    EXPECT_EQ(BackgroundOf(menu->m_menu).GetRGB(), background.GetRGB());
    EXPECT_NE(BackgroundOf(host.bar->GetMenu(0)->m_owner).GetRGB(), background.GetRGB());
    const wxColour caption = wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVECAPTION);
    EXPECT_TRUE(background == caption || background == wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));

    // Click its title in the bar.
    GtkAllocation title;
    gtk_widget_get_allocation(menu->m_owner, &title);
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(menu->m_owner), &x, &y);
    wxUIActionSimulator sim;
    sim.MouseMove(x + title.x + title.width / 2, y + title.y + title.height / 2);
    PumpFor(std::chrono::milliseconds(100));
    sim.MouseClick();
    ASSERT_TRUE(PumpUntil([&] { return IsMenuPopupShown(menu); }, std::chrono::seconds(10), "menu popup"));
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(notification.IsAttached()) << "stays while the user looks at it";

    // Choose its item, the way GTK does on a click (a second pointer click would race
    // with the other GUI tests sharing the display).
    GtkWidget* itemWidget = menu->FindItem(itemId)->GetMenuItem();
    gtk_menu_shell_select_item(GTK_MENU_SHELL(menu->m_menu), itemWidget);
    PumpFor(std::chrono::milliseconds(200));
    gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu->m_menu), itemWidget, TRUE);
    EXPECT_TRUE(PumpUntil([&] { return !notification.IsAttached(); }, std::chrono::seconds(10), "menu removed"));
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(host.bar->GetMenuCount(), 2u);
}

