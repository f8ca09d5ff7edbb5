#include "harness/helpers.h"

#include "korbase/files.h"
#include "korverify/treematch.h"

#include <gtest/gtest.h>

#include <random>

using namespace kortest;

namespace
{

constexpr std::size_t kNone = TreeMatchRow::kNoFile;

TreeMatchRow Pair(std::size_t s, std::size_t d) { return {TreeMatchKind::Pair, s, d}; }
TreeMatchRow OnlySrc(std::size_t s) { return {TreeMatchKind::OnlyInSource, s, kNone}; }
TreeMatchRow OnlyDst(std::size_t d) { return {TreeMatchKind::OnlyInDestination, kNone, d}; }

std::vector<wxString> Under(const wxString& base, const std::vector<const char*>& relative)
{
    std::vector<wxString> files;
    for (const char* r : relative)
        files.push_back(base + "/" + wxString::FromUTF8(r));
    return files;
}

// The compare's two passes as plain nested loops, every path against every path.
std::vector<TreeMatchRow> NestedLoops(const std::vector<wxString>& src, const wxString& srcBase,
                                      const std::vector<wxString>& dst, const wxString& dstBase)
{
    std::vector<wxString> relSrc, relDst;
    for (const wxString& f : src)
        relSrc.push_back(FilenameAbsoluteToRelative(f, srcBase));
    for (const wxString& f : dst)
        relDst.push_back(FilenameAbsoluteToRelative(f, dstBase));
    std::vector<TreeMatchRow> rows;
    for (std::size_t k = 0; k < src.size(); ++k)
    {
        bool found = false;
        for (std::size_t j = 0; j < dst.size(); ++j)
        {
            if (relSrc[k].Cmp(relDst[j]) == 0)
            {
                rows.push_back(Pair(k, j));
                found = true;
            }
            if (j + 1 == dst.size() && !found)
                rows.push_back(OnlySrc(k));
        }
    }
    for (std::size_t j = 0; j < dst.size(); ++j)
    {
        bool matched = false;
        for (std::size_t k = 0; k < src.size(); ++k)
        {
            if (relSrc[k].Cmp(relDst[j]) == 0)
                matched = true;
            if (k + 1 == src.size() && !matched)
                rows.push_back(OnlyDst(j));
        }
    }
    return rows;
}

std::string Describe(const std::vector<TreeMatchRow>& rows)
{
    std::string text;
    for (const TreeMatchRow& r : rows)
    {
        const char* kind = r.kind == TreeMatchKind::Pair ? "pair" : r.kind == TreeMatchKind::OnlyInSource ? "src" : "dst";
        text += std::string(kind) + "(" + (r.source == kNone ? "-" : std::to_string(r.source)) + "," +
                (r.destination == kNone ? "-" : std::to_string(r.destination)) + ") ";
    }
    return text;
}

} // namespace

TEST(TreeMatch, SourceRowsInSourceOrderThenUnmatchedDestinationRows)
{
    const wxString s = "/data/src", d = "/backup/dst";
    const auto src = Under(s, {"a.txt", "sub/b.txt", "only-src.txt", "sub/deeper/c.txt"});
    const auto dst = Under(d, {"extra1.txt", "sub/deeper/c.txt", "a.txt", "extra2.txt", "sub/b.txt"});
    const std::vector<TreeMatchRow> expected = {Pair(0, 2), Pair(1, 4), OnlySrc(2), Pair(3, 1), OnlyDst(0), OnlyDst(3)};
    EXPECT_EQ(Describe(MatchTrees(src, s, dst, d)), Describe(expected));
}

TEST(TreeMatch, IdenticalTreesPairInSourceOrder)
{
    const auto src = Under("/s", {"x", "y", "z"});
    const auto dst = Under("/d", {"x", "y", "z"});
    EXPECT_EQ(Describe(MatchTrees(src, "/s", dst, "/d")), Describe({Pair(0, 0), Pair(1, 1), Pair(2, 2)}));
    // A trailing separator on the base names the same folder.
    EXPECT_EQ(Describe(MatchTrees(src, "/s/", dst, "/d")), Describe({Pair(0, 0), Pair(1, 1), Pair(2, 2)}));
}

TEST(TreeMatch, PathsDifferingOnlyInCaseAreNotPaired)
{
    const auto src = Under("/s", {"sub/A.txt", "Sub/b.txt"});
    const auto dst = Under("/d", {"sub/a.txt", "sub/b.txt"});
    EXPECT_EQ(Describe(MatchTrees(src, "/s", dst, "/d")),
              Describe({OnlySrc(0), OnlySrc(1), OnlyDst(0), OnlyDst(1)}));
}

TEST(TreeMatch, SameNameInDifferentFoldersPairsOnlyWithItsOwnFolder)
{
    const auto src = Under("/s", {"one/clip.mov", "two/clip.mov", "clip.mov"});
    const auto dst = Under("/d", {"two/clip.mov", "three/clip.mov", "one/clip.mov"});
    EXPECT_EQ(Describe(MatchTrees(src, "/s", dst, "/d")), Describe({Pair(0, 2), Pair(1, 0), OnlySrc(2), OnlyDst(1)}));
}

TEST(TreeMatch, NonAsciiNamesMatchExactly)
{
    const auto src = Under("/s", {"ünï/cødé.txt", "e\xcc\x81.txt"}); // e + combining accent
    const auto dst = Under("/d", {"\xc3\xa9.txt", "ünï/cødé.txt"});  // precomposed é: another name
    EXPECT_EQ(Describe(MatchTrees(src, "/s", dst, "/d")), Describe({Pair(0, 1), OnlySrc(1), OnlyDst(0)}));
}

TEST(TreeMatch, AnEmptySideGivesNoRows)
{
    const auto files = Under("/s", {"a", "b"});
    EXPECT_TRUE(MatchTrees(files, "/s", {}, "/d").empty());
    EXPECT_TRUE(MatchTrees({}, "/s", Under("/d", {"a", "b"}), "/d").empty());
    EXPECT_TRUE(MatchTrees({}, "/s", {}, "/d").empty());
}

TEST(TreeMatch, RepeatedEntriesGiveWhatComparingEveryPairGives)
{
    // Lists put together by hand may repeat a path; each repeat pairs with each partner.
    const auto src = Under("/s", {"a", "b", "a", "c"});
    const auto dst = Under("/d", {"b", "a", "x", "b", "x"});
    const auto rows = MatchTrees(src, "/s", dst, "/d");
    EXPECT_EQ(Describe(rows), Describe({Pair(0, 1), Pair(1, 0), Pair(1, 3), Pair(2, 1), OnlySrc(3), OnlyDst(2),
                                        OnlyDst(4)}));
    EXPECT_EQ(Describe(rows), Describe(NestedLoops(src, "/s", dst, "/d")));
}

TEST(TreeMatch, AgreesWithComparingEveryPairOnRandomTrees)
{
    std::mt19937 random(20240611);
    const char* names[] = {"a", "A", "b", "clip.mov", "Clip.mov", "x y", "ü"};
    const char* folders[] = {"", "sub/", "Sub/", "sub/deep/", "other/"};
    for (int round = 0; round < 200; ++round)
    {
        std::vector<wxString> src, dst;
        const int nSrc = static_cast<int>(random() % 12), nDst = static_cast<int>(random() % 12);
        for (int side = 0; side < 2; ++side)
        {
            std::vector<wxString>& list = side == 0 ? src : dst;
            const wxString base = side == 0 ? "/src/tree" : "/dst";
            for (int i = 0; i < (side == 0 ? nSrc : nDst); ++i)
                list.push_back(base + "/" + wxString::FromUTF8(folders[random() % 5]) +
                               wxString::FromUTF8(names[random() % 7]));
        }
        ASSERT_EQ(Describe(MatchTrees(src, "/src/tree", dst, "/dst")),
                  Describe(NestedLoops(src, "/src/tree", dst, "/dst")))
            << "round " << round;
    }
}

TEST(TreeMatch, ListedTreesOnDisk)
{
    TempDir dir;
    for (const char* f : {"src/a.txt", "src/sub/b.txt", "src/sub/c.txt", "dst/a.txt", "dst/sub/c.txt", "dst/new.txt"})
        dir.WriteFile(wxString::FromUTF8(f), f);
    const auto src = GetAllFiles(dir / "src", AllFilesFilter(), true); // a.txt sub/b.txt sub/c.txt
    const auto dst = GetAllFiles(dir / "dst", AllFilesFilter(), true); // a.txt new.txt sub/c.txt
    ASSERT_EQ(src.size(), 3u);
    ASSERT_EQ(dst.size(), 3u);
    EXPECT_EQ(Describe(MatchTrees(src, dir / "src", dst, dir / "dst")),
              Describe({Pair(0, 0), OnlySrc(1), Pair(2, 2), OnlyDst(1)}));
}
