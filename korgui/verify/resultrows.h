#pragma once

#include <wx/defs.h>
#include <wx/string.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The six columns of the copy-and-verify result list, left to right.
enum ResultColumn : int
{
    IVT_COL_SOURCE_PATH = 0,
    IVT_COL_DESTINATION_PATH = 1,
    IVT_COL_SOURCE_HASH = 2,
    IVT_COL_COPY_STATUS = 3,
    IVT_COL_DESTINATION_HASH = 4,
    IVT_COL_HASH_COMPARISON = 5,
};

// The rows behind the copy-and-verify result list: six text cells, an optional text
// colour and the item data of each row. It holds no GUI code, so the list control
// only draws it and the model can be tested on its own. Indexes out of range are
// ignored, as a report list ignores them.
//
// A row keeps its six cells as UTF-8 in one buffer: a wxString holds 4 bytes per
// character plus its own allocation, and 100,000 rows of six cells must stay small.
//
// Snapshots share the rows until one side changes them; the side that changes them
// then copies them first. So a snapshot costs the GUI thread nothing, and a worker
// that drops its snapshot (Clear) before it reports lets the GUI thread change the
// rows in place again.
class ResultRows
{
public:
    static constexpr int COLUMNS = 6;

    ResultRows() = default;
    ResultRows(ResultRows&&) = default;
    ResultRows& operator=(ResultRows&&) = default;
    // Copies go through Snapshot, so that none is made by accident.
    ResultRows(const ResultRows&) = delete;
    ResultRows& operator=(const ResultRows&) = delete;

    // The rows as they are now, for a worker thread: later changes on either side
    // stay on that side.
    ResultRows Snapshot() const;

    long Count() const { return m_rows ? static_cast<long>(m_rows->size()) : 0; }

    // Inserts a row whose column 0 is `text` before `index` (at the end when `index`
    // is past it); returns the index the row got, or -1 for a negative index.
    long Insert(long index, const wxString& text);

    bool SetCell(long row, int column, const wxString& text);
    // Empty for a cell out of range.
    wxString GetCell(long row, int column) const;
    // The cell's UTF-8 bytes; valid until the rows change. Byte order of UTF-8 is
    // code point order, that of wxString::Cmp here.
    std::string_view CellUtf8(long row, int column) const;

    bool SetData(long row, wxUIntPtr data);
    wxUIntPtr GetData(long row) const;

    // Text colour as 0xRRGGBB; rows without one use the list's default.
    bool SetTextColour(long row, std::uint32_t rgb);
    std::optional<std::uint32_t> GetTextColour(long row) const;

    // The first row at or after `start` whose item data is `data`, or -1.
    long FindByData(long start, wxUIntPtr data) const;

    // Reorders the rows by their item data; `compare` returns <0, 0 or >0 like a
    // list sort callback. Equal rows keep their order. Cells and colour move with the row.
    void Sort(const std::function<int(wxUIntPtr, wxUIntPtr)>& compare);
    // Reorders the rows by the text of `column` (as wxString::Cmp orders it), rows of
    // equal text by ascending item data; rows sharing item data sort by the text of
    // the first of them and keep their order, as a sort by item data does.
    void SortByColumn(int column);

    bool Delete(long row);
    // Empties the rows; a snapshot lets go of what it shared.
    void Clear();

    // True when all six cells of `row` are empty.
    bool IsBlank(long row) const;
    // Deletes every blank row in one pass; the others keep their order. Returns how many went.
    long RemoveBlankRows();

private:
    struct Row
    {
        std::string text; // the six cells in UTF-8, one after the other
        std::array<std::uint32_t, COLUMNS> ends{}; // where each cell ends in `text`
        std::optional<std::uint32_t> textColour;
        wxUIntPtr data = 0;

        std::string_view Cell(int column) const;
        void SetCell(int column, std::string_view utf8);
    };

    static bool IsBlankRow(const Row& row) { return row.text.empty(); }
    // Moves the rows into the order of `order` (a permutation of the row indexes).
    void Permute(const std::vector<std::size_t>& order);
    bool Valid(long row) const { return row >= 0 && row < Count(); }
    // The rows to read (valid only while Count() > 0) and to change (copied first when shared).
    const std::deque<Row>& Read() const { return *m_rows; }
    std::deque<Row>& Write();
    bool Valid(long row, int column) const { return Valid(row) && column >= 0 && column < COLUMNS; }

    // A deque: growing never moves the rows already there, so an insert never costs
    // more than one row, however many there are. Null when there are none (also once
    // moved from); shared with the snapshots taken since the last change.
    std::shared_ptr<std::deque<Row>> m_rows;

    // Rows by item data, ascending; rebuilt on the first lookup after a change, so a
    // sort that finds every row by its data stays linear instead of quadratic.
    mutable std::unordered_map<wxUIntPtr, std::vector<long>> m_rowsByData;
    mutable bool m_rowsByDataValid = false;
};
