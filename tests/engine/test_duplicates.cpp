#include "harness/helpers.h"

#include "korbase/hash.h"
#include "korverify/duplicates.h"

#include <gtest/gtest.h>

#include <wx/filefn.h>

#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <set>

using namespace kortest;

namespace
{

std::vector<wxString> Texts(const std::vector<const char*>& values)
{
    std::vector<wxString> texts;
    for (const char* v : values)
        texts.push_back(wxString::FromUTF8(v));
    return texts;
}

std::vector<wxString> Paths(std::size_t rows)
{
    std::vector<wxString> paths;
    for (std::size_t i = 0; i < rows; ++i)
        paths.push_back(wxString::Format("/dst/file%zu", i));
    return paths;
}

std::string Describe(const std::vector<DuplicateRow>& rows)
{
    std::string text;
    for (const DuplicateRow& r : rows)
        text += std::to_string(r.row) + "<-" + std::to_string(r.keptRow) + " ";
    return text;
}

// The removal as described, every pair of rows once with a path removed at most once,
// with the one safeguard added: a group's first file is never removed.
std::vector<DuplicateRow> EveryPair(const std::vector<wxString>& hashes, const std::vector<wxString>& paths)
{
    std::vector<DuplicateRow> removed;
    std::set<wxString> gone;
    for (std::size_t i = 0; i < hashes.size(); ++i)
    {
        std::size_t first = 0;
        while (hashes[first] != hashes[i])
            ++first;
        for (std::size_t j = i + 1; j < hashes.size(); ++j)
        {
            if (!KcvIsHashError(hashes[i]) && hashes[i].Cmp(hashes[j]) == 0 && !gone.count(paths[j]) &&
                paths[j] != paths[first])
            {
                removed.push_back({i, j});
                gone.insert(paths[j]);
            }
        }
    }
    return removed;
}

// What a removal following `plan` deletes when every path exists at first.
std::vector<DuplicateRow> Simulate(const std::vector<DuplicateRow>& plan, const std::vector<wxString>& paths)
{
    std::vector<DuplicateRow> removed;
    std::set<wxString> gone;
    for (const DuplicateRow& d : plan)
    {
        if (gone.insert(paths[d.row]).second)
            removed.push_back(d);
    }
    return removed;
}

} // namespace

TEST(Duplicates, FirstRowOfAGroupKeepsItsFile)
{
    const auto hashes = Texts({"aa11", "bb22", "aa11", "cc33", "aa11", "bb22"});
    EXPECT_EQ(Describe(FindDuplicateRows(hashes, Paths(6))), Describe({{0, 2}, {0, 4}, {1, 5}}));
}

TEST(Duplicates, OrderedByKeptRowThenRow)
{
    // The later group starts first in the list: its removals come first.
    const auto hashes = Texts({"bbbb", "aaaa", "aaaa", "bbbb", "aaaa"});
    EXPECT_EQ(Describe(FindDuplicateRows(hashes, Paths(5))), Describe({{0, 3}, {1, 2}, {1, 4}}));
}

TEST(Duplicates, HashesDifferingInCaseAreNotDuplicates)
{
    EXPECT_TRUE(FindDuplicateRows(Texts({"abcdef", "ABCDEF", "Abcdef"}), Paths(3)).empty());
}

TEST(Duplicates, RowsWithoutAHashAreNeverDuplicates)
{
    const auto hashes = Texts({"", "", "Unreadable: Permission denied", "Unreadable: Permission denied", "00ff",
                               "", "00ff"});
    EXPECT_EQ(Describe(FindDuplicateRows(hashes, Paths(7))), Describe({{4, 6}}));
}

TEST(Duplicates, ARowNamingTheKeptFileItselfIsNotListed)
{
    const auto hashes = Texts({"abab", "abab", "abab"});
    const auto paths = Texts({"/dst/same", "/dst/same", "/dst/other"});
    EXPECT_EQ(Describe(FindDuplicateRows(hashes, paths)), Describe({{0, 2}}));
}

TEST(Duplicates, EmptyList) { EXPECT_TRUE(FindDuplicateRows({}, {}).empty()); }

TEST(Duplicates, AgreesWithComparingEveryPairOnRandomRows)
{
    std::mt19937 random(77);
    const char* values[] = {"", "0a0a", "0A0A", "1b1b", "2c2c", "Unreadable: Input/output error", "ffff"};
    for (int round = 0; round < 300; ++round)
    {
        const std::size_t n = random() % 15;
        std::vector<wxString> hashes, paths;
        for (std::size_t i = 0; i < n; ++i)
        {
            hashes.push_back(values[random() % 7]);
            paths.push_back(wxString::Format("/dst/f%u", static_cast<unsigned>(random() % 10)));
        }
        ASSERT_EQ(Describe(Simulate(FindDuplicateRows(hashes, paths), paths)), Describe(EveryPair(hashes, paths)))
            << "round " << round;
    }
}

TEST(Duplicates, RemovalOfCopiedFilesOnDisk)
{
    TempDir dir;
    const auto paths = std::vector<wxString>{dir.WriteFile("dst/a.txt", "same"), dir.WriteFile("dst/b.txt", "other"),
                                             dir.WriteFile("dst/sub/c.txt", "same"), dir.WriteFile("dst/d.txt", "same")};
    std::vector<wxString> hashes;
    for (const wxString& p : paths)
        hashes.push_back(KcvCalcHashFromFile(p, HASH_MD5, true));
    // d.txt already went outside the tool: skipped, not counted.
    ASSERT_TRUE(wxRemoveFile(paths[3]));

    int removed = 0;
    for (const DuplicateRow& d : FindDuplicateRows(hashes, paths))
    {
        const RemoveResult result = RemoveFileNoFollow(paths[d.row]);
        EXPECT_NE(result.outcome, RemoveOutcome::Failed) << result.error;
        removed += result.outcome == RemoveOutcome::Removed;
    }
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(Shell("cd " + ShellQuote(dir / "dst") + " && find . -type f | sort | tr '\\n' ' '"), "./a.txt ./b.txt ");
    EXPECT_EQ(ReadFileBytes(paths[0]), "same");
}

TEST(Duplicates, RemovalNeverFollowsALinkNorRemovesAFolder)
{
    TempDir dir;
    const wxString victim = dir.WriteFile("elsewhere/precious.txt", "keep me");
    const wxString link = dir / "dst/copy.txt";
    dir.MakeDir("dst");
    ASSERT_EQ(symlink(victim.fn_str(), link.fn_str()), 0);

    RemoveResult result = RemoveFileNoFollow(link);
    EXPECT_EQ(result.outcome, RemoveOutcome::Removed);
    EXPECT_EQ(ReadFileBytes(victim), "keep me");
    struct stat st;
    EXPECT_NE(lstat(link.fn_str(), &st), 0); // the link itself is gone

    // A link to a folder: the link goes, the folder and its files stay.
    const wxString folderLink = dir / "dst/folder-link";
    ASSERT_EQ(symlink((dir / "elsewhere").fn_str(), folderLink.fn_str()), 0);
    EXPECT_EQ(RemoveFileNoFollow(folderLink).outcome, RemoveOutcome::Removed);
    EXPECT_EQ(ReadFileBytes(victim), "keep me");

    // A folder in place of a file is not a file: nothing is removed.
    const wxString folder = dir.MakeDir("dst/folder");
    dir.WriteFile("dst/folder/inside.txt", "x");
    EXPECT_EQ(RemoveFileNoFollow(folder).outcome, RemoveOutcome::NothingThere);
    EXPECT_TRUE(wxFileExists(folder + "/inside.txt"));

    EXPECT_EQ(RemoveFileNoFollow(dir / "dst/missing.txt").outcome, RemoveOutcome::NothingThere);
    EXPECT_EQ(RemoveFileNoFollow("").outcome, RemoveOutcome::NothingThere);
}

TEST(Duplicates, RemovalFailureIsReported)
{
    TempDir dir;
    const wxString file = dir.WriteFile("dst/locked/file.txt", "x");
    const wxString folder = dir / "dst/locked";
    const bool root = geteuid() == 0;
    // Immutable for root, read-only for anyone else.
    if (root)
        ASSERT_EQ(Shell("chattr +i -- " + ShellQuote(folder) + " && echo ok"), "ok");
    else
        ASSERT_EQ(chmod(folder.fn_str(), 0555), 0);
    const RemoveResult result = RemoveFileNoFollow(file);
    if (root)
        Shell("chattr -i -- " + ShellQuote(folder));
    else
        chmod(folder.fn_str(), 0755);
    EXPECT_EQ(result.outcome, RemoveOutcome::Failed);
    EXPECT_EQ(result.error.utf8_string(), root ? "Operation not permitted" : "Permission denied");
    EXPECT_TRUE(wxFileExists(file));
}
