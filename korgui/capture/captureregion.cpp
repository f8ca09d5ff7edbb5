#include "korgui/capture/captureregion.h"

#include "korbase/korexception.h"
#include "korbase/serializer.h"

#include <wx/intl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace
{

const wxString regionSeparators = ",;\t-";

[[noreturn]] void ThrowSettingError(int line, const wxString& message)
{
    throw KorException("korgui/captureregion", line, ExceptionType::General, 0, message);
}

[[noreturn]] void ThrowRegionFormError(int line, const wxString& text)
{
    ThrowSettingError(line, _("Region must be in the form \"x, y, w, h\".") + "\n\n" +
                                wxString::Format(_("Asked for: \"%s\""), text));
}

// Splits at any separator; an empty piece between two separators is kept,
// separators at the end add none. A hyphen at the start of a piece is its sign.
std::vector<wxString> SplitRegionText(wxString text)
{
    while (!text.empty() && regionSeparators.Find(text.Last()) != wxNOT_FOUND)
        text.RemoveLast();
    std::vector<wxString> tokens;
    if (text.empty())
        return tokens;
    wxString piece;
    bool pieceStarted = false;
    for (const wxUniChar c : text)
    {
        const bool sign = c == '-' && !pieceStarted;
        if (!sign && regionSeparators.Find(c) != wxNOT_FOUND)
        {
            tokens.push_back(piece);
            piece.clear();
            pieceStarted = false;
        }
        else
        {
            piece += c;
            pieceStarted = true;
        }
    }
    tokens.push_back(piece);
    return tokens;
}

// A whole number written with digits and an optional minus sign, within int's range.
std::optional<int> ReadWholeNumber(const wxString& token)
{
    const wxString digits = token.StartsWith("-") ? token.Mid(1) : token;
    if (digits.empty() || digits.length() > 9)
        return std::nullopt;
    for (const wxUniChar c : digits)
        if (c < '0' || c > '9')
            return std::nullopt;
    long value = 0;
    digits.ToLong(&value);
    return static_cast<int>(token.StartsWith("-") ? -value : value);
}

} // namespace

int ScaleTruncated(int value, double scale)
{
    return static_cast<int>(value * scale);
}

wxString RegionText(const wxRect& rect)
{
    return wxString::Format("%d, %d, %d, %d", rect.x, rect.y, rect.width, rect.height);
}

double ParseCaptureFrameRate(const wxString& text)
{
    const double rate = FromString<double>(text);
    if (rate <= 0 || rate >= 100)
        ThrowSettingError(__LINE__, wxString::Format(
                                        _("The frame rate must be greater than 0 and less than 100, not %s."), text));
    return rate;
}

CaptureRegion ParseCaptureRegion(const wxString& text, const wxSize& displaySize)
{
    CaptureRegion region;
    if (text.IsSameAs(_("Full Screen"), false))
        return region;

    wxString compact = text;
    compact.Replace(" ", "");
    const std::vector<wxString> tokens = SplitRegionText(compact);
    if (tokens.size() != 4)
        ThrowRegionFormError(__LINE__, text);
    int values[4] = {};
    for (size_t i = 0; i < 4; ++i)
    {
        const std::optional<int> value = ReadWholeNumber(tokens[i]);
        if (!value)
            ThrowRegionFormError(__LINE__, text);
        values[i] = *value;
    }
    // Messages name the region as asked, before anything is cut to the display.
    const wxRect asked(values[0], values[1], values[2], values[3]);
    const wxString askedText = RegionText(asked);
    if (asked.x < 0 || asked.y < 0)
        ThrowSettingError(__LINE__, wxString::Format(_("The region %s starts at a negative position: x and y must "
                                                       "be 0 or more."),
                                                     askedText));
    if (asked.width < minCaptureSize || asked.height < minCaptureSize)
        ThrowSettingError(__LINE__, wxString::Format(_("The region %s is too small: width and height must be at "
                                                       "least %d pixels."),
                                                     askedText, minCaptureSize));
    const wxRect display(displaySize);
    const wxRect onDisplay = asked.Intersect(display);
    if (onDisplay.width < minCaptureSize || onDisplay.height < minCaptureSize)
        ThrowSettingError(__LINE__, wxString::Format(_("The region %s lies outside the display, which is %d x %d "
                                                       "pixels."),
                                                     askedText, display.width, display.height));
    region.fullScreen = false;
    region.rect = onDisplay;
    region.clipped = onDisplay != asked;
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
    return RegionText(wxRect(ScaleTruncated(selection.x, scale), ScaleTruncated(selection.y, scale),
                             ScaleTruncated(selection.width, scale), ScaleTruncated(selection.height, scale)));
}
