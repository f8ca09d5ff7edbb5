// The result list's row model on its own.

#include "korgui/verify/resultrows.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <random>
#include <tuple>

TEST(ResultRows, RemoveBlankRowsKeepsTheOthersInOrder)
{
    ResultRows rows;
    for (int i = 0; i < 6; ++i)
        rows.Insert(i, "");
    rows.SetCell(1, 3, "Success");
    rows.SetCell(4, 0, "/a");
    rows.SetTextColour(4, 0x00FF00);
    EXPECT_TRUE(rows.IsBlank(0));
    EXPECT_FALSE(rows.IsBlank(1));
    EXPECT_EQ(rows.RemoveBlankRows(), 4);
    ASSERT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.GetCell(0, 3), "Success");
    EXPECT_EQ(rows.GetCell(1, 0), "/a");
    EXPECT_EQ(rows.GetTextColour(1), 0x00FF00u);
}

// Every cell reads back exactly, whatever the cells around it hold and however often
// it was rewritten; a column sort (code-point order, ties by item data) and a
// snapshot keep each row's cells and colour together.
TEST(ResultRows, CellsReadBackExactlyAndSortWithTheirRows)
{
    const wxString cells[][ResultRows::COLUMNS] = {
        {wxString::FromUTF8("/tmp/Ärger/ß €.mov"), "", "9e107d9d372bb6826bd81d3542a419d6", "Success", "", "Ok"},
        {"", wxString::FromUTF8("/dst/日本語/𝄞.wav"), "", "", wxString::FromUTF8("Unreadable: é"), ""},
        {"/tmp/a\tb\nc", "/dst/Z", "", "Failed", "", "No"},
        {"/tmp/B", "", "", "", "", ""},
    };
    ResultRows rows;
    for (long r = 0; r < 4; ++r)
    {
        rows.Insert(r, "placeholder that gets shorter");
        rows.SetData(r, static_cast<wxUIntPtr>(400 - r * 100)); // sorted backwards
        for (int c = ResultRows::COLUMNS - 1; c >= 0; --c)
        {
            rows.SetCell(r, c, "a longer text written first, then replaced");
            rows.SetCell(r, c, cells[r][c]);
        }
    }
    rows.SetTextColour(2, 0xFF0000);
    const auto expectRow = [&](const ResultRows& model, long at, long original)
    {
        for (int c = 0; c < ResultRows::COLUMNS; ++c)
            EXPECT_EQ(model.GetCell(at, c), cells[original][c]) << "row " << at << " column " << c;
        EXPECT_EQ(model.GetTextColour(at), original == 2 ? std::optional<std::uint32_t>(0xFF0000) : std::nullopt);
    };
    for (long r = 0; r < 4; ++r)
        expectRow(rows, r, r);
    EXPECT_TRUE(rows.GetCell(9, 0).empty());

    rows.SortByColumn(0); // "" < "/tmp/B" < "/tmp/a..." < "/tmp/Ä..."
    for (const auto& [at, original] : {std::pair{0L, 1L}, {1L, 3L}, {2L, 2L}, {3L, 0L}})
        expectRow(rows, at, original);
    rows.SortByColumn(3); // three empty cells by ascending item data, then "Failed", "Success"
    const ResultRows copy = rows.Snapshot();
    rows.SetCell(0, 3, "changed"); // after the snapshot: stays here
    rows.Clear();
    for (const auto& [at, original] : {std::pair{0L, 3L}, {1L, 1L}, {2L, 2L}, {3L, 0L}})
        expectRow(copy, at, original);
}

// Many rows whose texts share long beginnings and whose item data repeat: a column
// sort gives the order of a plain stable sort by (text of the first row with the same
// data, data).
TEST(ResultRows, ColumnSortMatchesAStableSortOfTheRows)
{
    std::mt19937 random(7);
    ResultRows rows;
    std::vector<std::pair<std::string, wxUIntPtr>> model; // column 2 and data of each row
    for (long r = 0; r < 3000; ++r)
    {
        std::string text = "/footage/card-" + std::to_string(random() % 3) + "/clip-" + std::to_string(random() % 40);
        text.resize(text.size() + random() % 3, '\0' + static_cast<char>(random() % 2)); // NUL and \x01 endings
        const wxUIntPtr data = random() % 2500;
        rows.Insert(r, "");
        rows.SetCell(r, 2, wxString::FromUTF8(text.data(), text.size()));
        rows.SetData(r, data);
        model.emplace_back(text, data);
    }
    std::vector<std::size_t> expected(model.size());
    std::iota(expected.begin(), expected.end(), 0);
    std::map<wxUIntPtr, std::string> firstText;
    for (const auto& [text, data] : model)
        firstText.emplace(data, text);
    std::stable_sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) {
        return std::tie(firstText[model[a].second], model[a].second) <
               std::tie(firstText[model[b].second], model[b].second);
    });
    rows.SortByColumn(2);
    for (std::size_t at = 0; at < expected.size(); ++at)
    {
        const std::string_view cell = rows.CellUtf8(static_cast<long>(at), 2);
        ASSERT_EQ(std::string(cell), model[expected[at]].first) << "row " << at;
        ASSERT_EQ(rows.GetData(static_cast<long>(at)), model[expected[at]].second) << "row " << at;
    }
}
