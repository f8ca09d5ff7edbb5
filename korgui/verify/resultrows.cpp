#include "korgui/verify/resultrows.h"

#include <algorithm>

bool ResultRows::IsBlankRow(const Row& row)
{
    return std::all_of(row.cells.begin(), row.cells.end(), [](const wxString& c) { return c.empty(); });
}

long ResultRows::Insert(long index, const wxString& text)
{
    if (index < 0)
        return -1;
    index = std::min(index, Count());
    auto row = std::make_unique<Row>();
    row->cells[0] = text;
    m_rows.insert(m_rows.begin() + index, std::move(row));
    m_rowsByDataValid = false;
    return index;
}

bool ResultRows::SetCell(long row, int column, const wxString& text)
{
    if (!Valid(row, column))
        return false;
    m_rows[row]->cells[column] = text;
    return true;
}

const wxString& ResultRows::GetCell(long row, int column) const
{
    static const wxString none;
    return Valid(row, column) ? m_rows[row]->cells[column] : none;
}

bool ResultRows::SetData(long row, wxUIntPtr data)
{
    if (!Valid(row))
        return false;
    m_rows[row]->data = data;
    m_rowsByDataValid = false;
    return true;
}

wxUIntPtr ResultRows::GetData(long row) const
{
    return Valid(row) ? m_rows[row]->data : 0;
}

bool ResultRows::SetTextColour(long row, std::uint32_t rgb)
{
    if (!Valid(row))
        return false;
    m_rows[row]->textColour = rgb & 0xFFFFFFu;
    return true;
}

std::optional<std::uint32_t> ResultRows::GetTextColour(long row) const
{
    return Valid(row) ? m_rows[row]->textColour : std::nullopt;
}

long ResultRows::FindByData(long start, wxUIntPtr data) const
{
    if (!m_rowsByDataValid)
    {
        m_rowsByData.clear();
        for (long i = 0; i < Count(); ++i)
            m_rowsByData[m_rows[i]->data].push_back(i);
        m_rowsByDataValid = true;
    }
    const auto found = m_rowsByData.find(data);
    if (found == m_rowsByData.end())
        return -1;
    const std::vector<long>& rows = found->second;
    const auto at = std::lower_bound(rows.begin(), rows.end(), std::max(start, 0L));
    return at == rows.end() ? -1 : *at;
}

void ResultRows::Sort(const std::function<int(wxUIntPtr, wxUIntPtr)>& compare)
{
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [&compare](const std::unique_ptr<Row>& a, const std::unique_ptr<Row>& b)
                     { return compare(a->data, b->data) < 0; });
    m_rowsByDataValid = false;
}

bool ResultRows::Delete(long row)
{
    if (!Valid(row))
        return false;
    m_rows.erase(m_rows.begin() + row);
    m_rowsByDataValid = false;
    return true;
}

void ResultRows::Clear()
{
    m_rows.clear();
    m_rowsByDataValid = false;
}

bool ResultRows::IsBlank(long row) const
{
    if (!Valid(row))
        return false;
    return IsBlankRow(*m_rows[row]);
}

long ResultRows::RemoveBlankRows()
{
    const auto kept =
        std::remove_if(m_rows.begin(), m_rows.end(), [](const std::unique_ptr<Row>& row) { return IsBlankRow(*row); });
    const long removed = static_cast<long>(m_rows.end() - kept);
    m_rows.erase(kept, m_rows.end());
    if (removed > 0)
        m_rowsByDataValid = false;
    return removed;
}
