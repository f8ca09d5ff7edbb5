#include "korgui/capture/captureregion.h"

#include "korbase/korexception.h"
#include "korbase/serializer.h"

#include <wx/intl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace
{

const wxString regionSeparators = " ,;-\t";

[[noreturn]] void ThrowSettingError(int line, const wxString& message)
{
    throw KorException("korgui/captureregion", line, ExceptionType::General, 0, message);
}

// Splits at any separator; an empty piece between two separators is kept,
// separators at the end add none.
std::vector<wxString> SplitRegionText(wxString text)
{
    while (!text.empty() && regionSeparators.Find(text.Last()) != wxNOT_FOUND)
        text.RemoveLast();
    std::vector<wxString> tokens;
    if (text.empty())
        return tokens;
    wxString piece;
    for (const wxUniChar c : text)
    {
        if (regionSeparators.Find(c) != wxNOT_FOUND)
        {
            tokens.push_back(piece);
            piece.clear();
        }
        else
        {
            piece += c;
        }
    }
    tokens.push_back(piece);
    return tokens;
}

} // namespace

int ScaleTruncated(int value, double scale)
{
    return static_cast<int>(value * scale);
}

double ParseCaptureFrameRate(const wxString& text)
{
    const double rate = FromString<double>(text);
    if (rate <= 0 || rate >= 100)
        ThrowSettingError(__LINE__, wxString::Format(
                                        _("The frame rate must be greater than 0 and less than 100, not %s."), text));
    return rate;
}

CaptureRegion ParseCaptureRegion(const wxString& text, const wxSize& screenSize, double scale)
{
    CaptureRegion region;
    if (text.IsSameAs(_("Full Screen"), false))
        return region;

    wxString compact = text;
    compact.Replace(" ", "");
    const std::vector<wxString> tokens = SplitRegionText(compact);
    if (tokens.size() != 4)
        ThrowSettingError(__LINE__, _("Region must be in the form \"x, y, w, h\"."));

    int x = FromString<int>(tokens[0]);
    int y = FromString<int>(tokens[1]);
    int w = FromString<int>(tokens[2]);
    int h = FromString<int>(tokens[3]);

    // Encoders need a few pixels; the right and bottom edges are the engine's to align.
    x = std::max(x, 0);
    y = std::max(y, 0);
    w = std::min(std::max(w, 8), ScaleTruncated(screenSize.GetWidth(), scale));
    h = std::min(std::max(h, 8), ScaleTruncated(screenSize.GetHeight(), scale));

    region.fullScreen = false;
    region.rect = wxRect(x, y, w, h);
    return region;
}

wxRect RoiSelectionRect(const wxPoint& start, const wxPoint& end)
{
    return wxRect(std::min(start.x, end.x), std::min(start.y, end.y), std::abs(end.x - start.x),
                  std::abs(end.y - start.y));
}

std::optional<wxRect> RoiRubberBandRect(const wxPoint& start, const wxPoint& end)
{
    const int dx = end.x - start.x;
    const int dy = end.y - start.y;
    if (dx == 0 || dy == 0)
        return std::nullopt;
    const int sx = dx < 1 ? -1 : 1;
    const int sy = dy < 1 ? -1 : 1;
    // Widen the drag by one pixel on each side, then normalise for drawing.
    return RoiSelectionRect(wxPoint(start.x - sx, start.y - sy), wxPoint(end.x + sx, end.y + sy));
}

wxString RoiRegionText(const wxRect& selection, double scale)
{
    return wxString::Format("%d, %d, %d, %d", ScaleTruncated(selection.x, scale), ScaleTruncated(selection.y, scale),
                            ScaleTruncated(selection.width, scale), ScaleTruncated(selection.height, scale));
}
