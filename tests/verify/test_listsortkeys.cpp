#include "harness/helpers.h"

#include "korgui/verify/listsortkeys.h"

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/listctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace kortest;

namespace
{

// A frame with a three-column report list whose rows carry insertion index x 100, as
// the result list does.
class ListFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        m_frame = new wxFrame(nullptr, wxID_ANY, "sort");
        m_list = new wxListCtrl(m_frame, wxID_ANY, wxDefaultPosition, wxSize(600, 400), wxLC_REPORT);
        for (int c = 0; c < 3; ++c)
            m_list->AppendColumn(wxString::Format("c%d", c));
        m_frame->Show();
    }
    void TearDown() override { m_frame->Destroy(); }

    void AddRow(const wxString& c0, const wxString& c1, const wxString& c2)
    {
        const long row = m_list->GetItemCount();
        m_list->InsertItem(row, c0);
        m_list->SetItem(row, 1, c1);
        m_list->SetItem(row, 2, c2);
        m_list->SetItemData(row, row * 100);
    }

    void SortBy(int column)
    {
        ListSortKeys keys;
        keys.Reserve(static_cast<std::size_t>(m_list->GetItemCount()));
        for (long row = 0; row < m_list->GetItemCount(); ++row)
            keys.Add(m_list->GetItemData(row), m_list->GetItemText(row, column));
        ASSERT_TRUE(m_list->SortItems(ListSortKeys::Compare, reinterpret_cast<wxIntPtr>(&keys)));
    }

    std::string Column(int column) const
    {
        std::string text;
        for (long row = 0; row < m_list->GetItemCount(); ++row)
            text += m_list->GetItemText(row, column).utf8_string() + " ";
        return text;
    }

    wxFrame* m_frame = nullptr;
    wxListCtrl* m_list = nullptr;
};

} // namespace

TEST_F(ListFixture, SortsByColumnTextWithRowsKeepingTheirCells)
{
    AddRow("/s/b", "x", "fa");
    AddRow("/s/a", "y", "0a");
    AddRow("/s/c", "z", "Fa");
    AddRow("/s/d", "w", "_a");
    SortBy(2);
    // Code-unit order: digits, upper case, '_', lower case.
    EXPECT_EQ(Column(2), "0a Fa _a fa ");
    EXPECT_EQ(Column(0), "/s/a /s/c /s/d /s/b "); // the other cells moved with their rows
    EXPECT_EQ(Column(1), "y z w x ");

    SortBy(0); // a second sort starts from the moved rows
    EXPECT_EQ(Column(0), "/s/a /s/b /s/c /s/d ");
    EXPECT_EQ(Column(2), "0a fa Fa _a ");
}

TEST_F(ListFixture, EqualTextsKeepInsertionOrderAndSortingAgainChangesNothing)
{
    AddRow("r0", "Ok", "");
    AddRow("r1", "No", "");
    AddRow("r2", "Ok", "");
    AddRow("r3", "", "");
    AddRow("r4", "No", "");
    SortBy(1);
    EXPECT_EQ(Column(0), "r3 r1 r4 r0 r2 ");
    SortBy(1);
    EXPECT_EQ(Column(0), "r3 r1 r4 r0 r2 ");
}

TEST(ListSortKeysWithoutAList, ManyRowsAndUnknownData)
{
    // 20,000 rows with few distinct texts: the order is the texts', ties by insertion.
    ListSortKeys keys;
    std::vector<wxIntPtr> data;
    for (int i = 0; i < 20000; ++i)
    {
        data.push_back(static_cast<wxIntPtr>(i) * 100);
        keys.Add(data.back(), wxString::Format("%04d", (i * 7919) % 1000));
    }
    std::reverse(data.begin(), data.end());
    std::sort(data.begin(), data.end(), [&](wxIntPtr a, wxIntPtr b) {
        return ListSortKeys::Compare(a, b, reinterpret_cast<wxIntPtr>(&keys)) < 0;
    });
    for (std::size_t i = 1; i < data.size(); ++i)
    {
        const int byText = keys.Text(data[i - 1]).Cmp(keys.Text(data[i]));
        ASSERT_TRUE(byText < 0 || (byText == 0 && data[i - 1] < data[i])) << "position " << i;
    }

    // Data no row carries sorts as an empty text; the first text added for a data wins.
    keys.Add(0, "changed");
    EXPECT_EQ(keys.Text(0), "0000");
    EXPECT_EQ(keys.Text(12345), "");
    EXPECT_LT(ListSortKeys::Compare(12345, 0, reinterpret_cast<wxIntPtr>(&keys)), 0);
}
