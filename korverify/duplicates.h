#pragma once

// Duplicate removal in the destination: which rows lose their destination file, and
// removing one such file safely.

#include <wx/string.h>

#include <cstddef>
#include <vector>

// One destination file to remove: the file of `row` has the same content as that of
// `keptRow`, the first row of its group, which keeps its file.
struct DuplicateRow
{
    std::size_t keptRow = 0;
    std::size_t row = 0;

    bool operator==(const DuplicateRow& other) const { return keptRow == other.keptRow && row == other.row; }
};

// The rows whose destination files the removal deletes, given each row's "Destination
// Hash" and "File Destination Path" cells (entry i belongs to row i; the two lists
// have one entry per row).
//
// Rows with equal hash texts (exact, case-sensitive) form a group; the first row of a
// group keeps its file and every later row is listed. Rows without a hash (an empty
// cell, or an error text such as "Unreadable: ...", see KcvIsHashError) are never
// duplicates of anything. A later row whose path is the kept row's own path names the
// kept file itself and is not listed.
//
// Ordered as the removal handles them: by keptRow, then by row; all entries with a
// given keptRow are handled while that row is reached (the row-by-row progress):
//
//     std::size_t next = 0;
//     for (std::size_t i = 0; i < rowCount; ++i)
//     {
//         for (; next < plan.size() && plan[next].keptRow == i; ++next)
//             ... RemoveFileNoFollow(paths[plan[next].row]) ...
//         ... progress of row i ...
//     }
//
// Whether a file is still there is decided when it is removed (a path already gone is
// skipped and not counted). Linear in the number of rows.
std::vector<DuplicateRow> FindDuplicateRows(const std::vector<wxString>& destinationHashes,
                                            const std::vector<wxString>& destinationPaths);

enum class RemoveOutcome
{
    Removed,
    NothingThere, // no such entry, or a folder (never removed): skipped, not counted
    Failed,
};

struct RemoveResult
{
    RemoveOutcome outcome = RemoveOutcome::Failed;
    wxString error; // for Failed: why, readable ("Permission denied"); not translated
};

// Removes the directory entry at `path` without following a symbolic link: a link
// planted in place of a copied file is itself removed and the file it points to is
// never touched. A folder is never removed. Safe to call from any thread.
RemoveResult RemoveFileNoFollow(const wxString& path);
