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
    wxRect rect;          // meaningful only when fullScreen is false
    bool clipped = false; // the rectangle asked for reached past the display's edge
};

// Reads the frame rate text. Throws KorException (code 0) unless it is a number
// greater than 0 and less than 100.
double ParseCaptureFrameRate(const wxString& text);

// Reads the region text: the translated "Full Screen" in any letter case, or four
// whole numbers "x, y, w, h" in pixels of a display of `displaySize` pixels. Spaces
// are dropped first; comma, semicolon, tab and hyphen separate, but a hyphen that
// starts a number is its minus sign. Throws KorException (code 0), with a message
// naming the region as asked, for text that is not four numbers and for regions that
// start at a negative position, are smaller than minCaptureSize in either direction,
// or start outside the display. A region reaching past the display's right or bottom
// edge is cut there (and marked clipped), unless too little of it is left.
CaptureRegion ParseCaptureRegion(const wxString& text, const wxSize& displaySize);

// The smallest width and height a recording can have.
constexpr int minCaptureSize = 8;

// "x, y, w, h", the form the region field shows.
wxString RegionText(const wxRect& rect);

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
