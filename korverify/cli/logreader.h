#pragma once

// Reading a verification log back: its tables of rows and, after each, the line
// with the master hash. A file holds several tables when logs were written into it
// within the same second.

#include "korbase/hash.h"

#include <wx/string.h>

#include <array>
#include <optional>
#include <vector>

using LogRow = std::array<wxString, 6>;

struct LogTable
{
    std::size_t headerLine = 0; // 1-based line number of the table's header
    std::vector<LogRow> rows;
    wxString algorithmName; // as the master hash line names it ("MD5")
    std::optional<HashAlgorithm> algorithm;
    wxString masterHash; // as the log states it
};

struct LogReading
{
    std::vector<LogTable> tables;
    // Why the lines are not a log, or where they stop being one; empty when every
    // table is whole. Tables read before a damaged place are kept.
    wxString problem;
    bool isLog = false; // at least one table header was found
};

// The tables of a log's lines (as DecodeLines gives them).
LogReading ParseLog(const std::vector<wxString>& lines);
