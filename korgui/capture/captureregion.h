#pragma once

// The arithmetic of the screen capture settings, apart from any window so that it
// can be tested on its own: reading the frame rate and region texts, and turning a
// mouse drag into the rectangle the region window draws and reports.

#include <wx/gdicmn.h>
#include <wx/string.h>

#include <optional>

// What the region text asks for: the whole display, or a rectangle in display pixels.
struct CaptureRegion
{
    bool fullScreen = true;
    wxRect rect; // meaningful only when fullScreen is false
};

// Reads the frame rate text. Throws KorException (code 0) unless it is a number
// greater than 0 and less than 100.
double ParseCaptureFrameRate(const wxString& text);

// Reads the region text: the translated "Full Screen" in any letter case, or four
// whole numbers "x, y, w, h". Spaces are dropped first; space, comma, semicolon,
// hyphen and tab separate, an empty piece between two separators counts, trailing
// separators add none. x and y become at least 0, w and h at least 8 and at most
// the screen size times `scale`. Throws KorException (code 0) for any other text.
CaptureRegion ParseCaptureRegion(const wxString& text, const wxSize& screenSize, double scale);

// The rectangle between the drag's start and end point, whichever way the drag went.
wxRect RoiSelectionRect(const wxPoint& start, const wxPoint& end);

// The rubber band drawn during a drag: one pixel outside the selection on every
// side. Nothing while the drag has no width or no height.
std::optional<wxRect> RoiRubberBandRect(const wxPoint& start, const wxPoint& end);

// The selection converted by the display scale (each value truncated toward zero),
// as the region text "x, y, w, h".
wxString RoiRegionText(const wxRect& selection, double scale);

// `value` times `scale`, truncated toward zero.
int ScaleTruncated(int value, double scale);
