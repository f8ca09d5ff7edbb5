#pragma once

class wxColour;
class wxMenu;

// The system's active-caption colours, or its highlight colours where the caption
// looks like the menus themselves.
void NotificationMenuColours(wxColour& background, wxColour& text);

// Draws a menu of a menu bar, its title in the bar and its items, in the
// NotificationMenuColours(). Returns false, leaving the menu as it was, when the menu
// has no native widgets yet (not attached) or the style cannot be made.
bool StyleMenuWithActiveCaptionColour(wxMenu* menu);

// True while the menu's popup is on screen.
bool IsMenuPopupShown(const wxMenu* menu);
