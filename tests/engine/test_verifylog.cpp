// The log of the copy-and-verify dialog, read back from the desktop and checked
// with iconv and the coreutils digests rather than with the code that wrote it.

#include "verify/ivtfixture.h"

#include "korverify/verifylog.h"

#include "korbase/datetime.h"
#include "korbase/hash.h"
#include "korbase/files.h"

#include <wx/dir.h>
#include <wx/filename.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

using namespace kortest;

namespace
{

const char* const digestTools[] = {"md5sum", "sha1sum", "sha256sum", "sha384sum", "sha512sum"};
const char* const algorithmNames[] = {"MD5", "SHA1", "SHA256", "SHA384", "SHA512"};

std::vector<wxString> DesktopFiles(const wxString& pattern)
{
    wxArrayString found;
    wxDir::GetAllFiles(GetUserDesktopPath(), &found, pattern, wxDIR_FILES);
    std::vector<wxString> files(found.begin(), found.end());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, '\t'))
        cells.push_back(cell);
    if (!line.empty() && line.back() == '\t')
        cells.push_back("");
    return cells;
}

// A log read back: its raw bytes, and its lines as UTF-8 through iconv.
struct ReadLog
{
    std::string bytes;
    std::vector<std::string> lines;
};

// Runs SaveLog and takes the log it wrote off the desktop (so the next one starts afresh).
ReadLog SaveAndTake(IVTDialog* d, const TempDir& store)
{
    const auto before = DesktopFiles("log*.tsv");
    EXPECT_TRUE(before.empty());
    d->SaveLog();
    const auto logs = DesktopFiles("log*.tsv");
    if (logs.size() != 1)
    {
        ADD_FAILURE() << "expected one log on the desktop, found " << logs.size();
        return {};
    }
    EXPECT_TRUE(std::regex_match(wxFileName(logs[0]).GetFullName().ToStdString(), std::regex("log[0-9]{14}\\.tsv")));
    EXPECT_TRUE(DesktopFiles("MasterHash*").empty()); // the list never outlives SaveLog
    const wxString kept = store / wxFileName(logs[0]).GetFullName();
    wxRenameFile(logs[0], kept);

    ReadLog log;
    log.bytes = ReadFileBytes(kept);
    const std::string utf8 = Shell("iconv -f UTF-16LE -t UTF-8 " + ShellQuote(kept) + " | od -An -v -tx1");
    // Decode od's hex dump back to bytes (keeps CR and the last line end intact).
    std::string text;
    std::istringstream hex(utf8);
    std::string byte;
    while (hex >> byte)
        text += static_cast<char>(std::stoi(byte, nullptr, 16));
    // Every line ends with CR LF; nothing follows the last one.
    EXPECT_TRUE(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    size_t start = 0;
    while (start < text.size())
    {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
        {
            ADD_FAILURE() << "text after the last CR LF";
            break;
        }
        const std::string line = text.substr(start, end - start);
        EXPECT_EQ(line.find('\n'), std::string::npos) << "bare LF in " << line;
        EXPECT_EQ(line.find('\r'), std::string::npos) << "bare CR in " << line;
        log.lines.push_back(line);
        start = end + 2;
    }
    return log;
}

// The master hash list rebuilt from the log's own hash columns, hashed by coreutils.
std::string MasterHashFromLogRows(const std::vector<std::vector<std::string>>& rows, const std::string& tool,
                                  const TempDir& store)
{
    std::vector<std::string> hashes;
    for (const auto& cells : rows)
        for (int column : {4, 2})
            if (!cells.at(column).empty())
                hashes.push_back(cells.at(column));
    std::sort(hashes.begin(), hashes.end());
    const wxString path = store / "rebuilt.txt";
    std::ofstream out(path.ToStdString(), std::ios::binary);
    for (const std::string& h : hashes)
        out << h << "\r\n";
    out.close();
    return CoreutilsHash(tool, path);
}

void AddRow(IVTDialog* d, const std::vector<wxString>& cells)
{
    const long row = d->m_listCtrl->InsertRow(d->m_listCtrl->RowCount(), cells[0]);
    for (int c = 1; c < 6; ++c)
        d->m_listCtrl->SetCell(row, c, cells[c]);
}

const std::string header =
    "File Source Path\tFile Destination Path\tSource Hash\tCopy Status\tDestination Hash\tHash Comparison";

} // namespace

TEST_F(IvtDialogTest, LogHoldsTheListAndAMasterHashThatCoreutilsConfirms)
{
    IVTDialog* d = dialog.get();
    TempDir store;
    // Real files, hashed by coreutils, in rows the way a copy-and-compare leaves them.
    TempDir files;
    const wxString a = files.WriteFile("a.mov", "alpha");
    const wxString b = files.WriteFile(wxString::FromUTF8("ünï cødé.mov"), "beta");
    const wxString c = files.WriteFile("c.mov", "gamma");
    for (int algorithm = 0; algorithm < 5; ++algorithm)
    {
        SCOPED_TRACE(algorithmNames[algorithm]);
        const std::string tool = digestTools[algorithm];
        d->m_listCtrl->DeleteAllRows();
        const wxString ha = CoreutilsHash(tool, a), hb = CoreutilsHash(tool, b), hc = CoreutilsHash(tool, c);
        AddRow(d, {a, "/dst/a.mov", ha, "Success", ha, "Ok"}); // equal hashes count twice
        AddRow(d, {b, "/dst/b.mov", hb, "Success", hc, "No"});
        AddRow(d, {c, "", hc, "Failed", "", "No"}); // empty cells keep their place
        AddRow(d, {"", "/dst/only.mov", "", "", ha.Upper(), ""}); // upper case sorts first
        d->m_combo3->SetSelection(algorithm);
        d->m_combo1->SetSelection(IVT_OP_COPY_AND_COMPARE);

        const wxString before = DateTimeNowAsString();
        const ReadLog log = SaveAndTake(d, store);
        ASSERT_EQ(log.lines.size(), 11u);

        // UTF-16LE, no byte-order mark, CR LF as 16-bit units.
        ASSERT_GE(log.bytes.size(), 4u);
        EXPECT_NE(log.bytes.substr(0, 2), std::string("\xFF\xFE", 2));
        EXPECT_EQ(log.bytes.substr(0, 4), std::string("F\0i\0", 4));
        EXPECT_EQ(log.bytes.substr(log.bytes.size() - 4), std::string("\r\0\n\0", 4));

        EXPECT_EQ(log.lines[0], header);
        std::vector<std::vector<std::string>> rows;
        for (int r = 1; r <= 4; ++r)
        {
            rows.push_back(SplitTabs(log.lines[r]));
            ASSERT_EQ(rows.back().size(), 6u) << log.lines[r];
        }
        EXPECT_EQ(rows[1][0], b.utf8_string());
        EXPECT_EQ(rows[2], (std::vector<std::string>{c.utf8_string(), "", hc.utf8_string(), "Failed", "", "No"}));
        EXPECT_EQ(log.lines[5], " ");
        const std::string master = MasterHashFromLogRows(rows, tool, store);
        EXPECT_EQ(log.lines[6], std::string(algorithmNames[algorithm]) +
                                    " of this operation (Copy Source to Destination and Compare): " + master);
        EXPECT_EQ(log.lines[7], "This is the hash of a .txt file whose content is a sorted list of all the hash codes "
                                "(one per line) calculated during the current operation");
        EXPECT_EQ(log.lines[8], " ");
        std::smatch date;
        ASSERT_TRUE(std::regex_match(log.lines[9], date,
                                     std::regex("Log generated on: ([0-9]{4})-([0-9]{2})-([0-9]{2}) ([0-9]{2}):([0-9]{2}):([0-9]{2})")))
            << log.lines[9];
        const std::string stamp = date[1].str() + date[2].str() + date[3].str() + date[4].str() + date[5].str() +
                                  date[6].str();
        EXPECT_GE(stamp, before.ToStdString());
        EXPECT_LE(stamp, DateTimeNowAsString().ToStdString());
        const AppVersion version;
        EXPECT_EQ(log.lines[10], ("Using Korvo LOOM, " + version.GetPlatform() + " Copy and Verify Tool, Rev. " +
                                  version.GetLoomRevision())
                                     .utf8_string());
        EXPECT_EQ(Progress(), "Log has been saved on the desktop");
    }
}

TEST_F(IvtDialogTest, LogNamesTheOperationAndWritesOnlyRowZeroForASingleFile)
{
    IVTDialog* d = dialog.get();
    TempDir store;
    AddRow(d, {"/s/one.mov", "", "aa", "", "", ""});
    AddRow(d, {"/s/two.mov", "", "bb", "", "", ""});
    AddRow(d, {"/s/three.mov", "", "", "", "AA", ""});
    const std::pair<int, const char*> operations[] = {{IVT_OP_HASH_SOURCE, "Hash Source"},
                                                      {IVT_OP_HASH_DESTINATION, "Hash Destination"},
                                                      {IVT_OP_COMPARE, "Compare Source and Destination"},
                                                      {IVT_OP_COPY, "Copy Source to Destination"}};
    for (const auto& [operation, name] : operations)
    {
        d->m_combo1->SetSelection(operation);
        const ReadLog log = SaveAndTake(d, store);
        ASSERT_EQ(log.lines.size(), 10u);
        EXPECT_TRUE(log.lines[5].find(std::string("MD5 of this operation (") + name + "): ") == 0) << log.lines[5];
    }

    // Single file: row 0 only, but the master hash covers every row.
    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    const ReadLog log = SaveAndTake(d, store);
    ASSERT_EQ(log.lines.size(), 8u);
    EXPECT_EQ(log.lines[1], "/s/one.mov\t\taa\t\t\t");
    EXPECT_EQ(log.lines[2], " ");
    const std::string master = MasterHashFromLogRows(
        {SplitTabs("/s/one.mov\t\taa\t\t\t"), SplitTabs("/s/two.mov\t\tbb\t\t\t"), SplitTabs("/s/three.mov\t\t\t\tAA\t")},
        "md5sum", store);
    EXPECT_EQ(log.lines[3], "MD5 of this operation (Copy Source to Destination): " + master);
}

TEST_F(IvtDialogTest, LogWithoutRowsWritesNothingAndWithoutHashesHashesEmptyContent)
{
    IVTDialog* d = dialog.get();
    TempDir store;
    d->m_progressText->SetLabelText("File 3 of 3");
    d->SaveLog();
    EXPECT_TRUE(DesktopFiles("*").empty());
    EXPECT_EQ(Progress(), "File 3 of 3");

    AddRow(d, {"/s/a.mov", "/d/a.mov", "", "Failed", "", ""});
    d->m_combo3->SetSelection(HASH_SHA256);
    const ReadLog log = SaveAndTake(d, store);
    ASSERT_EQ(log.lines.size(), 8u);
    EXPECT_EQ(log.lines[3], "SHA256 of this operation (Copy Source to Destination and Compare): " +
                                Shell("printf '' | sha256sum | cut -d' ' -f1"));
}

TEST_F(IvtDialogTest, LogOfTheSameSecondKeepsTheEarlierLinesInFront)
{
    IVTDialog* d = dialog.get();
    TempDir store;
    AddRow(d, {"/s/a.mov", "", "aa", "", "", ""});
    // The log is named after the second it is written in: a log of that second
    // exists already, whichever second it turns out to be.
    const wxDateTime now = wxDateTime::Now();
    std::vector<wxString> planted;
    for (int s = 0; s < 5; ++s)
    {
        const wxString path =
            GetUserDesktopPath() + "/log" + (now + wxTimeSpan::Seconds(s)).Format("%Y%m%d%H%M%S") + ".tsv";
        Shell("printf 'earlier run\\r\\n\\303\\274ber\\r\\n' | iconv -f UTF-8 -t UTF-16LE > " + ShellQuote(path));
        planted.push_back(path);
    }
    d->SaveLog();
    int extended = 0;
    for (const wxString& path : planted)
    {
        const std::string text = Shell("iconv -f UTF-16LE -t UTF-8 " + ShellQuote(path));
        if (text.size() > 30)
        {
            ++extended;
            const std::string expected =
                std::string("earlier run\r\n\xC3\xBC" "ber\r\n") + header + "\r\n/s/a.mov\t\taa\t\t\t\r\n";
            EXPECT_EQ(text.substr(0, expected.size()), expected);
        }
        wxRemoveFile(path);
    }
    EXPECT_EQ(extended, 1);
}

TEST(IvtLog, LinesRoundTripThroughBothEncodings)
{
    TempDir dir;
    const std::vector<wxString> lines = {"plain", wxString::FromUTF8("ünï cødé"), wxString::FromUTF8("emoji 😀 ok"),
                                         "", "\ttabbed\t"};
    const wxString utf16 = dir / "utf16.txt";
    const wxString utf8 = dir / "utf8.txt";
    ASSERT_TRUE(WriteLines(utf16, lines, LogEncoding::Utf16LE));
    ASSERT_TRUE(WriteLines(utf8, lines, LogEncoding::Utf8));
    // Independent decoders agree on the bytes.
    EXPECT_EQ(Shell("iconv -f UTF-16LE -t UTF-8 " + ShellQuote(utf16) + " | od -An -tx1"),
              Shell("od -An -tx1 " + ShellQuote(utf8)));
    EXPECT_EQ(ReadFileBytes(utf8), std::string("plain\r\n\xC3\xBCn\xC3\xAF c\xC3\xB8" "d\xC3\xA9\r\nemoji \xF0\x9F\x98\x80 ok\r\n\r\n\ttabbed\t\r\n"));
    EXPECT_EQ(ReadLines(utf16), lines);
    EXPECT_EQ(ReadLines(utf8), lines);
    EXPECT_TRUE(ReadLines(dir / "missing").empty());
}

TEST(IvtLog, MasterHashListSortsByCodeUnitAndKeepsDuplicates)
{
    ResultRows rows;
    const char* const cells[][6] = {{"s1", "", "bb", "", "bb", ""},
                                    {"s2", "", "", "", "Ab", ""},
                                    {"s3", "", "ab", "", "", ""},
                                    {"s4", "", "", "", "", ""}};
    for (int r = 0; r < 4; ++r)
    {
        rows.Insert(r, cells[r][0]);
        for (int c = 1; c < 6; ++c)
            rows.SetCell(r, c, cells[r][c]);
    }
    const LogCell cell = [&rows](std::size_t row, int column) -> const wxString&
    { return rows.GetCell(static_cast<long>(row), column); };
    EXPECT_EQ(MasterHashListLines(rows.Count(), cell), (std::vector<wxString>{"Ab", "ab", "bb", "bb"}));
    EXPECT_EQ(LogTableLines(rows.Count(), cell, {"h0", "h1", "h2", "h3", "h4", "h5"}, true),
              (std::vector<wxString>{"h0\th1\th2\th3\th4\th5", "s1\t\tbb\t\tbb\t"}));
    EXPECT_EQ(LogTableLines(0, cell, {"h0", "h1", "h2", "h3", "h4", "h5"}, true).size(), 1u);
}
