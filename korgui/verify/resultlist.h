#pragma once

#include "korgui/verify/resultrows.h"
#include "korgui/common/throttle.h"

#include <wx/listctrl.h>

// The result list of the copy-and-verify dialog: a report list in virtual mode that
// draws a ResultRows model. A plain report list needs seconds to take 100,000 rows
// on GTK; a virtual one only paints the rows on screen.
//
// The model changes at once; the control learns of new rows (and then lays itself
// out and paints anew) at most every SCREEN_UPDATE_INTERVAL, since a worker adds
// thousands a second. Deletions reach it at once.
class ResultListCtrl : public wxListCtrl
{
public:
    ResultListCtrl(wxWindow* parent, const wxPoint& pos, const wxSize& size);

    long RowCount() const { return m_rows.Count(); }

    // Inserts a row with `text` in column 0 (at the end when `index` is past it);
    // returns its index or -1.
    long InsertRow(long index, const wxString& text);
    // Sets one cell; a row or column out of range is ignored.
    void SetCell(long row, int column, const wxString& text);
    wxString GetCell(long row, int column) const { return m_rows.GetCell(row, column); }

    void SetRowTextColour(long row, const wxColour& colour);
    // wxNullColour for a row drawn in the list's default colour.
    wxColour GetRowTextColour(long row) const;

    void SetRowData(long row, wxUIntPtr data);
    wxUIntPtr GetRowData(long row) const { return m_rows.GetData(row); }
    // The first row at or after `start` whose item data is `data`, or -1.
    long FindRowByData(long start, wxUIntPtr data) const { return m_rows.FindByData(start, data); }

    // Sorts the rows like wxListCtrl::SortItems: `compare` gets the item data of two rows.
    void SortRows(wxListCtrlCompare compare, wxIntPtr sortData);
    // Sorts the rows by the text of `column` (see ResultRows::SortByColumn).
    void SortRowsByColumn(int column);

    void DeleteRow(long row);
    void DeleteAllRows();
    // Deletes every row whose six cells are all empty.
    void RemoveBlankRows();

    const ResultRows& Rows() const { return m_rows; }

protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

private:
    ResultRows m_rows;
    Throttle m_countUpdate{SCREEN_UPDATE_INTERVAL, [this] { SetItemCount(m_rows.Count()); }};
    mutable wxItemAttr m_attr; // handed out by OnGetItemAttr, one row at a time
};
