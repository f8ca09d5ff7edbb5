#pragma once

#include "korbase/jsonobject.h"

#include <wx/datetime.h>
#include <wx/event.h>
#include <wx/string.h>

class wxMenu;
class wxMenuBar;
class wxWindow;

// Remembers when the user was last notified, persisted as the record "notifications".
class MainframeNotification : public JsonObject
{
public:
    // The member of the persisted record.
    static const wchar_t* const JSON_LASTNOTIFIED_EXP;

    MainframeNotification();
    MainframeNotification(const MainframeNotification& other) = default;
    MainframeNotification(MainframeNotification&& other) = default;
    MainframeNotification& operator=(const MainframeNotification& other) = default;
    MainframeNotification& operator=(MainframeNotification&& other) = default;

    wxJSONValue WriteToJson() const override;
    // Takes the member from a JSON object (a missing member means never notified);
    // anything but an object is refused and changes nothing.
    bool ReadFromJson(const wxJSONValue& value) override;

    // Invalid when never set.
    virtual wxDateTime GetLastNotified() const;
    // An invalid date-time changes nothing.
    virtual void SetLastNotified(const wxDateTime& when);

private:
    wxString m_lastNotified;
};

// An extra top-level menu that a host puts into its menu bar to tell the user of
// something, drawn in the active-caption colour so that it stands out. Opening it
// takes it out of the bar again (once it has closed, so that its items can be
// chosen); it can be attached again any number of times and keeps its items.
//
// The menu belongs to the menu bar while attached, and to this object otherwise.
class MenuNotification : public wxEvtHandler
{
public:
    MenuNotification();
    virtual ~MenuNotification();

    MenuNotification(const MenuNotification&) = delete;
    MenuNotification& operator=(const MenuNotification&) = delete;

    // Call before SetAttached().
    virtual void Init(wxWindow* parent, wxMenuBar* menuBar);
    virtual void SetAttached(bool attached);
    // The title used when attaching and to find the menu in the bar; a menu already
    // in the bar keeps the title it was attached with.
    virtual void SetLabel(const wxString& label);

    // The menu, for the host to fill.
    wxMenu* GetMenu() const { return m_menu; }
    bool IsAttached() const;

protected:
    virtual void OnMenuClick(wxMenuEvent& event);

    wxWindow* m_parent = nullptr;
    wxMenuBar* m_menuBar = nullptr;
    wxMenu* m_menu = nullptr;
    wxString m_label;

private:
    void Detach();

    bool m_detachWhenClosed = false;
};
