#include "korgui/verify/resultrows.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace
{

std::string ToUtf8(const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

} // namespace

std::string_view ResultRows::Row::Cell(int column) const
{
    const std::uint32_t begin = column == 0 ? 0 : ends[column - 1];
    return std::string_view(text).substr(begin, ends[column] - begin);
}

void ResultRows::Row::SetCell(int column, std::string_view utf8)
{
    const std::uint32_t begin = column == 0 ? 0 : ends[column - 1];
    const std::uint32_t oldSize = ends[column] - begin;
    text.replace(begin, oldSize, utf8.data(), utf8.size());
    const auto newSize = static_cast<std::uint32_t>(utf8.size());
    for (int c = column; c < COLUMNS; ++c)
        ends[c] = ends[c] - oldSize + newSize;
    if (text.empty())
        text.shrink_to_fit(); // a blank row keeps no buffer
}

ResultRows ResultRows::Snapshot() const
{
    ResultRows copy;
    copy.m_rows = m_rows;
    return copy;
}

std::deque<ResultRows::Row>& ResultRows::Write()
{
    if (!m_rows)
        m_rows = std::make_shared<std::deque<Row>>();
    else if (m_rows.use_count() > 1)
        m_rows = std::make_shared<std::deque<Row>>(*m_rows); // a snapshot still reads these
    return *m_rows;
}

long ResultRows::Insert(long index, const wxString& text)
{
    if (index < 0)
        return -1;
    index = std::min(index, Count());
    Row row;
    row.SetCell(0, ToUtf8(text));
    std::deque<Row>& rows = Write();
    rows.insert(rows.begin() + index, std::move(row));
    m_rowsByDataValid = false;
    return index;
}

bool ResultRows::SetCell(long row, int column, const wxString& text)
{
    if (!Valid(row, column))
        return false;
    Write()[row].SetCell(column, ToUtf8(text));
    return true;
}

wxString ResultRows::GetCell(long row, int column) const
{
    const std::string_view utf8 = CellUtf8(row, column);
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

std::string_view ResultRows::CellUtf8(long row, int column) const
{
    return Valid(row, column) ? Read()[row].Cell(column) : std::string_view();
}

bool ResultRows::SetData(long row, wxUIntPtr data)
{
    if (!Valid(row))
        return false;
    Write()[row].data = data;
    m_rowsByDataValid = false;
    return true;
}

wxUIntPtr ResultRows::GetData(long row) const
{
    return Valid(row) ? Read()[row].data : 0;
}

bool ResultRows::SetTextColour(long row, std::uint32_t rgb)
{
    if (!Valid(row))
        return false;
    Write()[row].textColour = rgb & 0xFFFFFFu;
    return true;
}

std::optional<std::uint32_t> ResultRows::GetTextColour(long row) const
{
    return Valid(row) ? Read()[row].textColour : std::nullopt;
}

long ResultRows::FindByData(long start, wxUIntPtr data) const
{
    if (!m_rowsByDataValid)
    {
        m_rowsByData.clear();
        for (long i = 0; i < Count(); ++i)
            m_rowsByData[Read()[i].data].push_back(i);
        m_rowsByDataValid = true;
    }
    const auto found = m_rowsByData.find(data);
    if (found == m_rowsByData.end())
        return -1;
    const std::vector<long>& rows = found->second;
    const auto at = std::lower_bound(rows.begin(), rows.end(), std::max(start, 0L));
    return at == rows.end() ? -1 : *at;
}

namespace
{

// The indexes 0 to count - 1, stably ordered by `less`.
template <typename Less>
std::vector<std::size_t> StableOrder(std::size_t count, Less less)
{
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), less);
    return order;
}

} // namespace

void ResultRows::Permute(const std::vector<std::size_t>& order)
{
    if (order.empty())
        return;
    // In place, cycle by cycle: no row is copied and nothing is allocated but the marks.
    std::deque<Row>& rows = Write();
    std::vector<bool> placed(order.size());
    for (std::size_t start = 0; start < order.size(); ++start)
    {
        if (placed[start])
            continue;
        Row first = std::move(rows[start]);
        for (std::size_t at = start;;)
        {
            placed[at] = true;
            const std::size_t from = order[at];
            if (from == start)
            {
                rows[at] = std::move(first);
                break;
            }
            rows[at] = std::move(rows[from]);
            at = from;
        }
    }
    m_rowsByDataValid = false;
}

void ResultRows::Sort(const std::function<int(wxUIntPtr, wxUIntPtr)>& compare)
{
    if (Count() == 0)
        return;
    const std::deque<Row>& rows = Read();
    Permute(StableOrder(rows.size(),
                        [&](std::size_t a, std::size_t b) { return compare(rows[a].data, rows[b].data) < 0; }));
}

void ResultRows::SortByColumn(int column)
{
    if (column < 0 || column >= COLUMNS || Count() == 0)
        return;
    // Sorted side by side in one array rather than through the rows: 100,000 rows
    // sort within the GUI thread's budget.
    struct Entry
    {
        std::uint64_t head; // the key's first bytes, big-endian: most comparisons end here
        std::string_view key;
        wxUIntPtr data;
        std::size_t row;
    };
    std::vector<Entry> entries;
    entries.reserve(Read().size());
    for (const Row& row : Read())
        entries.push_back({0, row.Cell(column), row.data, entries.size()});
    // Each row's key is the text of the first row with its item data.
    const auto byData = [](const Entry& a, const Entry& b) { return std::tie(a.data, a.row) < std::tie(b.data, b.row); };
    std::sort(entries.begin(), entries.end(), byData);
    for (std::size_t i = 1; i < entries.size(); ++i)
    {
        if (entries[i].data == entries[i - 1].data)
            entries[i].key = entries[i - 1].key;
    }
    for (Entry& entry : entries)
    {
        for (std::size_t i = 0; i < sizeof entry.head; ++i)
            entry.head = entry.head << 8 | (i < entry.key.size() ? static_cast<unsigned char>(entry.key[i]) : 0u);
    }
    // Rows of equal key and data keep their order. Equal heads leave it to the whole keys.
    const auto byKey = [](const Entry& a, const Entry& b)
    { return std::tie(a.head, a.key, a.data, a.row) < std::tie(b.head, b.key, b.data, b.row); };
    std::sort(entries.begin(), entries.end(), byKey);
    std::vector<std::size_t> order;
    order.reserve(entries.size());
    for (const Entry& entry : entries)
        order.push_back(entry.row);
    Permute(order);
}

bool ResultRows::Delete(long row)
{
    if (!Valid(row))
        return false;
    std::deque<Row>& rows = Write();
    rows.erase(rows.begin() + row);
    m_rowsByDataValid = false;
    return true;
}

void ResultRows::Clear()
{
    m_rows.reset();
    m_rowsByData = {};
    m_rowsByDataValid = false;
}

bool ResultRows::IsBlank(long row) const
{
    if (!Valid(row))
        return false;
    return IsBlankRow(Read()[row]);
}

long ResultRows::RemoveBlankRows()
{
    if (Count() == 0 || std::none_of(Read().begin(), Read().end(), IsBlankRow))
        return 0;
    std::deque<Row>& rows = Write();
    const auto kept = std::remove_if(rows.begin(), rows.end(), IsBlankRow);
    const long removed = static_cast<long>(rows.end() - kept);
    rows.erase(kept, rows.end());
    if (removed > 0)
        m_rowsByDataValid = false;
    return removed;
}
