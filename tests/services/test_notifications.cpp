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

wxJSONValue ReadRecordFile()
{
    const std::string text = ReadFileBytes(JsonObject::DefaultFolder() + "/notifications.json");
    return wxJSONValue::parse(text, nullptr, false);
}

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

TEST(MainframeNotification, FreshRecordWritesAnEmptyMemberAndIsNeverNotified)
{
    MainframeNotification record;
    EXPECT_EQ(record.GetName(), "notifications");
    EXPECT_FALSE(record.GetLastNotified().IsValid());
    const wxJSONValue value = record.WriteToJson();
    ASSERT_TRUE(value.is_object());
    EXPECT_EQ(value.size(), 1u);
    EXPECT_EQ(value.at(member), "");
    EXPECT_EQ(wxString(MainframeNotification::JSON_LASTNOTIFIED_EXP), wxString(member));
}

TEST(MainframeNotification, WriteThenReadThroughTheFileStore)
{
    const wxDateTime when(29, wxDateTime::Feb, 2024, 23, 59, 58);
    MainframeNotification record;
    record.SetLastNotified(when);
    ASSERT_TRUE(record.Write());

    // The file holds the member as a date-time text.
    const wxJSONValue stored = ReadRecordFile();
    ASSERT_TRUE(stored.is_object()) << stored.dump();
    EXPECT_EQ(stored.at(member), std::string(DateTimeToString(when).utf8_str()));

    MainframeNotification second;
    ASSERT_TRUE(second.Read());
    EXPECT_TRUE(second.GetLastNotified().IsValid());
    EXPECT_EQ(second.GetLastNotified(), when);

    // Copies carry the value along.
    MainframeNotification copy(second);
    EXPECT_EQ(copy.GetLastNotified(), when);
    MainframeNotification moved(std::move(copy));
    EXPECT_EQ(moved.GetLastNotified(), when);
    MainframeNotification assigned;
    assigned = moved;
    EXPECT_EQ(assigned.GetLastNotified(), when);
    EXPECT_EQ(assigned.GetName(), "notifications");
}

TEST(MainframeNotification, InvalidDateTimesChangeNothing)
{
    MainframeNotification record;
    record.SetLastNotified(wxDateTime());
    EXPECT_EQ(record.WriteToJson().at(member), "");

    const wxDateTime when(1, wxDateTime::Jan, 2025, 8, 0, 0);
    record.SetLastNotified(when);
    record.SetLastNotified(wxDateTime());
    EXPECT_EQ(record.GetLastNotified(), when);
    EXPECT_EQ(record.WriteToJson().at(member), std::string(DateTimeToString(when).utf8_str()));
}

TEST(MainframeNotification, ReadsWhatItIsGivenWithoutTrustingIt)
{
    MainframeNotification record;
    const wxDateTime when(2, wxDateTime::Jun, 2023, 10, 11, 12);
    record.SetLastNotified(when);

    // Not an object: refused, nothing changes.
    EXPECT_FALSE(record.ReadFromJson(wxJSONValue::array({"x"})));
    EXPECT_FALSE(record.ReadFromJson(wxJSONValue("text")));
    EXPECT_EQ(record.GetLastNotified(), when);

    // A text that is no date-time reads as never notified.
    EXPECT_TRUE(record.ReadFromJson(wxJSONValue{{member, "yesterday"}}));
    EXPECT_FALSE(record.GetLastNotified().IsValid());

    // A missing member, or one of another type, means never notified.
    record.SetLastNotified(when);
    EXPECT_TRUE(record.ReadFromJson(wxJSONValue::object()));
    EXPECT_FALSE(record.GetLastNotified().IsValid());
    record.SetLastNotified(when);
    EXPECT_TRUE(record.ReadFromJson(wxJSONValue{{member, 42}}));
    EXPECT_FALSE(record.GetLastNotified().IsValid());

    // A damaged file is not read.
    std::ofstream(std::string(record.GetFilePath().fn_str())) << "{ broken";
    record.SetLastNotified(when);
    EXPECT_FALSE(record.Read());
    EXPECT_EQ(record.GetLastNotified(), when);
}

TEST(MenuNotification, AttachingTwiceAppendsOnceAndDetachingKeepsTheMenu)
{
    HostFrame host;
    MenuNotification notification;
    notification.GetMenu()->Append(wxID_ANY, "Renew licence...");
    notification.SetLabel("&Expiring!");
    notification.Init(host.frame.get(), host.bar);
    EXPECT_FALSE(notification.IsAttached());

    notification.SetAttached(true);
    notification.SetAttached(true);
    ASSERT_EQ(host.bar->GetMenuCount(), 3u);
    EXPECT_EQ(host.bar->GetMenu(2), notification.GetMenu());
    EXPECT_EQ(host.bar->GetMenuLabel(2), "&Expiring!");
    EXPECT_TRUE(notification.IsAttached());

    notification.SetAttached(false);
    notification.SetAttached(false);
    EXPECT_EQ(host.bar->GetMenuCount(), 2u);
    EXPECT_FALSE(notification.IsAttached());
    EXPECT_EQ(notification.GetMenu()->GetMenuItemCount(), 1u);

    // Again, with its items.
    notification.SetAttached(true);
    EXPECT_EQ(host.bar->GetMenuCount(), 3u);
    EXPECT_EQ(host.bar->GetMenu(2)->GetMenuItemCount(), 1u);
}

TEST(MenuNotification, TheNewLabelIsTheOneSearchedAndNoOtherMenuIsEverTaken)
{
    HostFrame host;
    MenuNotification notification;
    notification.SetLabel("Notice");
    notification.Init(host.frame.get(), host.bar);
    notification.SetAttached(true);

    notification.SetLabel("Other");
    EXPECT_EQ(host.bar->GetMenuLabel(2), "Notice") << "the title in the bar stays";
    notification.SetAttached(false);
    EXPECT_EQ(host.bar->GetMenuCount(), 3u) << "searched under the new label, not found";

    notification.SetLabel("&File");
    notification.SetAttached(false);
    EXPECT_EQ(host.bar->GetMenuCount(), 3u);
    EXPECT_EQ(host.bar->GetMenuLabel(0), "&File");

    notification.SetLabel("Notice");
    notification.SetAttached(false);
    EXPECT_EQ(host.bar->GetMenuCount(), 2u);
}

TEST(MenuNotification, OpeningTheAttachedMenuRemovesIt)
{
    HostFrame host;
    MenuNotification notification;
    notification.SetLabel("Notice");
    notification.Init(host.frame.get(), host.bar);
    notification.SetAttached(true);
    ASSERT_EQ(host.bar->GetMenuCount(), 3u);

    wxMenuEvent open(wxEVT_MENU_OPEN, 0, notification.GetMenu());
    wxMenu::ProcessMenuEvent(notification.GetMenu(), open, host.frame.get());
    EXPECT_EQ(host.bar->GetMenuCount(), 2u);
    EXPECT_FALSE(notification.IsAttached());

    // Opening a detached menu does nothing.
    wxMenu::ProcessMenuEvent(notification.GetMenu(), open, host.frame.get());
    EXPECT_EQ(host.bar->GetMenuCount(), 2u);
}

TEST(MenuNotification, OpeningReachesTheOverrideOfADerivedClass)
{
    struct CountingNotification : MenuNotification
    {
        int opened = 0;
        void OnMenuClick(wxMenuEvent& event) override
        {
            ++opened;
            MenuNotification::OnMenuClick(event);
        }
    };
    HostFrame host;
    CountingNotification notification;
    notification.SetLabel("Notice");
    notification.Init(host.frame.get(), host.bar);
    notification.SetAttached(true);
    wxMenuEvent open(wxEVT_MENU_OPEN, 0, notification.GetMenu());
    wxMenu::ProcessMenuEvent(notification.GetMenu(), open, host.frame.get());
    EXPECT_EQ(notification.opened, 1);
    EXPECT_FALSE(notification.IsAttached());
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

    wxString shots;
    if (wxGetEnv("KOR_SCREENSHOT_DIR", &shots))
        Shell("import -window root " + ShellQuote(shots + "/notification-menu.png"));

    // Choose its item, the way GTK does on a click (a second pointer click would race
    // with the other GUI tests sharing the display).
    GtkWidget* itemWidget = menu->FindItem(itemId)->GetMenuItem();
    gtk_menu_shell_select_item(GTK_MENU_SHELL(menu->m_menu), itemWidget);
    PumpFor(std::chrono::milliseconds(200));
    if (!shots.empty())
        Shell("import -window root " + ShellQuote(shots + "/notification-menu-hover.png"));
    gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu->m_menu), itemWidget, TRUE);
    EXPECT_TRUE(PumpUntil([&] { return !notification.IsAttached(); }, std::chrono::seconds(10), "menu removed"));
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(host.bar->GetMenuCount(), 2u);
}

TEST(MenuNotification, DestroyingItWhileAttachedLeavesTheMenuInTheBar)
{
    HostFrame host;
    wxMenu* menu = nullptr;
    {
        MenuNotification notification;
        notification.GetMenu()->Append(wxID_ANY, "Item");
        notification.SetLabel("Notice");
        notification.Init(host.frame.get(), host.bar);
        notification.SetAttached(true);
        menu = notification.GetMenu();
    }
    ASSERT_EQ(host.bar->GetMenuCount(), 3u);
    EXPECT_EQ(host.bar->GetMenu(2), menu);
    EXPECT_EQ(menu->GetMenuItemCount(), 1u);
    host.Show(); // and it still draws
}
