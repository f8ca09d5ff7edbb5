#include "korgui/verify/listsortkeys.h"

const wxString& ListSortKeys::Text(wxIntPtr itemData) const
{
    static const wxString none;
    const auto found = m_texts.find(itemData);
    return found == m_texts.end() ? none : found->second;
}

int wxCALLBACK ListSortKeys::Compare(wxIntPtr itemData1, wxIntPtr itemData2, wxIntPtr sortData)
{
    const ListSortKeys& keys = *reinterpret_cast<const ListSortKeys*>(sortData);
    const int byText = keys.Text(itemData1).Cmp(keys.Text(itemData2));
    if (byText != 0)
        return byText;
    return itemData1 < itemData2 ? -1 : (itemData1 > itemData2 ? 1 : 0);
}
