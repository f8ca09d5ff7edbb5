// The copy layer against `cp -a` (one warm 1 GiB file; a tree of 10,000 files of
// 4 KiB in 100 folders, listed, folders made and copied as the copy worker does), and
// the indexes against filling a hash container with the same keys: matching two trees
// of 100,000 files each (relative paths included) against a std::unordered_map of the
// 100,000 destination relative paths; grouping 100,000 different hashes against a
// std::unordered_set of them.
//
// Every copy goes into a fresh folder, after a sync, ours and cp in turns: on ext4,
// re-creating a tree shortly after deleting one is many times slower, and the disk
// may be shared with other work.

#include "benchcommon.h"

#include "korbase/files.h"
#include "korverify/duplicates.h"
#include "korverify/filecopy.h"
#include "korverify/treematch.h"

#include <wx/filefn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace
{

bool ShellOk(const std::string& command) { return std::system(command.c_str()) == 0; }

// What a copy worker does per file, minus the events: progress arithmetic per chunk.
bool CopyWithProgress(const wxString& source, const wxString& destination)
{
    double lastPercent = 0;
    const FileCopyResult result =
        CopyFileWithProgress(source, destination, [&](std::uint64_t total, std::uint64_t copied) {
            lastPercent = total ? 100.0 * static_cast<double>(copied) / static_cast<double>(total) : 100.0;
            return true;
        });
    if (!result.ok)
        std::fprintf(stderr, "copy failed: %s\n", result.error.utf8_str().data());
    return result.ok && lastPercent == 100.0;
}

// The folder copy as the copy worker runs it: list, recreate each file's folder, copy.
bool CopyTree(const wxString& source, const wxString& destination)
{
    bool ok = true;
    for (const wxString& file : GetAllFiles(source, AllFilesFilter(), true))
    {
        const wxString target = destination + "/" + FilenameAbsoluteToRelative(file, source);
        ok = CreateDirIfNotExists(wxPathOnly(target)) && CopyWithProgress(file, target) && ok;
    }
    return ok;
}

// Medians of `ours` and `reference`, run in turns into a fresh folder after a sync each,
// so that both see the same state of a disk other work may share.
std::pair<double, double> TimeCopies(int runs, std::string& target, const std::function<void()>& ours,
                                     const std::function<void()>& reference)
{
    const auto fresh = [&] {
        target = korbench::FreshDir();
        korbench::Run("sync");
    };
    std::vector<double> oursTimes, referenceTimes;
    for (int i = 0; i < runs; ++i)
    {
        oursTimes.push_back(korbench::MedianSeconds(1, ours, fresh));
        referenceTimes.push_back(korbench::MedianSeconds(1, reference, fresh));
    }
    std::sort(oursTimes.begin(), oursTimes.end());
    std::sort(referenceTimes.begin(), referenceTimes.end());
    return {oursTimes[oursTimes.size() / 2], referenceTimes[referenceTimes.size() / 2]};
}

bool BenchCopies()
{
    bool ok = true;
    const std::string sourceDir = korbench::FreshDir();
    std::string target;

    const std::string big = sourceDir + "/1GiB.bin";
    korbench::Run("head -c 1073741824 /dev/urandom > '" + big + "' && cat '" + big + "' > /dev/null");
    bool copied = true;
    std::string oursTarget; // checked after the timing
    const auto [ours, cp] = TimeCopies(
        5, target,
        [&] {
            oursTarget = target;
            copied = CopyWithProgress(wxString(big), wxString(target + "/copy.bin")) && copied;
        },
        [&] { korbench::Run("cp -a '" + big + "' '" + target + "/copy.bin'"); });
    copied = copied && ShellOk("cmp -s '" + big + "' '" + oursTarget + "/copy.bin'");
    ok &= korbench::Report("copy_1GiB_vs_cp", ours, cp, 1.2) && copied;

    const std::string tree = sourceDir + "/tree";
    korbench::Run("mkdir '" + tree + "' && cd '" + tree + "' && for d in $(seq -w 1 100); do mkdir d$d && " +
                  "for f in $(seq -w 1 100); do head -c 4096 /dev/urandom > d$d/f$f.bin; done; done && " +
                  "cat */* > /dev/null");
    const auto [oursTree, cpTree] = TimeCopies(
        5, target,
        [&] {
            oursTarget = target;
            copied = CopyTree(wxString(tree), wxString(target + "/tree")) && copied;
        },
        [&] { korbench::Run("cp -a '" + tree + "' '" + target + "/tree'"); });
    copied = copied && ShellOk("diff -r '" + tree + "' '" + oursTarget + "/tree'");
    ok &= korbench::Report("copy_tree_10000x4KiB_vs_cp", oursTree, cpTree, 3) && copied;
    if (!copied)
        std::printf("copy_check FAIL: a copy differs from its source\n");
    return ok;
}

bool BenchIndexes()
{
    constexpr int kEntries = 100000;
    bool ok = true;

    // Two trees of 100,000 files, 90% of the relative paths shared.
    std::vector<wxString> src, dst, dstKeys;
    for (int i = 0; i < kEntries; ++i)
    {
        const wxString rel = wxString::Format("folder%03d/clip_%06d.mov", i % 500, i);
        src.push_back("/media/card/DCIM/" + rel);
        const wxString relDst = i % 10 == 0 ? wxString::Format("other%03d/take_%06d.mov", i % 500, i) : rel;
        dst.push_back("/srv/backup/import-2024/" + relDst);
        dstKeys.push_back(relDst);
    }
    std::size_t rows = 0;
    const double match = korbench::MedianSeconds(
        5, [&] { rows = MatchTrees(src, "/media/card/DCIM", dst, "/srv/backup/import-2024").size(); });
    const double fill = korbench::MedianSeconds(5, [&] {
        std::unordered_map<wxString, std::size_t> index;
        for (std::size_t j = 0; j < dstKeys.size(); ++j)
            index.emplace(dstKeys[j], j);
        if (index.size() != dstKeys.size())
            std::abort();
    });
    ok &= korbench::Report("match_trees_100000_vs_unordered_map", match, fill, 5) && rows == kEntries * 11 / 10;

    // 100,000 different hashes: nothing to remove.
    std::vector<wxString> hashes, paths;
    for (int i = 0; i < kEntries; ++i)
    {
        wxString hash;
        for (int part = 0; part < 8; ++part)
            hash += wxString::Format("%08x", static_cast<unsigned>((i + 1) * 2654435761u * (part + 1)));
        hashes.push_back(hash);
        paths.push_back(wxString::Format("/srv/backup/import-2024/folder%03d/clip_%06d.mov", i % 500, i));
    }
    std::size_t found = 1;
    const double group =
        korbench::MedianSeconds(5, [&] { found = FindDuplicateRows(hashes, paths).size(); });
    const double set = korbench::MedianSeconds(5, [&] {
        std::unordered_set<wxString> index;
        for (const wxString& h : hashes)
            index.insert(h);
        if (index.size() != hashes.size())
            std::abort();
    });
    ok &= korbench::Report("duplicates_100000_vs_unordered_set", group, set, 5) && found == 0;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    korbench::WxSession wx(argc, argv);
    const bool indexes = BenchIndexes();
    const bool copies = BenchCopies();
    return indexes && copies ? 0 : 1;
}
