// The capture settings read without any window: the region text, and the wrapping
// of long message words.

#include "korgui/capture/captureregion.h"

#include "korbase/korexception.h"
#include "korbase/ui/messagetext.h"

#include <gtest/gtest.h>

#include <wx/arrstr.h>

#include <cstdio>
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
    const struct { const char* text; const char* outcome; } cases[] = { // the result, or the refusal's start
        {"FULL SCREEN", "full"}, {"10;20\t30-40", "10, 20, 30, 40"}, {" 0 ,0, 1600 ,1200 ", "0, 0, 1600, 1200"},
        {"1500, 1100, 400, 400", "1500, 1100, 100, 100 clipped"},
        {"10, 10, 0, 0", "refused: The region 10, 10, 0, 0 is too small"},
        {"-50, -50, 100, 100", "refused: The region -50, -50, 100, 100 starts at a negative position"},
        {"2000, 10, 100, 100", "refused: The region 2000, 10, 100, 100 lies outside the display, which is 1600 x 1200"},
        {"1596, 10, 100, 100", "refused: The region 1596, 10, 100, 100 lies outside"},
        {"10, 20, 30", "refused: Region must be in the form \"x, y, w, h\".\n\nAsked for: \"10, 20, 30\""},
        {"10;;20;30", "refused: Region must be"}, {"a, b, c, d", "refused: Region must be"},
        {"1e3, 1, 100, 100", "refused: Region must be"}, {"99999999999, 1, 100, 100", "refused: Region must be"},
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
        std::string text(random() % 25, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        const wxString outcome = Outcome(text);
        wxRect r;
        if (outcome.StartsWith("refused: "))
            EXPECT_GT(outcome.length(), 12u) << text; // saying why
        else
            EXPECT_TRUE(std::sscanf(outcome.utf8_str(), "%d, %d, %d, %d", &r.x, &r.y, &r.width, &r.height) == 4 &&
                        wxRect(display).Contains(r) && r.width >= minCaptureSize && r.height >= minCaptureSize)
                << text;
    }
}

TEST(MessageText, LongWordsAreBrokenIntoLinesThatFit)
{
    const wxString folder = "/tmp/" + wxString('f', 40) + "/";
    const wxString text = "Cannot write \"" + folder + wxString('n', 300) + ".mp4\": File name too long";
    wxString broken = BreakLongWords(text, 60);
    EXPECT_TRUE(broken.StartsWith("Cannot write \"" + folder + "\n")) << "a break after the folder";
    for (const wxString& line : wxSplit(broken, '\n', 0))
        EXPECT_LE(line.length(), 60u);
    broken.Replace("\n", "");
    EXPECT_EQ(broken, text) << "only breaks are added";
}
