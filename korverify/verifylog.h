#pragma once

#include "korbase/hash.h"

#include <wx/string.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The copy-and-verify log: its table, the master hash list, and the text files both
// are written as.

// The six columns of a result row, as the log writes them.
constexpr int kLogColumns = 6;
using LogHeadings = std::array<wxString, kLogColumns>;

// The cell of `row` in `column` (0 to 5) of the table the log is written from, in
// UTF-8; it need only stay valid until the next call. 100,000 rows are written from
// the bytes the result list already holds, without a wide string per cell.
using LogCell = std::function<std::string_view(std::size_t row, int column)>;

// A LogCell over rows of wxString cells (`rows[row][column]`), converted when asked for.
template <typename Rows>
LogCell Utf8LogCells(const Rows& rows)
{
    return [&rows, utf8 = std::string()](std::size_t row, int column) mutable -> std::string_view
    {
        utf8 = rows[row][column].utf8_string();
        return utf8;
    };
}

// The cell back from its log form; a backslash before any other character stays as it is.
wxString UnescapeLogCell(const wxString& text);

// Text in UTF-8, each line ended by CR LF, in one buffer: 100,000 rows are one
// allocation, not one per line, and their memory goes back to the system with it.
using Utf8Text = std::string;

// Appends the header (the six headings joined by TAB) and one line per row, its six
// cells escaped and joined by TAB; with `firstRowOnly` (single-file mode) only row 0.
// Escaping turns TAB, CR, LF and backslash into \t, \r, \n and \\, so that any file
// name keeps its row on one line of six fields.
void AppendLogTable(Utf8Text& text, std::size_t rowCount, const LogCell& cell, const LogHeadings& headings,
                    bool firstRowOnly);

// Every non-empty hash of every row, the destination hash (column 4) before the
// source hash (column 2), sorted by code point (the byte order of UTF-8), one per
// line; equal hashes all stay. Escaped as in the log (a hash never changes by it), so
// the list can be rebuilt from the log alone.
Utf8Text MasterHashListText(std::size_t rowCount, const LogCell& cell);

enum class LogEncoding
{
    Utf8,
    Utf16LE,
};

// The bytes of `text` in `encoding`, without a byte-order mark.
std::string EncodeText(const Utf8Text& text, LogEncoding encoding);

// The lines of a text file's bytes: UTF-16LE (as the log is written, with or
// without byte-order mark), else UTF-8, else Latin-1; CR LF or LF line ends.
std::vector<wxString> DecodeLines(const std::string& bytes);

// Writes `text` as EncodeText gives it; false when the file could not be written
// whole, with the reason in `reason` when given.
bool WriteText(const wxString& path, const Utf8Text& text, LogEncoding encoding, wxString* reason = nullptr);

// The lines already in a file; none when it does not exist.
std::vector<wxString> ReadLines(const wxString& path);

// The desktop as the user's settings name it (XDG_DESKTOP_DIR in user-dirs.dirs),
// whether or not it exists yet; without a setting, GetUserDesktopPath().
wxString LogDesktopFolder();

// What a log is written from: the rows and the texts the caller shows (translated).
struct LogRequest
{
    wxString folder; // created when missing
    std::size_t rowCount = 0;
    LogCell cell;
    LogHeadings headings;
    bool firstRowOnly = false;
    HashAlgorithm algorithm = HASH_MD5;
    wxString operationName;
    wxString masterHashFormat; // filled with the algorithm name, the operation name and the master hash
    wxString masterHashNote;   // the line after the master hash line
    std::vector<wxString> closingLines;
};

// Fills the texts every log carries after its table, translated: the master hash
// line and its note, the date it was written and the tool's platform and revision.
void SetStandardLogTexts(LogRequest& request, const wxString& platform, const wxString& revision);

struct LogOutcome
{
    bool ok = false;
    bool logWritten = false; // also true when only the list failed
    wxString logPath;
    // Empty when the list could not be written whole: no hash is taken of a part.
    wxString masterHash;
    // On failure: the file or folder that could not be written (the log when both
    // failed), and why.
    wxString failedPath;
    wxString reason;
};

// Writes log<date-time>.tsv into the folder (after the lines of a log of the same
// second): header, rows, a one-space line, the master hash line and its note, the
// closing lines. The master hash is the hash of a list of the rows' hashes, written
// as MasterHash<date-time><number>.txt beside it and removed again. When the list
// cannot be written, the log is still written, without the master hash lines, and
// the outcome names the list. Call it from one thread at a time (it seeds rand()).
LogOutcome WriteVerifyLog(const LogRequest& request);
