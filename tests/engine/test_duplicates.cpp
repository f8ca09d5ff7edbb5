#include "harness/helpers.h"

#include "korbase/hash.h"
#include "korverify/duplicates.h"

#include <gtest/gtest.h>

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

TEST(Duplicates, Cases)
{
    const struct
    {
        std::vector<const char*> hashes;
        std::vector<const char*> paths; // empty: /dst/file<row>
        std::string expected;
    } cases[] = {
        {{"aa11", "bb22", "aa11", "cc33", "aa11", "bb22"}, {}, "2<-0 4<-0 5<-1 "},
        // A later group that starts first in the list has its removals first.
        {{"bbbb", "aaaa", "aaaa", "bbbb", "aaaa"}, {}, "3<-0 2<-1 4<-1 "},
        {{"abcdef", "ABCDEF", "Abcdef"}, {}, ""},
        // Rows without a hash are never duplicates of anything.
        {{"", "", "Unreadable: Permission denied", "Unreadable: Permission denied", "00ff", "", "00ff"}, {}, "6<-4 "},
        // A row naming the kept file itself is not listed.
        {{"abab", "abab", "abab"}, {"/dst/same", "/dst/same", "/dst/other"}, "2<-0 "},
        {{}, {}, ""},
    };
    for (const auto& c : cases)
    {
        const auto paths = c.paths.empty() ? Paths(c.hashes.size()) : Texts(c.paths);
        EXPECT_EQ(Describe(FindDuplicateRows(Texts(c.hashes), paths)), c.expected);
    }
}

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

TEST(Duplicates, RemovalNeverFollowsALinkNorRemovesAFolder)
{
    TempDir dir;
    const wxString victim = dir.WriteFile("elsewhere/precious.txt", "keep me");
    const wxString folder = dir.MakeDir("dst/folder");
    dir.WriteFile("dst/folder/inside.txt", "x");
    ASSERT_EQ(symlink(victim.fn_str(), (dir / "dst/copy.txt").fn_str()), 0);
    ASSERT_EQ(symlink((dir / "elsewhere").fn_str(), (dir / "dst/folder-link").fn_str()), 0);
    for (const char* link : {"dst/copy.txt", "dst/folder-link"})
        EXPECT_EQ(RemoveFileNoFollow(dir / link).outcome, RemoveOutcome::Removed) << link;
    EXPECT_EQ(Shell("cd " + ShellQuote(dir.Path()) + " && find . -type f -o -type l | sort | tr '\\n' ' '"),
              "./dst/folder/inside.txt ./elsewhere/precious.txt ");
    EXPECT_EQ(ReadFileBytes(victim), "keep me");
    for (const wxString& path : {folder, dir / "dst/missing.txt", wxString()})
        EXPECT_EQ(RemoveFileNoFollow(path).outcome, RemoveOutcome::NothingThere) << path;
}
