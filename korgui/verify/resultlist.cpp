#include "korgui/verify/resultlist.h"

namespace
{

std::uint32_t ToRgb(const wxColour& c)
{
    return (std::uint32_t(c.Red()) << 16) | (std::uint32_t(c.Green()) << 8) | c.Blue();
}

wxColour FromRgb(std::uint32_t rgb)
{
    return wxColour((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

ResultListCtrl::ResultListCtrl(wxWindow* parent, const wxPoint& pos, const wxSize& size)
    : wxListCtrl(parent, wxID_ANY, pos, size, wxLC_REPORT | wxLC_VIRTUAL)
{
}

long ResultListCtrl::InsertRow(long index, const wxString& text)
{
    const long row = m_rows.Insert(index, text);
    if (row >= 0)
        m_countUpdate.Request();
    return row;
}

void ResultListCtrl::SetCell(long row, int column, const wxString& text)
{
    if (m_rows.SetCell(row, column, text))
        RefreshItem(row);
}

void ResultListCtrl::SetRowTextColour(long row, const wxColour& colour)
{
    if (m_rows.SetTextColour(row, ToRgb(colour)))
        RefreshItem(row);
}

wxColour ResultListCtrl::GetRowTextColour(long row) const
{
    const auto rgb = m_rows.GetTextColour(row);
    return rgb ? FromRgb(*rgb) : wxNullColour;
}

void ResultListCtrl::SetRowData(long row, wxUIntPtr data)
{
    m_rows.SetData(row, data);
}

void ResultListCtrl::SortRows(wxListCtrlCompare compare, wxIntPtr sortData)
{
    m_rows.Sort([compare, sortData](wxUIntPtr a, wxUIntPtr b)
                { return compare(static_cast<wxIntPtr>(a), static_cast<wxIntPtr>(b), sortData); });
    Refresh();
}

void ResultListCtrl::SortRowsByColumn(int column)
{
    m_rows.SortByColumn(column);
    Refresh();
}

void ResultListCtrl::DeleteRow(long row)
{
    if (m_rows.Delete(row))
        m_countUpdate.RunNow();
}

void ResultListCtrl::DeleteAllRows()
{
    m_rows.Clear();
    m_countUpdate.RunNow();
}

void ResultListCtrl::RemoveBlankRows()
{
    if (m_rows.RemoveBlankRows() > 0)
        m_countUpdate.RunNow();
}

wxString ResultListCtrl::OnGetItemText(long item, long column) const
{
    return m_rows.GetCell(item, static_cast<int>(column));
}

wxItemAttr* ResultListCtrl::OnGetItemAttr(long item) const
{
    const auto rgb = m_rows.GetTextColour(item);
    if (!rgb)
        return nullptr;
    m_attr.SetTextColour(FromRgb(*rgb));
    return &m_attr;
}
