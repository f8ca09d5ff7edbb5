// The capture settings' arithmetic on its own: frame rate and region texts, and the
// rectangle a mouse drag selects.

#include "harness/helpers.h"

#include "korgui/capture/captureregion.h"

#include "korbase/korexception.h"

#include <gtest/gtest.h>

namespace
{

const wxSize screen(1600, 1200);

wxRect Region(const char* text, double scale = 1.0)
{
    const CaptureRegion r = ParseCaptureRegion(text, screen, scale);
    EXPECT_FALSE(r.fullScreen) << text;
    return r.rect;
}

wxString RegionError(const char* text)
{
    try
    {
        ParseCaptureRegion(wxString::FromUTF8(text), screen, 1.0);
    }
    catch (const KorException& e)
    {
        EXPECT_EQ(e.GetCode(), 0) << text;
        return e.GetMessage();
    }
    ADD_FAILURE() << "accepted: " << text;
    return wxString();
}

const wxString regionForm = "Region must be in the form \"x, y, w, h\".";

} // namespace

TEST(CaptureRegionText, FullScreenInAnyLetterCase)
{
    for (const char* text : {"Full Screen", "full screen", "FULL SCREEN", "fUlL sCrEeN"})
        EXPECT_TRUE(ParseCaptureRegion(text, screen, 1.0).fullScreen) << text;
    // Only the exact words: the space-less or padded forms are region texts, and malformed.
    EXPECT_EQ(RegionError("FullScreen"), regionForm);
    EXPECT_EQ(RegionError(" Full Screen"), regionForm);
}

TEST(CaptureRegionText, FourNumbersWithAnySeparator)
{
    EXPECT_EQ(Region("10, 20, 30, 40"), wxRect(10, 20, 30, 40));
    EXPECT_EQ(Region("10,20,30,40"), wxRect(10, 20, 30, 40));
    EXPECT_EQ(Region("10;20;30;40"), wxRect(10, 20, 30, 40));
    EXPECT_EQ(Region("10-20-30-40"), wxRect(10, 20, 30, 40));
    EXPECT_EQ(Region("10\t20\t30\t40"), wxRect(10, 20, 30, 40));
    EXPECT_EQ(Region("  1 0 , 2 0 ,30,40 "), wxRect(10, 20, 30, 40)); // spaces vanish before splitting
    EXPECT_EQ(Region("10,20,30,40,"), wxRect(10, 20, 30, 40));       // a trailing separator adds nothing
    EXPECT_EQ(Region("10,20,30,40;-,"), wxRect(10, 20, 30, 40));
    EXPECT_EQ(Region("+10,+20,+30,+40"), wxRect(10, 20, 30, 40));
}

TEST(CaptureRegionText, Bounds)
{
    EXPECT_EQ(Region("10,20,3,4"), wxRect(10, 20, 8, 8));
    EXPECT_EQ(Region("0,0,0,0"), wxRect(0, 0, 8, 8));
    EXPECT_EQ(Region("5,5,100000,100000"), wxRect(5, 5, 1600, 1200));
    EXPECT_EQ(Region("5,5,100000,100000", 1.5), wxRect(5, 5, 2400, 1800));
    EXPECT_EQ(Region("5,5,100000,100000", 0.7), wxRect(5, 5, 1120, 840));
    // The right edge is the engine's business.
    EXPECT_EQ(Region("1500,1100,400,300"), wxRect(1500, 1100, 400, 300));
}

TEST(CaptureRegionText, Refusals)
{
    EXPECT_EQ(RegionError("10, 20, 30"), regionForm);
    EXPECT_EQ(RegionError("10, 20, 30, 40, 50"), regionForm);
    EXPECT_EQ(RegionError(""), regionForm);
    EXPECT_EQ(RegionError("Select Region..."), regionForm);
    // A hyphen separates, so a minus sign makes an extra, empty token.
    EXPECT_EQ(RegionError("-10,20,30,40"), regionForm);
    // An empty piece between two separators counts as a token, and is no number.
    const wxString empty = RegionError("10;;20;30");
    EXPECT_NE(empty, regionForm);
    EXPECT_TRUE(empty.Contains("\"\"")) << empty.utf8_string();
    const wxString words = RegionError("a, b, c, d");
    EXPECT_NE(words, regionForm);
    EXPECT_TRUE(words.Contains("a")) << words.utf8_string();
    EXPECT_FALSE(RegionError("10, 20, 30, 4x").empty());
    EXPECT_FALSE(RegionError("1.5, 20, 30, 40").empty());
    EXPECT_FALSE(RegionError("99999999999, 20, 30, 40").empty());
}

TEST(CaptureFrameRateText, RangeAndRefusals)
{
    EXPECT_DOUBLE_EQ(ParseCaptureFrameRate("99.9"), 99.9);
    EXPECT_DOUBLE_EQ(ParseCaptureFrameRate("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(ParseCaptureFrameRate(" 10 "), 10);
    EXPECT_DOUBLE_EQ(ParseCaptureFrameRate("0.01"), 0.01);
    for (const char* text : {"0", "100", "-5", "100.0", "1e3", "abc", "", "10 fps", "nan", "inf"})
    {
        try
        {
            ParseCaptureFrameRate(text);
            ADD_FAILURE() << "accepted: " << text;
        }
        catch (const KorException& e)
        {
            EXPECT_EQ(e.GetCode(), 0) << text;
            EXPECT_FALSE(e.GetMessage().empty()) << text;
        }
    }
}

TEST(RoiSelection, BothDragDirectionsGiveTheSameRectangle)
{
    const wxRect forward = RoiSelectionRect(wxPoint(10, 20), wxPoint(110, 70));
    EXPECT_EQ(forward, wxRect(10, 20, 100, 50));
    EXPECT_EQ(RoiSelectionRect(wxPoint(110, 70), wxPoint(10, 20)), forward);
    EXPECT_EQ(RoiSelectionRect(wxPoint(110, 20), wxPoint(10, 70)), forward);
    EXPECT_TRUE(RoiSelectionRect(wxPoint(5, 5), wxPoint(5, 5)).IsEmpty());
    EXPECT_TRUE(RoiSelectionRect(wxPoint(5, 5), wxPoint(50, 5)).IsEmpty());
}

TEST(RoiSelection, RubberBandLiesOnePixelOutside)
{
    // Selection 10..109 x 20..69: outline on 9 and 110, 19 and 70.
    EXPECT_EQ(RoiRubberBandRect(wxPoint(10, 20), wxPoint(110, 70)), wxRect(9, 19, 102, 52));
    // Dragged the other way over the same pixels (start 109,69 down to 10,20 exclusive
    // of the end) the outline lies outside that selection just the same.
    EXPECT_EQ(RoiRubberBandRect(wxPoint(110, 70), wxPoint(10, 20)), wxRect(9, 19, 102, 52));
    EXPECT_EQ(RoiRubberBandRect(wxPoint(110, 20), wxPoint(10, 70)), wxRect(9, 19, 102, 52));
    EXPECT_FALSE(RoiRubberBandRect(wxPoint(10, 20), wxPoint(10, 70)).has_value());
    EXPECT_FALSE(RoiRubberBandRect(wxPoint(10, 20), wxPoint(110, 20)).has_value());
}

TEST(RoiSelection, ScaledRegionText)
{
    EXPECT_EQ(RoiRegionText(wxRect(10, 20, 100, 50), 1.5), "15, 30, 150, 75");
    EXPECT_EQ(RoiRegionText(wxRect(10, 20, 100, 50), 1.0), "10, 20, 100, 50");
    EXPECT_EQ(RoiRegionText(wxRect(3, 3, 3, 3), 1.5), "4, 4, 4, 4"); // 4.5 truncated
    EXPECT_EQ(RoiRegionText(wxRect(7, 9, 11, 13), 0.5), "3, 4, 5, 6");
    // The written text reads back as the same rectangle.
    EXPECT_EQ(ParseCaptureRegion(RoiRegionText(wxRect(10, 20, 100, 50), 1.5), screen, 1.5).rect,
              wxRect(15, 30, 150, 75));
}
