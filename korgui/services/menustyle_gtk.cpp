#include "korgui/services/menustyle_gtk.h"

#include <wx/menu.h>
#include <wx/settings.h>

#include <gtk/gtk.h>

#include <cmath>

namespace
{

const char* const styleClass = "kor-notification-menu";

double Luminance(const wxColour& c)
{
    return 0.299 * c.Red() + 0.587 * c.Green() + 0.114 * c.Blue();
}

double Distance(const wxColour& a, const wxColour& b)
{
    return std::abs(a.Red() - b.Red()) + std::abs(a.Green() - b.Green()) + std::abs(a.Blue() - b.Blue());
}

// Caption text that stays readable on the caption colour, whatever the theme pairs.
wxColour ReadableTextOn(const wxColour& background, const wxColour& preferred)
{
    if (std::abs(Luminance(background) - Luminance(preferred)) >= 100)
        return preferred;
    return Luminance(background) > 140 ? *wxBLACK : *wxWHITE;
}

GtkCssProvider* StyleProvider()
{
    static GtkCssProvider* provider = nullptr;
    if (!provider)
    {
        provider = gtk_css_provider_new();
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    return provider;
}

} // namespace

void NotificationMenuColours(wxColour& background, wxColour& text)
{
    background = wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVECAPTION);
    text = wxSystemSettings::GetColour(wxSYS_COLOUR_CAPTIONTEXT);
    // Themes with a title bar about as light as their menus (Adwaita among them)
    // would hide the notice: take their highlight colour instead.
    const wxColour bar = wxSystemSettings::GetColour(wxSYS_COLOUR_MENUBAR);
    if (std::abs(Luminance(background) - Luminance(bar)) < 50 && Distance(background, bar) < 150)
    {
        background = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
        text = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
    }
    text = ReadableTextOn(background, text);
}

bool StyleMenuWithActiveCaptionColour(wxMenu* menu)
{
    if (!menu || !menu->m_menu || !menu->m_owner || !gdk_screen_get_default())
        return false;

    wxColour background;
    wxColour text;
    NotificationMenuColours(background, text);
    const wxString bg = background.GetAsString(wxC2S_HTML_SYNTAX);
    const wxString fg = text.GetAsString(wxC2S_HTML_SYNTAX);
    // The colours are read again each time, so a changed theme is followed.
    wxString css = "menu.CLASS, menubar > menuitem.CLASS { background-color: BG; background-image: none; }\n"
                   "menu.CLASS menuitem, menu.CLASS menuitem label, menu.CLASS menuitem accelerator,\n"
                   "menubar > menuitem.CLASS, menubar > menuitem.CLASS label { color: FG; }\n"
                   "menu.CLASS menuitem:hover { background-color: HOVER; }\n";
    css.Replace("CLASS", styleClass);
    css.Replace("BG", bg);
    css.Replace("FG", fg);
    // The pointed item must still show on a menu whose colour may be the theme's highlight.
    css.Replace("HOVER", background.ChangeLightness(Luminance(background) > 100 ? 75 : 140).GetAsString(wxC2S_HTML_SYNTAX));
    GError* error = nullptr;
    if (!gtk_css_provider_load_from_data(StyleProvider(), css.utf8_str(), -1, &error))
    {
        g_clear_error(&error);
        return false;
    }
    gtk_style_context_add_class(gtk_widget_get_style_context(menu->m_menu), styleClass);
    gtk_style_context_add_class(gtk_widget_get_style_context(menu->m_owner), styleClass);
    return true;
}

bool IsMenuPopupShown(const wxMenu* menu)
{
    return menu && menu->m_menu && gtk_widget_get_mapped(menu->m_menu);
}
