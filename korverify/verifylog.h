#pragma once

#include <wx/string.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The copy-and-verify log: its table, the master hash list, and the text files both
// are written as.

// The six columns of a result row, as the log writes them.
constexpr int kLogColumns = 6;
using LogHeadings = std::array<wxString, kLogColumns>;

// The cell of `row` in `column` (0 to 5) of the table the log is written from.
using LogCell = std::function<const wxString&(std::size_t row, int column)>;

// The header (the six headings joined by TAB) and one line per row, its six cells
// joined by TAB; with `firstRowOnly` (single-file mode) only row 0.
std::vector<wxString> LogTableLines(std::size_t rowCount, const LogCell& cell, const LogHeadings& headings,
                                    bool firstRowOnly);

// Every non-empty hash of every row, the destination hash (column 4) before the
// source hash (column 2), sorted by code unit; equal hashes all stay.
std::vector<wxString> MasterHashListLines(std::size_t rowCount, const LogCell& cell);

enum class LogEncoding
{
    Utf8,
    Utf16LE,
};

// The bytes of `lines`, each ended by CR LF, without a byte-order mark.
std::string EncodeLines(const std::vector<wxString>& lines, LogEncoding encoding);

// The lines of a text file's bytes: UTF-16LE (as the log is written, with or
// without byte-order mark), else UTF-8, else Latin-1; CR LF or LF line ends.
std::vector<wxString> DecodeLines(const std::string& bytes);

// Writes the lines as EncodeLines does; false when the file could not be written.
bool WriteLines(const wxString& path, const std::vector<wxString>& lines, LogEncoding encoding);

// The lines already in a file; none when it does not exist.
std::vector<wxString> ReadLines(const wxString& path);
