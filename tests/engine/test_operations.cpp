// The engine's operations on real trees, without windows: listing with its problems,
// hashing, copying with verification, comparing, and Stop from another thread.

#include "harness/helpers.h"

#include "korverify/copydestination.h"
#include "korverify/hashlist.h"
#include "korverify/listing.h"
#include "korverify/orderedwork.h"
#include "korverify/treecompare.h"
#include "korverify/treecopy.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <random>
#include <set>
#include <thread>

using namespace kortest;

namespace
{

// Records what an operation reports: one line per call, and the outcome per file.
struct Recorder : OperationObserver
{
    std::vector<std::string> calls;
    std::map<wxString, FileOutcome> outcomes; // by source, else destination
    std::function<void(const FileTask&)> onFileEnd;

    void FileBegins(const FileTask& t) override { calls.push_back("begin " + std::to_string(t.index)); }
    void HashBegins(const FileTask&, FileSide s, std::uint64_t) override { calls.push_back(Side("hash", s)); }
    void Hashed(const FileTask&, FileSide s, const wxString&) override { calls.push_back(Side("hashed", s)); }
    void Copied(const FileTask&, const FileCopyResult& r) override { calls.push_back(r.ok ? "copied" : "failed"); }
    void ProblemFound(const ListingProblem&, FileSide s) override { calls.push_back(Side("problem", s)); }
    void FileEnds(const FileTask& t, const FileOutcome& o) override
    {
        calls.push_back("end");
        outcomes[t.source.empty() ? t.destination : t.source] = o;
        if (onFileEnd)
            onFileEnd(t);
    }
    static std::string Side(const char* what, FileSide s)
    {
        return std::string(what) + (s == FileSide::Source ? " src" : " dst");
    }
};

// A tree of a few files in sub-folders, with content that differs per file.
std::vector<wxString> MakeTree(const TempDir& dir, const wxString& root)
{
    std::vector<wxString> files;
    for (int i = 0; i < 12; ++i)
        files.push_back(dir.WriteFile(wxString::Format("%s/d%d/f%02d.bin", root, i % 3, i),
                                      std::string(1000 * i + 1, static_cast<char>('a' + i))));
    return GetAllFiles(dir / root, AllFilesFilter(), true);
}

// Bytes this process has read so far (its threads included), from the cache or not.
std::uint64_t BytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value && key != "rchar:")
        ;
    return value;
}

std::string Reasons(const std::vector<ListingProblem>& problems, const wxString& base)
{
    std::string text;
    for (const ListingProblem& p : problems)
        text += FilenameAbsoluteToRelative(p.path, base).utf8_string() + ": " + p.reason.utf8_string() + "\n";
    return text;
}

} // namespace

TEST(Listing, ReportsEverythingItDoesNotList)
{
    TempDir dir;
    dir.WriteFile("t/a.txt", "a");
    dir.WriteFile("elsewhere/target.txt", "t");
    ASSERT_EQ(mkfifo((dir / "t/pipe").fn_str(), 0600), 0);
    ASSERT_EQ(symlink((dir / "elsewhere").fn_str(), (dir / "t/dirlink").fn_str()), 0);
    ASSERT_EQ(symlink((dir / "elsewhere/target.txt").fn_str(), (dir / "t/filelink").fn_str()), 0);
    dir.MakeDir("t/sub");
    ASSERT_EQ(symlink((dir / "nowhere").fn_str(), (dir / "t/sub/dangling").fn_str()), 0);
    std::ofstream(std::string((dir / "t").fn_str()) + "/bad\xff-name.txt") << "x";
    std::string expected = "dirlink: Symbolic link to a folder, not followed\n"
                           "pipe: Skipped: a FIFO (named pipe)\n"
                           "sub/dangling: Broken symbolic link: No such file or directory\n";
    if (geteuid() != 0) // root opens any folder
    {
        dir.WriteFile("t/zlocked/inside.txt", "x");
        chmod((dir / "t/zlocked").fn_str(), 0);
        expected += "zlocked: Cannot open the folder: Permission denied\n";
    }
    const FolderListing listing = ListFolder(dir / "t", true);
    EXPECT_EQ(Reasons(listing.problems, dir / "t"), expected);
    // A name that is no valid UTF-8 still round-trips here, so it is listed.
    ASSERT_EQ(listing.files.size(), 3u);
    EXPECT_EQ(listing.files[0], dir / "t/a.txt");
    EXPECT_EQ(std::string(listing.files[1].fn_str()), std::string((dir / "t").fn_str()) + "/bad\xff-name.txt");
    EXPECT_EQ(listing.files[2], dir / "t/filelink");
    EXPECT_EQ(GetAllFiles(dir / "t", AllFilesFilter(), true), listing.files);
    EXPECT_TRUE(ListFolder(dir / "missing", true).problems.empty());
    // Not recursive: the sub-folder's dangling link is not looked at.
    EXPECT_EQ(ListFolder(dir / "t", false).problems.size(), 2u);
}

TEST(Operations, HashesAgreeWithCoreutilsAndAVanishedFileFails)
{
    TempDir dir;
    std::vector<wxString> files = MakeTree(dir, "src");
    files.push_back(dir / "src/vanished.bin");
    const struct { HashAlgorithm algorithm; const char* tool; FileSide side; } cases[] = {
        {HASH_MD5, "md5sum", FileSide::Source}, {HASH_SHA1, "sha1sum", FileSide::Destination},
        {HASH_SHA256, "sha256sum", FileSide::Source}, {HASH_SHA512, "sha512sum", FileSide::Destination}};
    for (const auto& c : cases)
    {
        Recorder recorder;
        const OperationSummary summary =
            HashFiles({files, c.algorithm, c.side, {{dir / "src/pipe", "Skipped: a FIFO (named pipe)"}}}, recorder, {});
        const auto hashOf = [&](const wxString& f) {
            return (c.side == FileSide::Source ? recorder.outcomes[f].sourceHash : recorder.outcomes[f].destinationHash)
                .utf8_string();
        };
        for (std::size_t i = 0; i + 1 < files.size(); ++i)
            EXPECT_EQ(hashOf(files[i]), CoreutilsHash(c.tool, files[i])) << c.tool;
        EXPECT_TRUE(KcvIsHashError(hashOf(files.back())));
        EXPECT_EQ(summary.files, files.size());
        EXPECT_EQ(summary.succeeded, files.size() - 1);
        ASSERT_EQ(summary.failures.size(), 1u);
        EXPECT_EQ(summary.failures[0].path, files.back());
        EXPECT_EQ(recorder.calls.back(), Recorder::Side("problem", c.side));
    }
}

TEST(Operations, CopyAndVerifyReadsEachSourceOnceAndClearsLeftovers)
{
    TempDir dir;
    Shell("head -c " + std::to_string(kVerifyWhileCopyingMinBytes + 4097) + " /dev/urandom > " +
          ShellQuote(dir.MakeDir("src/d1") + "/big.bin")); // verified while it is copied
    std::vector<wxString> files = MakeTree(dir, "src");
    files.insert(files.begin() + 3, dir / "src/d0/vanished.bin"); // listed, then gone
    std::uint64_t bytes = 0;
    for (const wxString& file : files)
        bytes += FileSizeOf(file);
    dir.WriteFile("dst/d1/.korcopy-Ab12Cd", "left by a killed copy");
    Recorder recorder;
    const std::uint64_t readBefore = BytesRead();
    const OperationSummary summary = CopyTreeAndVerify(
        {files, dir / "src", dir / "dst", true, {{dir / "src/pipe", "Skipped: a FIFO (named pipe)"}}}, HASH_MD5,
        recorder, {});
    // Each source once (by its copy), each copy once (from the storage): not the sources twice.
    const std::uint64_t read = BytesRead() - readBefore;
    EXPECT_TRUE(read >= 2 * bytes && read < 2 * bytes + bytes / 4) << read << " bytes read for " << bytes;
    EXPECT_EQ(summary.leftoversRemoved, std::vector<wxString>{dir / "dst/d1/.korcopy-Ab12Cd"});
    EXPECT_EQ(summary.files, files.size());
    EXPECT_EQ(summary.succeeded, files.size() - 1);
    ASSERT_EQ(summary.failures.size(), 1u);
    EXPECT_EQ(summary.failures[0].path, dir / "src/d0/vanished.bin");
    EXPECT_FALSE(recorder.outcomes[files[3]].match); // an unreadable file is never "Ok"
    for (const wxString& file : files)
        if (file != files[3])
        {
            EXPECT_EQ(recorder.outcomes[file].sourceHash.utf8_string(), CoreutilsHash("md5sum", file));
            EXPECT_TRUE(recorder.outcomes[file].match);
        }
    EXPECT_EQ(Shell("diff -r " + ShellQuote(dir / "src") + " " + ShellQuote(dir / "dst") + " && echo same"), "same");
    EXPECT_EQ(Shell("cd " + ShellQuote(dir / "dst") + " && find . -name '.korcopy-*' | wc -l"), "0");
    // All calls of a file before those of the next; "hash src" only for the big file.
    std::vector<std::string> calls = recorder.calls, expected;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "hash src"), 1);
    calls.erase(std::remove(calls.begin(), calls.end(), "hash src"), calls.end());
    for (std::size_t i = 0; i < files.size(); ++i)
        if (i == 3)
            expected.insert(expected.end(), {"begin 3", "hashed src", "failed", "end"});
        else
            expected.insert(expected.end(), {"begin " + std::to_string(i), "hashed src", "copied", "hash dst",
                                             "hashed dst", "end"});
    expected.push_back("problem src");
    EXPECT_EQ(calls, expected);

    // A destination with a file of its own is refused, and nothing in it changes.
    dir.WriteFile("full/mine.txt", "mine");
    dir.WriteFile("full/.korcopy-Zz99Yy", "x");
    const OperationSummary refused = CopyTree({files, dir / "src", dir / "full", true, {}}, recorder, {});
    EXPECT_TRUE(refused.refused);
    EXPECT_EQ(refused.files, 0u);
    EXPECT_EQ(Shell("ls -A " + ShellQuote(dir / "full") + " | tr '\\n' ' '"), ".korcopy-Zz99Yy mine.txt ");
}

TEST(Operations, CompareFindsTheCorruptedCopyAndOneSidedFiles)
{
    TempDir dir;
    const std::vector<wxString> src = MakeTree(dir, "src");
    Recorder copier;
    ASSERT_TRUE(CopyTree({src, dir / "src", dir / "dst", true, {}}, copier, {}).AllGood());
    // Same size, one byte changed; one file only on each side.
    Shell("printf 'X' | dd of=" + ShellQuote(dir / "dst/d2/f05.bin") + " bs=1 seek=100 conv=notrunc 2>/dev/null");
    dir.WriteFile("src/only-src.bin", "s");
    dir.WriteFile("dst/d0/only-dst.bin", "d");
    const FolderListing s = ListFolder(dir / "src", true), d = ListFolder(dir / "dst", true);
    Recorder recorder;
    const OperationSummary summary = CompareListedTrees(
        {s.files, s.folder, d.files, d.folder, {}, {{dir / "dst/x", "Cannot open the folder: Permission denied"}}},
        HASH_MD5, recorder, {});
    EXPECT_EQ(summary.files, src.size() + 2);
    EXPECT_EQ(summary.succeeded, src.size() - 1);
    std::map<wxString, wxString> failed;
    for (const FileFailure& f : summary.failures)
        failed[f.path] = f.reason;
    EXPECT_EQ(failed, (std::map<wxString, wxString>{{dir / "src/d2/f05.bin", "Hashes differ"},
                                                    {dir / "src/only-src.bin", "Only in the source"},
                                                    {dir / "dst/d0/only-dst.bin", "Only in the destination"}}));
    EXPECT_FALSE(recorder.outcomes[dir / "src/d2/f05.bin"].match);
    EXPECT_EQ(recorder.outcomes[dir / "src/d2/f05.bin"].destinationHash.utf8_string(),
              CoreutilsHash("md5sum", dir / "dst/d2/f05.bin"));
    EXPECT_EQ(recorder.calls.back(), "problem dst");
}

TEST(Operations, StopFromAnotherThreadActsBetweenFiles)
{
    TempDir dir;
    const std::vector<wxString> src = MakeTree(dir, "src");
    // More than two batches of the verified copy, whose files end a batch later.
    Shell("mkdir " + ShellQuote(dir / "many") + " && cd " + ShellQuote(dir / "many") + " && for i in $(seq " +
          std::to_string(2 * kVerifyBatchFiles + 3) + "); do echo $i > f$i; done");
    const std::vector<wxString> many = GetAllFiles(dir / "many", AllFilesFilter(), true);
    for (int operation = 0; operation < 4; ++operation)
    {
        StopToken stop;
        std::promise<void> reached, requested;
        std::shared_future<void> go = requested.get_future().share();
        Recorder recorder;
        recorder.onFileEnd = [&](const FileTask& t) {
            if (t.index != 1)
                return;
            reached.set_value();
            go.wait(); // the next file must not begin before the stop is seen
        };
        std::thread asker([&] {
            reached.get_future().wait();
            stop.Request();
            requested.set_value();
        });
        const wxString target = dir / wxString::Format("dst%d", operation);
        const OperationSummary summary =
            operation == 0   ? HashFiles({src, HASH_MD5, FileSide::Source, {}}, recorder, stop)
            : operation == 1 ? CopyTree({src, dir / "src", target, true, {{"p", "r"}}}, recorder, stop)
            : operation == 2 ? CompareListedTrees({src, dir / "src", src, dir / "src", {}, {}}, HASH_MD5, recorder, stop)
                             : CopyTreeAndVerify({many, dir / "many", target, true, {}}, HASH_XXH3, recorder, stop);
        asker.join();
        EXPECT_TRUE(summary.stopped) << operation;
        EXPECT_EQ(summary.files, operation == 3 ? 2 * kVerifyBatchFiles : 2u) << operation;
        EXPECT_TRUE(summary.sourceProblems.empty()) << operation; // not reported after a stop
        if (operation % 2 == 1)
        {
            // Every file copied has its row, and is whole under its final name.
            EXPECT_EQ(recorder.outcomes.size(), summary.files);
            EXPECT_EQ(Shell("find " + ShellQuote(target) + " -type f | wc -l"), std::to_string(summary.files));
            EXPECT_EQ(Shell("find " + ShellQuote(target) + " -name '.korcopy-*' | wc -l"), "0");
            for (const auto& [file, outcome] : recorder.outcomes)
                EXPECT_TRUE(outcome.copy.ok && (operation == 1 || outcome.match)) << file;
        }
    }
}

namespace
{

std::size_t ThreadsOfThisProcess()
{
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

// `count` files of random sizes up to 300 KiB (some empty) in three folders, listed.
std::vector<wxString> MakeMixedTree(const TempDir& dir, const wxString& root, int count)
{
    std::mt19937 random(7);
    for (int i = 0; i < count; ++i)
    {
        std::string bytes(i % 9 == 0 ? 0 : random() % (300 * 1024), '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        dir.WriteFile(wxString::Format("%s/d%d/f%03d.bin", root, i % 3, i), bytes);
    }
    return GetAllFiles(dir / root, AllFilesFilter(), true);
}

} // namespace

TEST(OrderedWork, BothThreadsWorkAheadAndEachItemReachesTheTakerInOrder)
{
    constexpr std::size_t n = 500;
    std::array<std::pair<std::size_t, std::thread::id>, OrderedWork::WINDOW> slots;
    std::vector<std::atomic<int>> calls(n);
    std::set<std::thread::id> workers;
    OrderedWork work(n, [&](std::size_t i) {
        ++calls[i];
        if (i % 7 == 3)
            return false; // left to the taker
        slots[i % OrderedWork::WINDOW] = {i, std::this_thread::get_id()};
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        return true;
    });
    for (std::size_t i = 0; i < n; ++i)
    {
        if (work.Take(i))
        {
            EXPECT_NE(i % 7, 3u);
            EXPECT_EQ(slots[i % OrderedWork::WINDOW].first, i);
            workers.insert(slots[i % OrderedWork::WINDOW].second);
        }
        else // the taker does it now
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    EXPECT_EQ(workers.size(), 2u); // the helper and the taker both worked ahead
    for (const std::atomic<int>& c : calls)
        EXPECT_LE(c, 1); // never an item twice
}

TEST(Operations, TwoThreadHashingReportsEveryFileInListingOrder)
{
    TempDir dir;
    const std::vector<wxString> files = MakeMixedTree(dir, "src", 300);
    const std::string sums = Shell("cd " + ShellQuote(dir / "src") + " && find . -type f -print0 | xargs -0 md5sum");
    for (FileSide side : {FileSide::Source, FileSide::Destination})
    {
        Recorder recorder;
        const OperationSummary summary = HashFiles({files, HASH_MD5, side, {}}, recorder, {});
        EXPECT_TRUE(summary.AllGood());
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < files.size(); ++i)
        {
            expected.insert(expected.end(), {"begin " + std::to_string(i), Recorder::Side("hash", side),
                                             Recorder::Side("hashed", side), "end"});
            const FileOutcome& o = recorder.outcomes[files[i]];
            const std::string line = (side == FileSide::Source ? o.sourceHash : o.destinationHash).utf8_string() +
                                     "  ./" + FilenameAbsoluteToRelative(files[i], dir / "src").utf8_string();
            EXPECT_NE(sums.find(line), std::string::npos) << line;
        }
        EXPECT_EQ(recorder.calls, expected);
    }
}

TEST(Operations, StopDuringTwoThreadRunsEndsAfterTheCurrentFileWithNoThreadLeft)
{
    TempDir dir;
    const std::vector<wxString> files = MakeMixedTree(dir, "src", 200);
    // A sanitizer's runtime starts a thread of its own with the first thread created.
    std::thread([] {}).join();
    const std::size_t threadsBefore = ThreadsOfThisProcess();
    for (int operation = 0; operation < 3; ++operation)
    {
        StopToken stop;
        Recorder recorder;
        recorder.onFileEnd = [&](const FileTask& t) {
            if (t.index == 40)
                stop.Request();
        };
        const OperationSummary summary =
            operation == 2 ? CompareListedTrees({files, dir / "src", files, dir / "src", {}, {}}, HASH_SHA1, recorder, stop)
                           : HashFiles({files, HASH_SHA1, operation == 0 ? FileSide::Source : FileSide::Destination, {}},
                                       recorder, stop);
        EXPECT_TRUE(summary.stopped) << operation;
        EXPECT_EQ(recorder.outcomes.size(), 41u) << operation;
        EXPECT_EQ(recorder.calls.back(), "end") << operation; // nothing came after the stopped file
        EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore) << operation;
    }
}

TEST(Operations, BigPairIsComparedWithBothSidesHashedTogether)
{
    TempDir dir;
    // Sparse, with random bytes around the middle, just over the size hashed ahead.
    const wxString big = dir.WriteFile("src/big.bin", "");
    Shell("cd " + ShellQuote(dir.Path()) + " && mkdir same damaged && truncate -s 200100000 src/big.bin && " +
          "head -c 1000000 /dev/urandom | dd of=src/big.bin bs=1M seek=100 conv=notrunc 2>/dev/null && " +
          "cp --sparse=always src/big.bin same/ && cp --sparse=always src/big.bin damaged/ && " +
          "printf X | dd of=damaged/big.bin bs=1 seek=105000000 conv=notrunc 2>/dev/null");
    for (const char* destination : {"same", "damaged"})
    {
        const wxString copy = dir / destination + "/big.bin";
        Recorder recorder;
        CompareListedTrees({{big}, dir / "src", {copy}, dir / destination, {}, {}}, HASH_MD5, recorder, {});
        EXPECT_EQ(recorder.calls,
                  (std::vector<std::string>{"begin 0", "hash src", "hash dst", "hashed src", "hashed dst", "end"}));
        const FileOutcome& o = recorder.outcomes[big];
        EXPECT_EQ(o.sourceHash.utf8_string(), CoreutilsHash("md5sum", big));
        EXPECT_EQ(o.destinationHash.utf8_string(), CoreutilsHash("md5sum", copy));
        EXPECT_EQ(o.match, std::string(destination) == "same");
    }
}
