#include "korbase/files.h"
#include "korverify/treematch.h"

#include <gtest/gtest.h>

#include <random>

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
    const auto same = [&](std::size_t k, std::size_t j) {
        return FilenameAbsoluteToRelative(src[k], srcBase).Cmp(FilenameAbsoluteToRelative(dst[j], dstBase)) == 0;
    };
    std::vector<TreeMatchRow> rows;
    for (std::size_t k = 0; k < src.size() && !dst.empty(); ++k)
    {
        const std::size_t before = rows.size();
        for (std::size_t j = 0; j < dst.size(); ++j)
            if (same(k, j))
                rows.push_back(Pair(k, j));
        if (rows.size() == before)
            rows.push_back(OnlySrc(k));
    }
    for (std::size_t j = 0; j < dst.size() && !src.empty(); ++j)
    {
        bool matched = false;
        for (std::size_t k = 0; k < src.size(); ++k)
            matched = matched || same(k, j);
        if (!matched)
            rows.push_back(OnlyDst(j));
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

TEST(TreeMatch, Cases)
{
    using Rows = std::vector<TreeMatchRow>;
    const struct
    {
        std::vector<const char*> src, dst;
        Rows expected;
    } cases[] = {
        // Source rows in source order, then the destination files nobody matched.
        {{"a.txt", "sub/b.txt", "only-src.txt", "sub/deeper/c.txt"},
         {"extra1.txt", "sub/deeper/c.txt", "a.txt", "extra2.txt", "sub/b.txt"},
         {Pair(0, 2), Pair(1, 4), OnlySrc(2), Pair(3, 1), OnlyDst(0), OnlyDst(3)}},
        {{"x", "y", "z"}, {"x", "y", "z"}, {Pair(0, 0), Pair(1, 1), Pair(2, 2)}},
        // Case matters.
        {{"sub/A.txt", "Sub/b.txt"}, {"sub/a.txt", "sub/b.txt"}, {OnlySrc(0), OnlySrc(1), OnlyDst(0), OnlyDst(1)}},
        {{"one/clip.mov", "two/clip.mov", "clip.mov"},
         {"two/clip.mov", "three/clip.mov", "one/clip.mov"},
         {Pair(0, 2), Pair(1, 0), OnlySrc(2), OnlyDst(1)}},
        // e + combining accent is another name than the precomposed one.
        {{"ünï/cødé.txt", "e\xcc\x81.txt"}, {"\xc3\xa9.txt", "ünï/cødé.txt"}, {Pair(0, 1), OnlySrc(1), OnlyDst(0)}},
        // An empty side gives no rows at all.
        {{"a", "b"}, {}, {}}, {{}, {"a", "b"}, {}},
        // Lists put together by hand may repeat a path; each repeat pairs with each partner.
        {{"a", "b", "a", "c"},
         {"b", "a", "x", "b", "x"},
         {Pair(0, 1), Pair(1, 0), Pair(1, 3), Pair(2, 1), OnlySrc(3), OnlyDst(2), OnlyDst(4)}},
    };
    for (const auto& c : cases)
    {
        const auto src = Under("/s", c.src), dst = Under("/d", c.dst);
        EXPECT_EQ(Describe(MatchTrees(src, "/s", dst, "/d")), Describe(c.expected)) << Describe(c.expected);
        EXPECT_EQ(Describe(MatchTrees(src, "/s/", dst, "/d")), Describe(NestedLoops(src, "/s", dst, "/d")));
    }
}

TEST(TreeMatch, AgreesWithComparingEveryPairOnRandomTrees)
{
    std::mt19937 random(20240611);
    const char* names[] = {"a", "A", "b", "clip.mov", "Clip.mov", "x y", "ü"};
    const char* folders[] = {"", "sub/", "Sub/", "sub/deep/", "other/"};
    for (int round = 0; round < 200; ++round)
    {
        std::vector<wxString> src, dst;
        for (auto* list : {&src, &dst})
        {
            const wxString base = list == &src ? "/src/tree" : "/dst";
            for (int i = static_cast<int>(random() % 12); i > 0; --i)
                list->push_back(base + "/" + wxString::FromUTF8(folders[random() % 5]) +
                                wxString::FromUTF8(names[random() % 7]));
        }
        ASSERT_EQ(Describe(MatchTrees(src, "/src/tree", dst, "/dst")),
                  Describe(NestedLoops(src, "/src/tree", dst, "/dst")))
            << "round " << round;
    }
}
