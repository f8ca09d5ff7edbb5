// The copy-and-verify log, read back with iconv and re-checked with the recipe the
// README gives (coreutils alone), never with the code that wrote it.

#include "verify/ivtfixture.h"

#include "korverify/verifylog.h"

#include <wx/dir.h>
#include <wx/filename.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <regex>

using namespace kortest;

namespace
{

const char* const digestTools[] = {"md5sum", "sha1sum", "sha256sum", "sha384sum", "sha512sum"};
const char* const algorithmNames[] = {"MD5", "SHA1", "SHA256", "SHA384", "SHA512"};

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size())
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The log's lines as UTF-8 through iconv; every line, the last included, ends with CR LF.
std::vector<std::string> LogLines(const wxString& log)
{
    const std::string bytes = ReadFileBytes(log);
    EXPECT_TRUE(bytes.size() > 2 && bytes[1] == '\0' && bytes[0] != '\xFF') << "UTF-16LE without byte-order mark";
    const wxString utf8 = log + ".utf8";
    Shell("iconv -f UTF-16LE -t UTF-8 " + ShellQuote(log) + " > " + ShellQuote(utf8));
    std::vector<std::string> lines = Split(ReadFileBytes(utf8), "\r\n");
    wxRemoveFile(utf8);
    EXPECT_EQ(lines.back(), "") << "text after the last CR LF";
    lines.pop_back();
    for (const std::string& line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    return lines;
}

// Runs the README's master hash recipe, exactly as written there, on `log`.
std::string RecipeMasterHash(const wxString& log, const std::string& tool)
{
    const std::string readme = ReadFileBytes(KOR_SOURCE_DIR "/README.md");
    const std::size_t marker = readme.find("<!-- master-hash-recipe -->\n```sh\n");
    const std::size_t end = readme.find("```\n<!-- end of master-hash-recipe -->");
    if (marker == std::string::npos || end == std::string::npos)
        return "no recipe in the README";
    const std::size_t start = readme.find("```sh\n", marker) + 6;
    const std::string recipe = readme.substr(start, end - start);
    return Shell("LOG=" + ShellQuote(log) + " SUM=" + tool + " sh -c " + ShellQuote(wxString::FromUTF8(recipe)) +
                 " | cut -d' ' -f1");
}

LogRequest Request(const std::vector<std::vector<wxString>>& rows, const wxString& folder, int algorithm = HASH_MD5)
{
    LogRequest request;
    request.folder = folder;
    request.rowCount = rows.size();
    request.cell = Utf8LogCells(rows);
    request.headings = {"Source", "Destination", "Source Hash", "Status", "Destination Hash", "Comparison"};
    request.algorithm = static_cast<HashAlgorithm>(algorithm);
    request.operationName = "Copy";
    request.masterHashFormat = "%s of this operation (%s): %s";
    request.masterHashNote = "note";
    request.closingLines = {" ", "closing"};
    return request;
}

std::vector<wxString> FilesIn(const wxString& folder, const wxString& pattern)
{
    wxArrayString found;
    wxDir::GetAllFiles(folder, &found, pattern, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
    return {found.begin(), found.end()};
}

} // namespace

TEST(VerifyLog, EveryNameKeepsItsRowAndTheReadmeRecipeReproducesTheMasterHash)
{
    TempDir files;
    const std::vector<wxString> names = {"tab\there.mov", "line\nbreak.mov", "cr\rname", "back\\slash\\t.mov",
                                         wxString::FromUTF8("ünï cødé.mov"),
                                         wxString::FromUTF8("\xF0\x9F\x8E\xAC take 2.mov")};
    std::vector<wxString> paths;
    for (std::size_t i = 0; i < names.size(); ++i)
        paths.push_back(files.WriteFile(names[i], "content " + std::to_string(i)));
    for (int algorithm = 0; algorithm < 5; ++algorithm)
    {
        SCOPED_TRACE(algorithmNames[algorithm]);
        const std::string tool = digestTools[algorithm];
        std::vector<std::vector<wxString>> rows;
        for (const wxString& path : paths)
        {
            const wxString hash(CoreutilsHash(tool, path));
            rows.push_back({path, "/dst/" + wxFileName(path).GetFullName(), hash, "Success", hash, "Ok"});
        }
        rows.push_back({"", "/dst/only", "", "", wxString(CoreutilsHash(tool, paths[0])).Upper(), ""}); // upper case sorts first
        rows.push_back({paths[1], "", "Unreadable: Permission denied", "Failed", "", "No"});
        rows.push_back({"\\x is no escape\\", "", "", "", "", ""});

        const wxString folder = files / ("logs " + std::to_string(algorithm) + "/deeper"); // created
        const LogOutcome outcome = WriteVerifyLog(Request(rows, folder, algorithm));
        ASSERT_TRUE(outcome.ok) << outcome.reason;
        EXPECT_TRUE(std::regex_match(wxFileName(outcome.logPath).GetFullName().ToStdString(),
                                     std::regex("log[0-9]{14}\\.tsv")));
        EXPECT_EQ(FilesIn(folder, "*").size(), 1u) << "the list never outlives the log";

        const std::vector<std::string> lines = LogLines(outcome.logPath);
        ASSERT_EQ(lines.size(), rows.size() + 6);
        EXPECT_EQ(lines[0], "Source\tDestination\tSource Hash\tStatus\tDestination Hash\tComparison");
        for (std::size_t r = 0; r < rows.size(); ++r)
        {
            const std::vector<std::string> cells = Split(lines[r + 1], "\t");
            ASSERT_EQ(cells.size(), 6u) << lines[r + 1];
            for (int c = 0; c < 6; ++c)
                EXPECT_EQ(UnescapeLogCell(wxString::FromUTF8(cells[c])), rows[r][c]);
        }
        const std::string master = RecipeMasterHash(outcome.logPath, tool);
        EXPECT_EQ(outcome.masterHash.utf8_string(), master);
        const std::vector<std::string> footer(lines.end() - 5, lines.end());
        EXPECT_EQ(footer, (std::vector<std::string>{" ", std::string(algorithmNames[algorithm]) +
                                                              " of this operation (Copy): " + master,
                                                    "note", " ", "closing"}));
    }
}

TEST(VerifyLog, SingleFileLogShowsRowZeroAndAnEarlierLogOfTheSameSecondStaysInFront)
{
    TempDir dir;
    const std::vector<std::vector<wxString>> rows = {
        {"/s/one", "", "aa", "", "", ""}, {"/s/two", "", "bb", "", "bb", ""}, {"/s/three", "", "", "", "AA", ""}};
    // The log is named after the second it is written in: one of these is its name.
    const wxDateTime now = wxDateTime::Now();
    std::vector<wxString> planted;
    for (int s = 0; s < 5; ++s)
    {
        planted.push_back(dir / ("log" + (now + wxTimeSpan::Seconds(s)).Format("%Y%m%d%H%M%S") + ".tsv"));
        Shell("printf 'earlier\\r\\n' | iconv -f UTF-8 -t UTF-16LE > " + ShellQuote(planted.back()));
    }
    LogRequest request = Request(rows, dir.Path());
    request.firstRowOnly = true;
    const LogOutcome outcome = WriteVerifyLog(request);
    ASSERT_TRUE(outcome.ok) << outcome.reason;
    EXPECT_NE(std::find(planted.begin(), planted.end(), outcome.logPath), planted.end());
    const std::vector<std::string> lines = LogLines(outcome.logPath);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "earlier");
    EXPECT_EQ(lines[2], "/s/one\t\taa\t\t\t");
    // The master hash covers every row, equal hashes twice, upper case first.
    EXPECT_EQ(lines[4], "MD5 of this operation (Copy): " + Shell("printf 'AA\\r\\naa\\r\\nbb\\r\\nbb\\r\\n' | md5sum | cut -d' ' -f1"));
}

TEST(VerifyLog, FailuresNameTheFileAndNoMasterHashComesFromAPartialList)
{
    TempDir dir;
    const std::vector<std::vector<wxString>> rows = {{wxString('n', 3000), "", "aa", "", "bb", ""}};

    // A file where the folder should be.
    const wxString notAFolder = dir.WriteFile("desktop", "a file");
    LogOutcome outcome = WriteVerifyLog(Request(rows, notAFolder));
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.logWritten);
    EXPECT_EQ(outcome.failedPath, notAFolder);
    EXPECT_EQ(outcome.reason, "Not a directory");

    // The list's name is taken (by a folder) for every second the run can fall in: the
    // log is written without master hash lines, and the outcome names the list.
    const wxString folder = dir.MakeDir("blocked");
    const std::time_t start = std::time(nullptr);
    for (std::time_t t = start; t < start + 5; ++t)
    {
        std::srand(static_cast<unsigned>(t));
        dir.MakeDir("blocked/MasterHash" + wxDateTime(t).Format("%Y%m%d%H%M%S") +
                    wxString::Format("%d", std::rand() % 50000) + ".txt");
    }
    outcome = WriteVerifyLog(Request(rows, folder));
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.logWritten);
    EXPECT_TRUE(wxFileName(outcome.failedPath).GetFullName().StartsWith("MasterHash")) << outcome.failedPath;
    EXPECT_EQ(outcome.reason, "Is a directory");
    EXPECT_TRUE(outcome.masterHash.empty());
    EXPECT_EQ(LogLines(outcome.logPath).size(), 5u); // header, row, " ", closing lines

    // Room for the list but not for the log: nothing of the log is left behind.
    const wxString limited = dir.MakeDir("limited");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const rlimit limit{4096, before.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    outcome = WriteVerifyLog(Request(rows, limited));
    setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_FALSE(outcome.logWritten);
    EXPECT_EQ(outcome.failedPath, outcome.logPath);
    EXPECT_EQ(outcome.reason, "File too large");
    EXPECT_TRUE(FilesIn(limited, "*").empty());
}

TEST_F(IvtDialogTest, SaveLogCreatesTheDesktopAndSaysWhenItCannotWrite)
{
    IVTDialog* d = dialog.get();
    const wxString desktop = TestHome() + "/Schreibtisch/heute";
    Shell("mkdir -p \"$XDG_CONFIG_HOME\" && echo 'XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/heute\"' > "
          "\"$XDG_CONFIG_HOME/user-dirs.dirs\"");
    d->m_progressText->SetLabelText("File 1 of 1");
    d->SaveLog(); // no rows: nothing is written
    EXPECT_FALSE(wxDirExists(desktop));
    EXPECT_EQ(Progress(), "File 1 of 1");

    d->m_listCtrl->InsertRow(0, "/s/a.mov");
    d->m_listCtrl->SetCell(0, 2, "aa");
    d->SaveLog(); // written on a worker
    WaitUntilIdle(d);
    EXPECT_EQ(FilesIn(desktop, "log*.tsv").size(), 1u);
    EXPECT_EQ(Progress(), "Log has been saved on the desktop");

    Shell("rm -r " + ShellQuote(desktop) + " && touch " + ShellQuote(desktop));
    ExpectMessageBox failure("Log - error message");
    failure.Containing(desktop).Containing("Not a directory").ToolStyle();
    wxTEST_DIALOG(d->SaveLog(); WaitUntilIdle(d), failure);
    EXPECT_EQ(Progress(), "The log could not be saved");
}
