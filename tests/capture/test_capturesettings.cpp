// The capture settings read without any window: region and frame-rate texts, the
// drag geometry of the region window, and the wrapping of long message words.

#include "korgui/capture/captureregion.h"

#include "korbase/korexception.h"
#include "korbase/ui/messagetext.h"

#include <gtest/gtest.h>

#include <wx/arrstr.h>

#include <random>

namespace
{

const wxSize display(1600, 1200);

// The region read from `text`, or the refusal's message prefixed with "refused: ".
wxString Outcome(const wxString& text)
{
    try
    {
        const CaptureRegion r = ParseCaptureRegion(text, display);
        return r.fullScreen ? wxString("full") : RegionText(r.rect) + (r.clipped ? " clipped" : "");
    }
    catch (const KorException& e)
    {
        EXPECT_EQ(e.GetCode(), 0);
        return "refused: " + e.GetMessage();
    }
}

} // namespace

TEST(CaptureRegionText, AcceptsClipsOrRefusesNamingWhatWasAsked)
{
    const struct
    {
        const char* text;
        const char* outcome; // the whole result, or a part of the refusal
    } cases[] = {
        {"full screen", "full"},
        {"FULL SCREEN", "full"},
        {"10, 20, 30, 40", "10, 20, 30, 40"},
        {"10;20\t30-40", "10, 20, 30, 40"},
        {" 0 ,0, 1600 ,1200 ", "0, 0, 1600, 1200"},
        {"1500, 1100, 400, 400", "1500, 1100, 100, 100 clipped"},
        {"10, 10, 0, 0", "refused: The region 10, 10, 0, 0 is too small"},
        {"10, 10, 7, 100", "refused: The region 10, 10, 7, 100 is too small"},
        {"-50, -50, 100, 100", "refused: The region -50, -50, 100, 100 starts at a negative position"},
        {"10, -5, 100, 100", "refused: The region 10, -5, 100, 100 starts at a negative"},
        {"2000, 10, 100, 100", "refused: The region 2000, 10, 100, 100 lies outside the display, which is 1600 x 1200"},
        {"1596, 10, 100, 100", "refused: The region 1596, 10, 100, 100 lies outside"},
        {"10, 20, 30", "refused: Region must be in the form \"x, y, w, h\".\n\nAsked for: \"10, 20, 30\""},
        {"10;;20;30", "refused: Region must be in the form"},
        {"a, b, c, d", "refused: Region must be in the form"},
        {"1e3, 1, 100, 100", "refused: Region must be in the form"},
        {"99999999999, 1, 100, 100", "refused: Region must be in the form"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Outcome(c.text).StartsWith(c.outcome)) << c.text << " -> " << Outcome(c.text);
}

TEST(CaptureRegionText, RandomTextsGiveARegionOnTheDisplayOrARefusal)
{
    std::mt19937 random(20261206);
    const std::string alphabet = "0123456789-,; \t.x";
    for (int round = 0; round < 20000; ++round)
    {
        std::string text;
        for (int i = std::uniform_int_distribution<>(0, 24)(random); i > 0; --i)
            text += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        try
        {
            const wxRect r = ParseCaptureRegion(text, display).rect;
            EXPECT_TRUE(wxRect(display).Contains(r) && r.width >= minCaptureSize && r.height >= minCaptureSize)
                << text;
        }
        catch (const KorException& e)
        {
            EXPECT_FALSE(e.GetMessage().empty()) << text;
        }
    }
}

TEST(CaptureFrameRateText, RangeIsOpenAtBothEnds)
{
    for (const char* good : {"99.9", "12.5", "1"})
        EXPECT_NO_THROW(ParseCaptureFrameRate(good)) << good;
    for (const char* bad : {"0", "100", "-5", "fast", ""})
        EXPECT_THROW(ParseCaptureFrameRate(bad), KorException) << bad;
}

TEST(RegionDrag, EitherDirectionScaledAndBandedOnePixelOutside)
{
    EXPECT_EQ(RoiSelectionRect({210, 170}, {110, 120}), wxRect(110, 120, 100, 50));
    EXPECT_EQ(RoiSelectionRect({110, 120}, {210, 170}), wxRect(110, 120, 100, 50));
    EXPECT_EQ(RoiRegionText(wxRect(10, 20, 100, 50), 1.5), "15, 30, 150, 75");
    EXPECT_EQ(*RoiRubberBandRect({10, 10}, {20, 30}), wxRect(9, 9, 12, 22));
    EXPECT_EQ(*RoiRubberBandRect({20, 30}, {10, 10}), wxRect(9, 9, 12, 22));
    EXPECT_FALSE(RoiRubberBandRect({10, 10}, {10, 30}));
}

TEST(MessageText, LongWordsAreBrokenIntoLinesThatFit)
{
    const wxString folder = "/tmp/" + wxString('f', 40) + "/";
    const wxString text = "Cannot write \"" + folder + wxString('n', 300) + ".mp4\": File name too long";
    const wxString broken = BreakLongWords(text, 60);
    wxString joined = broken;
    joined.Replace("\n", "");
    EXPECT_EQ(joined, text) << "only breaks are added";
    EXPECT_TRUE(broken.StartsWith("Cannot write \"" + folder + "\n")) << "a break after the folder";
    for (const wxString& line : wxSplit(broken, '\n', 0))
        EXPECT_LE(line.length(), 60u);
    EXPECT_EQ(BreakLongWords("short words stay\nas they are"), "short words stay\nas they are");
}
