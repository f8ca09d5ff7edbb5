// The result list's row model on its own, and the virtual list control drawing it.

#include "ivtfixture.h"

#include "korgui/verify/resultrows.h"

using namespace kortest;

TEST(ResultRows, InsertClampsAndIgnoresWhatIsOutOfRange)
{
    ResultRows rows;
    EXPECT_EQ(rows.Insert(-1, "x"), -1);
    EXPECT_EQ(rows.Insert(5, "a"), 0); // past the end: appended
    EXPECT_EQ(rows.Insert(0, "b"), 0);
    EXPECT_EQ(rows.Insert(1, "c"), 1);
    ASSERT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.GetCell(0, 0), "b");
    EXPECT_EQ(rows.GetCell(1, 0), "c");
    EXPECT_EQ(rows.GetCell(2, 0), "a");
    EXPECT_FALSE(rows.SetCell(3, 0, "no"));
    EXPECT_FALSE(rows.SetCell(0, 6, "no"));
    EXPECT_FALSE(rows.SetCell(-1, 1, "no"));
    EXPECT_FALSE(rows.SetData(3, 1));
    EXPECT_FALSE(rows.SetTextColour(3, 0xFF0000));
    EXPECT_EQ(rows.GetCell(7, 2), "");
    EXPECT_FALSE(rows.GetTextColour(0).has_value());
    EXPECT_FALSE(rows.Delete(3));
    EXPECT_TRUE(rows.Delete(1));
    EXPECT_EQ(rows.GetCell(1, 0), "a");
}

TEST(ResultRows, ColourAndCellsFollowTheRowThroughSorting)
{
    ResultRows rows;
    const int n = 1000;
    for (int i = 0; i < n; ++i)
    {
        rows.Insert(i, wxString::Format("row %d", i));
        rows.SetCell(i, 2, wxString::Format("hash %d", i));
        rows.SetData(i, static_cast<wxUIntPtr>(i) * 100);
        if (i % 7 == 0)
            rows.SetTextColour(i, 0xFF0000);
    }
    // Descending by item data.
    rows.Sort([](wxUIntPtr a, wxUIntPtr b) { return a < b ? 1 : a > b ? -1 : 0; });
    for (int r = 0; r < n; ++r)
    {
        const int original = n - 1 - r;
        ASSERT_EQ(rows.GetData(r), static_cast<wxUIntPtr>(original) * 100);
        EXPECT_EQ(rows.GetCell(r, 0), wxString::Format("row %d", original));
        EXPECT_EQ(rows.GetCell(r, 2), wxString::Format("hash %d", original));
        EXPECT_EQ(rows.GetTextColour(r).has_value(), original % 7 == 0);
        EXPECT_EQ(rows.FindByData(0, static_cast<wxUIntPtr>(original) * 100), r);
    }
    // Equal keys keep their order.
    rows.Sort([](wxUIntPtr, wxUIntPtr) { return 0; });
    EXPECT_EQ(rows.GetCell(0, 0), "row 999");
}

TEST(ResultRows, FindByDataStartsAtTheGivenRowAndSeesChanges)
{
    ResultRows rows;
    for (int i = 0; i < 6; ++i)
    {
        rows.Insert(i, "");
        rows.SetData(i, i % 3); // 0 1 2 0 1 2
    }
    EXPECT_EQ(rows.FindByData(0, 1), 1);
    EXPECT_EQ(rows.FindByData(2, 1), 4);
    EXPECT_EQ(rows.FindByData(5, 1), -1);
    EXPECT_EQ(rows.FindByData(0, 7), -1);
    rows.Delete(0); // 1 2 0 1 2
    EXPECT_EQ(rows.FindByData(0, 1), 0);
    rows.SetData(4, 9);
    EXPECT_EQ(rows.FindByData(0, 9), 4);
    rows.Insert(0, "");
    rows.SetData(0, 9);
    EXPECT_EQ(rows.FindByData(0, 9), 0);
    EXPECT_EQ(rows.FindByData(1, 9), 5);
    rows.Clear();
    EXPECT_EQ(rows.FindByData(0, 9), -1);
}

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

namespace
{
int CompareDescending(wxIntPtr a, wxIntPtr b, wxIntPtr)
{
    return a < b ? 1 : a > b ? -1 : 0;
}
} // namespace

TEST_F(IvtDialogTest, VirtualListShowsTheModel)
{
    ResultListCtrl* list = dialog->m_listCtrl;
    for (int i = 0; i < 3; ++i)
    {
        list->InsertRow(i, wxString::Format("/src/%d", i));
        list->SetCell(i, 5, i == 1 ? "No" : "Ok");
        list->SetRowData(i, i * 100);
    }
    list->SetRowTextColour(1, *wxRED);
    // New rows reach the control a moment later, all at once.
    EXPECT_TRUE(PumpUntil([&] { return list->GetItemCount() == 3; }, std::chrono::seconds(5)));
    // What the control draws comes from the model.
    EXPECT_EQ(list->GetItemText(1, 0), "/src/1");
    EXPECT_EQ(list->GetItemText(1, 5), "No");
    list->SortRows(CompareDescending, 0);
    EXPECT_EQ(list->GetItemText(0, 0), "/src/2");
    EXPECT_EQ(list->GetRowTextColour(1), *wxRED);
    EXPECT_EQ(list->GetItemText(1, 0), "/src/1");
    EXPECT_EQ(list->FindRowByData(0, 0), 2);
    list->DeleteRow(0);
    EXPECT_EQ(list->GetItemCount(), 2);
    PumpFor(std::chrono::milliseconds(30)); // paints without complaint
    list->DeleteAllRows();
    EXPECT_EQ(list->GetItemCount(), 0);
}
