#include "korgui/notifications.h"

#include "korgui/services/menustyle_gtk.h"

#include "korbase/datetime.h"

#include <wx/menu.h>
#include <wx/window.h>

const wchar_t* const MainframeNotification::JSON_LASTNOTIFIED_EXP = L"Last Notified About Expirations";

namespace
{
std::string Key()
{
    return wxString(MainframeNotification::JSON_LASTNOTIFIED_EXP).utf8_string();
}
} // namespace

MainframeNotification::MainframeNotification() : JsonObject("notifications")
{
}

wxJSONValue MainframeNotification::WriteToJson() const
{
    wxJSONValue value = wxJSONValue::object();
    value[Key()] = ToJson(m_lastNotified);
    return value;
}

bool MainframeNotification::ReadFromJson(const wxJSONValue& value)
{
    if (!value.is_object())
        return false;
    const auto member = value.find(Key());
    m_lastNotified = FromJson<wxString>(member != value.end() ? *member : wxJSONValue());
    return true;
}

wxDateTime MainframeNotification::GetLastNotified() const
{
    return m_lastNotified.empty() ? wxDateTime() : StringToDateTime(m_lastNotified);
}

void MainframeNotification::SetLastNotified(const wxDateTime& when)
{
    if (when.IsValid())
        m_lastNotified = DateTimeToString(when);
}

MenuNotification::MenuNotification() : m_menu(new wxMenu(0L))
{
    m_menu->Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) { OnMenuClick(event); });
    m_menu->Bind(wxEVT_MENU_CLOSE, [this](wxMenuEvent& event) {
        event.Skip();
        if (m_detachWhenClosed)
        {
            // After the chosen item (if any) has been handled.
            m_detachWhenClosed = false;
            CallAfter(&MenuNotification::Detach);
        }
    });
}

MenuNotification::~MenuNotification()
{
    // An attached menu belongs to the menu bar.
    if (!IsAttached())
        delete m_menu;
}

void MenuNotification::Init(wxWindow* parent, wxMenuBar* menuBar)
{
    m_parent = parent;
    m_menuBar = menuBar;
}

bool MenuNotification::IsAttached() const
{
    return m_menu->IsAttached();
}

void MenuNotification::SetAttached(bool attached)
{
    wxCHECK_RET(m_menuBar, "MenuNotification::Init() must come first");
    if (attached && !IsAttached())
    {
        m_menuBar->Append(m_menu, m_label);
        StyleMenuWithActiveCaptionColour(m_menu); // left uncoloured when the style cannot be made
    }
    else if (!attached && IsAttached())
    {
        Detach();
    }
}

void MenuNotification::SetLabel(const wxString& label)
{
    m_label = label;
}

void MenuNotification::OnMenuClick(wxMenuEvent& event)
{
    event.Skip();
    if (!IsAttached())
        return;
    // Taking the menu out of the bar would close it on the user: wait until it closes.
    if (IsMenuPopupShown(m_menu))
        m_detachWhenClosed = true;
    else
        Detach();
}

void MenuNotification::Detach()
{
    if (!m_menuBar || !IsAttached())
        return;
    // Found by the current label; only this menu is ever taken out.
    const int pos = m_menuBar->FindMenu(m_label);
    if (pos != wxNOT_FOUND && m_menuBar->GetMenu(pos) == m_menu)
        m_menuBar->Remove(pos);
}
