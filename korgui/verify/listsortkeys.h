#pragma once

// Column sort of a report list by row text, with each row found by its item data
// through an index instead of a search of the list per comparison.

#include <wx/defs.h>
#include <wx/string.h>

#include <cstddef>
#include <unordered_map>

// The sort text of every row, by the row's item data. The texts do not change while
// the list sorts (rows move with their data), so they are collected once before:
//
//     ListSortKeys keys;
//     for (long row = 0; row < list->GetItemCount(); ++row)
//         keys.Add(list->GetItemData(row), list->GetItemText(row, column));
//     list->SortItems(ListSortKeys::Compare, reinterpret_cast<wxIntPtr>(&keys));
class ListSortKeys
{
public:
    void Reserve(std::size_t rows) { m_texts.reserve(rows); }

    // The first text added for an item data wins, as a search from the top would find
    // the first row carrying that data.
    void Add(wxIntPtr itemData, const wxString& text) { m_texts.emplace(itemData, text); }

    // The text of the row with `itemData`; empty when no row has it.
    const wxString& Text(wxIntPtr itemData) const;

    // Ascending by text, by wxString::Cmp (code units, case-sensitive, no locale);
    // rows with equal texts keep their insertion order (ascending item data), so
    // sorting twice gives the same order. Of the list control's comparison type
    // (wxListCtrlCompare); `sortData` is the address of a ListSortKeys.
    static int wxCALLBACK Compare(wxIntPtr itemData1, wxIntPtr itemData2, wxIntPtr sortData);

private:
    std::unordered_map<wxIntPtr, wxString> m_texts;
};
