// The korverify program, run as a separate process on real trees.

#include "harness/helpers.h"
#include "verify/ivtfixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <wx/dir.h>
#include <wx/filefn.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

struct Ran
{
    int code = -1000;
    std::string out;
    std::string err;
};

// Starts `program` with `args`, stdout and stderr into files of `folder`; without
// `display` the child gets no DISPLAY.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, const kortest::TempDir& folder,
            bool display = true)
{
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
    {
        if (display || std::string(*e).rfind("DISPLAY=", 0) != 0)
            envp.push_back(*e);
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = (folder / "stdout").utf8_string(), err = (folder / "stderr").utf8_string();
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()), 0) << program;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

Ran Finish(pid_t pid, const kortest::TempDir& folder)
{
    int status = 0;
    waitpid(pid, &status, 0);
    // A death by signal is negative, so that it never passes for an exit status.
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), kortest::ReadFileBytes(folder / "stdout"),
            kortest::ReadFileBytes(folder / "stderr")};
}

Ran RunProgram(const std::string& program, const std::vector<std::string>& args, bool display = true)
{
    const kortest::TempDir folder;
    return Finish(Spawn(program, args, folder, display), folder);
}

Ran Korverify(const std::vector<std::string>& args, bool display = true)
{
    return RunProgram(KOR_CLI_BINARY, args, display);
}

std::string U8(const wxString& s)
{
    return s.utf8_string();
}

// A tree with the names that need care: blanks, a backslash, line breaks, UTF-8; an
// empty file and one across the read buffer.
struct Tree
{
    kortest::TempDir dir;
    std::vector<std::string> files; // full paths, in the order korverify lists them
    std::string src = U8(dir / "src");

    Tree()
    {
        const std::vector<std::pair<wxString, std::string>> content = {
            {"a b.txt", "alpha"},  {"back\\slash", "b"},
            {"cr\rname", "c"},     {"empty", ""},
            {"new\nline", "n"},    {"sub/deep/big.bin", std::string(3 << 20, 'x') + "end"},
            {"sub/z.txt", "zeta"}, {wxString::FromUTF8("\xc3\xa9t\xc3\xa9.txt"), "ete"},
        };
        for (const auto& [name, bytes] : content)
            files.push_back(U8(dir.WriteFile("src/" + name, bytes)));
    }
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(Korverify, HashAgreesWithCoreutilsAndMd5sumChecksIt)
{
    const Tree tree;
    struct Tool
    {
        std::string algorithm;
        std::string program;
        std::vector<std::string> options;
    };
    const std::vector<Tool> tools = {
        {"md5", "md5sum", {}},       {"sha1", "sha1sum", {}},       {"sha256", "sha256sum", {}},
        {"sha384", "sha384sum", {}}, {"sha512", "sha512sum", {}},   {"xxh64", "xxhsum", {"-H1"}},
        {"xxh3", "xxhsum", {"-H3"}}, {"xxh128", "xxhsum", {"-H2"}},
    };
    for (const Tool& tool : tools)
    {
        SCOPED_TRACE(tool.algorithm);
        std::vector<std::string> files; // xxhsum escapes names its own way: plain ones only
        for (const std::string& file : tree.files)
        {
            if (tool.program != "xxhsum" || file.find_first_of("\\\n\r") == std::string::npos)
                files.push_back(file);
        }
        std::vector<std::string> args{"hash", "-a", tool.algorithm}, toolArgs = tool.options;
        args.insert(args.end(), files.begin(), files.end());
        toolArgs.insert(toolArgs.end(), files.begin(), files.end());
        const Ran ours = Korverify(args), theirs = RunProgram(tool.program, toolArgs);
        ASSERT_EQ(ours.code, 0) << ours.err;
        std::string expected;
        for (std::string line : Lines(theirs.out))
        {
            const std::size_t close = line.rfind(") = "); // xxhsum -H3: "XXH3 (name) = digest"
            if (line.rfind("XXH3 (", 0) == 0 && close != std::string::npos)
                line = line.substr(close + 4) + "  " + line.substr(6, close - 6);
            expected += line + "\n";
        }
        EXPECT_EQ(ours.out, expected);
    }

    // A whole folder, read back by md5sum -c.
    const kortest::TempDir work;
    const Ran sums = Korverify({"hash", "-a", "md5", tree.src});
    ASSERT_EQ(sums.code, 0) << sums.err;
    EXPECT_EQ(Lines(sums.out).size(), tree.files.size());
    work.WriteFile("sums", sums.out);
    const Ran check = RunProgram("md5sum", {"--strict", "-c", U8(work / "sums")});
    EXPECT_EQ(check.code, 0) << check.out << check.err;
    EXPECT_EQ(Lines(check.out).size(), tree.files.size());
}

namespace
{

// `check` of a Copy and Compare log of `tree` into `dst`: it holds, then catches a
// changed copy, a missing original and an edited hash cell. `emptyHash` is the hash
// of an empty file under the log's algorithm.
void ExpectCheckCatchesChanges(const Tree& tree, const std::string& dst, const std::string& log,
                               const std::string& emptyHash)
{
    Ran check = Korverify({"check", log, "--files"});
    EXPECT_EQ(check.code, 0) << check.out << check.err;
    EXPECT_EQ(Lines(check.out).size(), 1 + 2 * tree.files.size()); // the master hash, then each file twice

    tree.dir.WriteFile("dst/sub/z.txt", "zeta, changed");
    ASSERT_TRUE(wxRemoveFile(tree.dir / "src/empty"));
    check = Korverify({"check", log, "--files"});
    EXPECT_EQ(check.code, 1);
    EXPECT_TRUE(Contains(check.out, "master hash OK"));
    EXPECT_TRUE(Contains(check.out, dst + "/sub/z.txt: CHANGED")) << check.out;
    EXPECT_TRUE(Contains(check.out, tree.src + "/empty: MISSING")) << check.out;

    // One hex digit of a hash, changed in place in the UTF-16 bytes.
    std::string bytes = kortest::ReadFileBytes(log);
    std::string wide;
    for (char c : emptyHash.substr(0, 16))
        wide += std::string{c, '\0'};
    const std::size_t at = bytes.find(wide);
    ASSERT_NE(at, std::string::npos);
    bytes[at] = bytes[at] == 'f' ? 'e' : 'f';
    tree.dir.WriteFile("edited.tsv", bytes);
    check = Korverify({"check", U8(tree.dir / "edited.tsv")});
    EXPECT_EQ(check.code, 1);
    EXPECT_TRUE(Contains(check.out, "master hash differs: the log states ")) << check.out;
}

} // namespace

TEST(Korverify, CheckReadsItsOwnLogAndCatchesChanges)
{
    const Tree tree;
    const std::string dst = U8(tree.dir / "dst"), log = U8(tree.dir / "copy.tsv");
    const Ran copy = Korverify({"copy", "-a", "sha256", tree.src, dst, "--log", log, "--json"});
    ASSERT_EQ(copy.code, 0) << copy.err;
    const nlohmann::json summary = nlohmann::json::parse(copy.out);
    EXPECT_EQ(summary["counts"]["verified"], tree.files.size());
    EXPECT_EQ(summary["log"], log);
    for (const std::string& file : tree.files)
        EXPECT_EQ(RunProgram("cmp", {file, dst + file.substr(tree.src.size())}).code, 0) << file;

    // The log is UTF-16LE text whose master hash line holds the hash the summary gives.
    const Ran text = RunProgram("iconv", {"-f", "UTF-16LE", "-t", "UTF-8", log});
    ASSERT_EQ(text.code, 0);
    EXPECT_TRUE(Contains(text.out, "SHA256 of this operation (Copy Source to Destination and Compare): " +
                                       summary["masterHash"].get<std::string>()));
    ExpectCheckCatchesChanges(tree, dst, log, "e3b0c44298fc1c149afbf4c8996fb924");
}

// The dialog's log of the same operation reads back the same way.
using KorverifyOnDialogLog = kortest::IvtDialogTest;

TEST_F(KorverifyOnDialogLog, CheckReadsTheDialogsLogAndCatchesChanges)
{
    const Tree tree;
    const std::string dst = U8(tree.dir.MakeDir("dst"));
    RunToEnd(tree.src, dst, IVT_OP_COPY_AND_COMPARE);
    ASSERT_EQ(dialog->m_listCtrl->RowCount(), static_cast<long>(tree.files.size()));
    wxArrayString logs;
    wxDir::GetAllFiles(GetUserDesktopPath(), &logs, "log*.tsv", wxDIR_FILES);
    ASSERT_EQ(logs.size(), 1u);
    const std::string log = U8(logs.front());
    ExpectCheckCatchesChanges(tree, dst, log, "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Korverify, CompareNamesEachFileAndEveryExitCodeIsReached)
{
    const Tree tree;
    const std::string same = U8(tree.dir / "same"), other = U8(tree.dir / "other");
    ASSERT_EQ(Korverify({"copy", tree.src, same}).code, 0);
    ASSERT_EQ(Korverify({"copy", tree.src, other}).code, 0);
    tree.dir.WriteFile("other/a b.txt", "ALPHA");
    tree.dir.WriteFile("other/only-here", "d");
    ASSERT_TRUE(wxRemoveFile(tree.dir / "other/sub/z.txt"));

    const Ran compare = Korverify({"compare", tree.src, other});
    EXPECT_EQ(compare.code, 1);
    for (const char* line : {"a b.txt: DIFFERS", "\\back\\\\slash: OK", "sub/z.txt: ONLY IN SOURCE",
                             "only-here: ONLY IN DESTINATION", "sub/deep/big.bin: OK"})
        EXPECT_TRUE(Contains(compare.out, std::string(line) + "\n")) << line << "\n" << compare.out;
    const nlohmann::json summary = nlohmann::json::parse(Korverify({"compare", tree.src, other, "--json"}).out);
    EXPECT_EQ(summary["counts"]["matched"], tree.files.size() - 2);
    EXPECT_EQ(summary["failures"].size(), 3u);
    EXPECT_EQ(summary["exitCode"], 1);

    const std::string notALog = U8(tree.dir.WriteFile("notalog.txt", "hello\n"));
    const std::string file = U8(tree.dir.WriteFile("plain", "p"));
    struct Case
    {
        std::vector<std::string> args;
        int code;
        std::string says; // on stdout or stderr
    };
    const std::vector<Case> cases = {
        {{"compare", tree.src, same}, 0, "sub/z.txt: OK"},
        {{"hash", "--no-recurse", tree.src}, 0, "a b.txt"},
        {{"compare", tree.src, other}, 1, "DIFFERS"},
        {{"compare", U8(tree.dir.MakeDir("none")), same}, 1, "sub/z.txt: ONLY IN DESTINATION"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"hash"}, 2, "PATH"},
        {{"hash", "-a", "crc32", tree.src}, 2, "unknown algorithm"},
        {{"copy", tree.src, same}, 2, "not empty"},
        {{"copy", tree.src, tree.src + "/sub/inside"}, 2, "inside the source"},
        {{"compare", tree.src, file}, 2, "not a folder"},
        {{"hash", U8(tree.dir / "nothing-here")}, 3, "No such file"},
        {{"check", notALog}, 3, "not a verification log"},
        {{"copy", tree.src, file + "/below"}, 3, "cannot create"},
        {{"compare", tree.src, U8(tree.dir / "nothing-here")}, 3, "No such folder"},
    };
    for (const Case& c : cases)
    {
        const Ran ran = Korverify(c.args);
        EXPECT_EQ(ran.code, c.code) << c.args.front() << " " << c.args.back() << "\n" << ran.out << ran.err;
        EXPECT_TRUE(Contains(ran.out + ran.err, c.says)) << c.says << "\n" << ran.out << ran.err;
    }
}

TEST(Korverify, RunsWithoutDisplayOrGtk)
{
    const Ran help = Korverify({"--help"}, false);
    EXPECT_EQ(help.code, 0) << help.err;
    for (const char* part : {"hash", "copy", "compare", "check", "130"})
        EXPECT_TRUE(Contains(help.out, part)) << part;
    EXPECT_EQ(Korverify({"--version"}, false).code, 0);
    const Ran hash = Korverify({"hash", "/dev/null"}, false);
    EXPECT_EQ(hash.code, 3) << "a character device is no regular file";
    const Ran libraries = RunProgram("ldd", {KOR_CLI_BINARY});
    EXPECT_TRUE(Contains(libraries.out, "libwx_baseu"));
    EXPECT_FALSE(Contains(libraries.out, "gtk")) << libraries.out;
    EXPECT_FALSE(Contains(libraries.out, "wx_gtk")) << libraries.out;
}

TEST(Korverify, CtrlCDuringCopyLeavesNoIncompleteFile)
{
    kortest::TempDir tree;
    std::string bytes(128 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 31 % 251);
    tree.WriteFile("src/f0", bytes);
    tree.WriteFile("src/f1", bytes);
    const kortest::TempDir output;
    const wxString dst = tree / "dst";
    const pid_t pid = Spawn(KOR_CLI_BINARY, {"copy", U8(tree / "src"), U8(dst)}, output);
    // Interrupt while the first file is being copied (under its temporary name).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (wxString name; !wxDir::Exists(dst) || !wxDir(dst).GetFirst(&name, ".korcopy-*", wxDIR_FILES | wxDIR_HIDDEN);)
    {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(pid, SIGINT);
    const Ran ran = Finish(pid, output);
    EXPECT_EQ(ran.code, 130) << ran.out << ran.err;
    EXPECT_TRUE(Contains(ran.out, "f0: STOPPED")) << ran.out;

    // Stopped within the file: neither the copy nor its temporary file is left.
    wxArrayString left;
    wxDir::GetAllFiles(dst, &left, wxEmptyString, wxDIR_FILES | wxDIR_HIDDEN);
    EXPECT_TRUE(left.empty()) << left.front();
}
