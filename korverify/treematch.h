#pragma once

// Pairing of a source tree with a destination tree for "Compare Source and
// Destination": which rows the compare shows, and in which order.

#include <wx/string.h>

#include <cstddef>
#include <vector>

enum class TreeMatchKind
{
    Pair,              // the same relative path on both sides
    OnlyInSource,      // "Only in Source"
    OnlyInDestination, // "Only in Destination"
};

struct TreeMatchRow
{
    static constexpr std::size_t kNoFile = static_cast<std::size_t>(-1);

    TreeMatchKind kind = TreeMatchKind::Pair;
    std::size_t source = kNoFile;      // index into the source list; kNoFile for OnlyInDestination
    std::size_t destination = kNoFile; // index into the destination list; kNoFile for OnlyInSource

    bool operator==(const TreeMatchRow& other) const
    {
        return kind == other.kind && source == other.source && destination == other.destination;
    }
};

// The rows of the compare, in the order the compare emits them:
// 1. for every source file in list order, its Pair rows (one per destination file with
//    the same relative path, in destination order; a listed tree has at most one) or,
//    when it has none, one OnlyInSource row;
// 2. then, for every destination file in list order that no source file matched, one
//    OnlyInDestination row.
// Relative paths are FilenameAbsoluteToRelative(file, base) of each side, compared
// exactly (case-sensitive; "sub/A.txt" and "sub/a.txt" are no pair).
//
// One-sided rows come from comparing against the other side's files, so when either
// list is empty there are no rows at all: the compare then shows its error row.
//
// Rows of step 1 are the compare's first pass, rows of step 2 its second pass (the
// stop text differs between them). Linear in the number of files.
std::vector<TreeMatchRow> MatchTrees(const std::vector<wxString>& sourceFiles, const wxString& sourceBase,
                                     const std::vector<wxString>& destinationFiles,
                                     const wxString& destinationBase);
