// The result list's row model on its own.

#include "korgui/verify/resultrows.h"

#include <gtest/gtest.h>

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
