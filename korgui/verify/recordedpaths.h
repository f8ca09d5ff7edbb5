#pragma once

// The full paths that a switch to the relative view records so that the switch back
// can put them in place again. Each switch appends one entry per row, in row order;
// the latest recording is therefore the last `rows` entries of the list. The list is
// a deque, so that appending 100,000 entries one by one never copies those before.

#include <wx/defs.h>
#include <wx/string.h>

#include <deque>
#include <vector>

// The latest recording for `rows` rows: the last `rows` entries (all when fewer),
// which is all that RestoredFullPaths reads.
std::vector<wxString> LatestRecording(const std::deque<wxString>& recorded, std::size_t rows);

// The full path of every row for the switch back to the full view, given the rows'
// relative cells: the latest recording when it covers every row (a recording of an
// earlier switch may be stale, since rows can be sorted in the full view); otherwise,
// for instance when the relative view was made for a single file and the Target has
// changed since, each non-empty cell joined to `folder`.
std::vector<wxString> RestoredFullPaths(const std::vector<wxString>& recorded,
                                        const std::vector<wxString>& relativeCells, const wxString& folder);

// A sort moved the rows: the latest recording follows them, so that the switch back
// to the full view gives every row its own path. `dataBefore` and `dataAfter` are the
// item data of the rows before and after the sort (rows with equal data keep their
// order, as the sort is stable). A recording shorter than the rows is left alone.
void ReorderLatestRecording(std::deque<wxString>& recorded, const std::vector<wxUIntPtr>& dataBefore,
                            const std::vector<wxUIntPtr>& dataAfter);
