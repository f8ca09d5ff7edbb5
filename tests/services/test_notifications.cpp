#include "harness/helpers.h"

#include "korgui/services/menustyle_gtk.h"
#include "korgui/notifications.h"

#include "korbase/datetime.h"

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/menu.h>

#include <gtk/gtk.h>

using namespace kortest;

namespace
{

const std::string member = "Last Notified About Expirations";

// A host main window with a menu bar of two menus, destroyed with the test.
struct HostFrame
{
    HostFrame()
    {
        bar->Append(new wxMenu, "&File");
        bar->Append(new wxMenu, "&Help");
        frame->SetMenuBar(bar);
    }
    ~HostFrame() { frame->Destroy(); }
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Host", wxPoint(50, 50), wxSize(600, 300));
    wxMenuBar* bar = new wxMenuBar;
};

wxColour BackgroundOf(GtkWidget* widget)
{
    GdkRGBA* rgba = nullptr;
    gtk_style_context_get(gtk_widget_get_style_context(widget), GTK_STATE_FLAG_NORMAL, "background-color", &rgba,
                          nullptr);
    const wxColour colour(wxRound(rgba->red * 255), wxRound(rgba->green * 255), wxRound(rgba->blue * 255));
    gdk_rgba_free(rgba);
    return colour;
}

} // namespace

TEST(MainframeNotification, RecordsTheLastNoticeThroughTheFileStoreAndDistrustsWhatItReads)
{
    MainframeNotification record;
    EXPECT_TRUE(!record.GetLastNotified().IsValid() && record.WriteToJson() == (wxJSONValue{{member, ""}}));
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
    EXPECT_TRUE(second.ReadFromJson(wxJSONValue{{member, 42}}));
    EXPECT_FALSE(second.GetLastNotified().IsValid());
}

TEST(MenuNotification, AttachesOnceInTheNoticeColourAndLeavesWhenOpened)
{
    HostFrame host;
    auto* notification = new MenuNotification;
    notification->GetMenu()->Append(wxID_ANY, "Renew licence...");
    notification->SetLabel("Notice");
    notification->Init(host.frame, host.bar);
    notification->SetAttached(true);
    notification->SetAttached(true);
    ASSERT_EQ(host.bar->GetMenuCount(), 3u);
    EXPECT_EQ(host.bar->GetMenuLabel(2), "Notice");
    wxMenu* menu = notification->GetMenu();
    host.frame->Show();
    PumpUntil([&] { return host.frame->IsShownOnScreen(); }, std::chrono::seconds(10), "frame shown");
    wxColour background, text;
    NotificationMenuColours(background, text);
    EXPECT_EQ(BackgroundOf(menu->m_owner).GetRGB(), background.GetRGB());
    EXPECT_EQ(BackgroundOf(menu->m_menu).GetRGB(), background.GetRGB());
    EXPECT_NE(BackgroundOf(host.bar->GetMenu(0)->m_owner).GetRGB(), background.GetRGB());

    notification->SetLabel("&File"); // searched under the new label: another menu is never taken
    notification->SetAttached(false);
    EXPECT_EQ(host.bar->GetMenuLabel(0), "&File");
    notification->SetLabel("Notice");
    wxMenuEvent open(wxEVT_MENU_OPEN, 0, menu);
    wxMenu::ProcessMenuEvent(menu, open, host.frame);
    EXPECT_EQ(host.bar->GetMenuCount(), 2u);

    notification->SetAttached(true);
    delete notification; // destroyed while attached: the bar keeps its menu
    EXPECT_EQ(host.bar->GetMenu(2), menu);
}
