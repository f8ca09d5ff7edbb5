// The result list's row model on its own.

#include "korgui/verify/resultrows.h"

#include <gtest/gtest.h>

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
