// Full and relative path views and the column sort, on the rows of a real copy.

#include "ivtfixture.h"

#include <wx/listbase.h>

#include <algorithm>

using namespace kortest;

namespace
{

class IvtViewTest : public IvtDialogTest
{
protected:
    void View(int selection)
    {
        Choose(dialog->m_combo2, selection);
        WaitUntilIdle(dialog.get());
        TakeDesktopLogs();
    }

    void SortBy(int column)
    {
        wxListEvent click(wxEVT_LIST_COL_CLICK, dialog->m_listCtrl->GetId());
        click.SetEventObject(dialog->m_listCtrl);
        click.m_col = column;
        dialog->m_listCtrl->ProcessWindowEvent(click);
    }

    std::vector<wxString> Column(int column) const
    {
        std::vector<wxString> texts;
        for (long row = 0; row < dialog->m_listCtrl->RowCount(); ++row)
            texts.push_back(dialog->m_listCtrl->GetCell(row, column));
        return texts;
    }
};

} // namespace

TEST_F(IvtViewTest, SortedRowsKeepTheirCellsThroughARelativeViewAndBack)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    // Names whose order differs by column: upper case sorts before lower case.
    const std::vector<wxString> relatives = {"b/Z.txt", "B/a.txt", "a/c.txt", "a/C/d.txt"};
    for (size_t i = 0; i < relatives.size(); ++i)
        src.WriteFile(relatives[i], std::string(i + 1, 'x'));
    Choose(d->m_combo3, HASH_SHA1);
    RunToEnd(src.Path(), dst.Path(), IVT_OP_COPY_AND_COMPARE);
    TakeDesktopLogs();
    ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
    const auto rowIsWhole = [&](long row, bool full) {
        const wxString relative =
            full ? FilenameAbsoluteToRelative(Cells(row)[IVT_COL_SOURCE_PATH], src.Path()) : Cells(row)[0];
        const wxString source = src / relative;
        const wxString copy = dst / relative;
        return Cells(row) == std::vector<wxString>{full ? source : relative, full ? copy : relative,
                                                   CoreutilsHash("sha1sum", source), "Success",
                                                   CoreutilsHash("sha1sum", copy), "Ok"};
    };

    for (int column : {IVT_COL_SOURCE_PATH, IVT_COL_SOURCE_HASH})
    {
        SCOPED_TRACE(column);
        View(IVT_VIEW_RELATIVE);
        ASSERT_FALSE(d->m_fullPath);
        SortBy(column);
        std::vector<wxString> sorted = Column(column);
        std::sort(sorted.begin(), sorted.end(), [](const wxString& a, const wxString& b) { return a.Cmp(b) < 0; });
        EXPECT_EQ(Column(column), sorted);
        for (long row = 0; row < 4; ++row)
            EXPECT_TRUE(rowIsWhole(row, false)) << row;

        View(IVT_VIEW_FULL);
        ASSERT_TRUE(d->m_fullPath);
        for (long row = 0; row < 4; ++row)
            EXPECT_TRUE(rowIsWhole(row, true)) << row;
        SortBy(IVT_COL_DESTINATION_PATH);
        for (long row = 0; row < 4; ++row)
            EXPECT_TRUE(rowIsWhole(row, true)) << row;
    }
}
