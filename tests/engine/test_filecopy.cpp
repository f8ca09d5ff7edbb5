// The file copy, checked with cmp, stat and ls rather than with the code that copied.

#include "harness/helpers.h"

#include "korverify/copytaps.h"
#include "korverify/filecopy.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <functional>
#include <vector>

using namespace kortest;

namespace
{

bool SameBytes(const wxString& a, const wxString& b)
{
    return Shell("cmp -s -- " + ShellQuote(a) + " " + ShellQuote(b) + " && echo same") == "same";
}

// Modification time with nanoseconds, permission bits, file type and size, as stat(1) prints them.
std::string StatLine(const wxString& path)
{
    return Shell("stat -c '%y %a %F %s' -- " + ShellQuote(path));
}

// Names in a folder, hidden ones included: a failed copy must leave nothing behind.
std::string Listing(const wxString& folder)
{
    return Shell("ls -A -- " + ShellQuote(folder) + " | tr '\\n' ' '");
}

wxString RandomFile(const TempDir& dir, const wxString& name, std::uint64_t bytes)
{
    Shell("head -c " + std::to_string(bytes) + " /dev/urandom > " + ShellQuote(dir / name));
    return dir / name;
}

// Records the progress calls; checks that they start at 0, never fall and end at total.
struct ProgressLog
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    CopyProgressCallback Recorder()
    {
        return [this](std::uint64_t total, std::uint64_t copied) { return calls.emplace_back(total, copied), true; };
    }
    void ExpectComplete(std::uint64_t total) const
    {
        ASSERT_FALSE(calls.empty());
        EXPECT_TRUE(calls.front().second == 0 && calls.back().second == total);
        for (std::size_t i = 0; i < calls.size(); ++i)
            EXPECT_TRUE(calls[i].first == total && (i == 0 || calls[i].second >= calls[i - 1].second)) << "call " << i;
    }
};

// A copy in a child process under a file size limit of 1 MiB, which makes writes fail
// (EFBIG) for root as well; its error text.
std::string CopyLimitedTo1MiB(const wxString& source, const wxString& target)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "no pipe";
    const pid_t pid = fork();
    if (pid == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024 * 1024, 1024 * 1024};
        const std::string error = setrlimit(RLIMIT_FSIZE, &limit) != 0 ? std::string("no limit")
                                                                       : CopyFileWithProgress(source, target).error.utf8_string();
        _exit(write(fds[1], error.data(), error.size()) == static_cast<ssize_t>(error.size()) ? 0 : 1);
    }
    close(fds[1]);
    std::string error;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        error.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return error;
}

} // namespace

TEST(FileCopy, CopiesBytesTimeAndPermissionsWithProgress)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");
    const wxString big = RandomFile(dir, "big.bin", 5 * kCopyChunkBytes / 2 + 7); // several chunks
    const wxString text = dir.WriteFile(wxString::FromUTF8("ünï cødé's.txt"), "hello\n");
    const wxString script = dir.WriteFile("run.sh", "#!/bin/sh\necho hi\n");
    const wxString empty = dir.WriteFile("empty", "");
    dir.WriteFile("out/run.sh", std::string(100000, 'x')); // replaced, though longer than the new content
    Shell("touch -m -d '2001-02-03 04:05:06.123456789' " + ShellQuote(big) + " && touch -m -d '1999-12-31 23:59:59.5' " +
          ShellQuote(text) + " " + ShellQuote(script) + " && chmod 0640 " + ShellQuote(big) + " && chmod 0444 " +
          ShellQuote(text) + " " + ShellQuote(out + "/run.sh") + " && chmod 0751 " + ShellQuote(script));
    for (const wxString& source : {big, text, script, empty})
    {
        const wxString target = out + "/" + wxFileName(source).GetFullName();
        ProgressLog log;
        const FileCopyResult result = CopyFileWithProgress(source, target, log.Recorder());
        ASSERT_TRUE(result.ok && result.error.empty()) << result.error.utf8_string();
        EXPECT_TRUE(SameBytes(source, target)) << target.utf8_string();
        EXPECT_EQ(StatLine(target), StatLine(source)) << target.utf8_string();
        const std::uint64_t size = wxFileName::GetSize(source).GetValue();
        log.ExpectComplete(size);
        EXPECT_EQ(log.calls.size(), 1 + (size + kCopyChunkBytes - 1) / kCopyChunkBytes); // the start, then each chunk
    }
    EXPECT_EQ(Listing(out), "big.bin empty run.sh " + std::string(wxString::FromUTF8("ünï cødé's.txt ").fn_str()));
}

// A tap that checks what it is handed: every byte in order, a hole only once the file covers it.
struct CheckingTap : HashingTap
{
    CheckingTap() : HashingTap(HASH_XXH3) {}
    void Written(int fd, std::uint64_t offset, const unsigned char* data, std::size_t size) override
    {
        struct stat info;
        EXPECT_TRUE(offset == seen && fstat(fd, &info) == 0 && std::uint64_t(info.st_size) >= offset + size) << offset;
        seen = offset + size;
        HashingTap::Written(fd, offset, data, size);
    }
    std::uint64_t seen = 0;
};

TEST(FileCopy, SparseFileOver4GiBWithAndWithoutATap)
{
    TempDir dir;
    const wxString source = dir / "sparse.bin", target = dir / "copy.bin";
    const std::uint64_t size = (std::uint64_t(1) << 32) + 100 * 1000 * 1000;
    const std::string dd = " | dd of=" + ShellQuote(source) + " conv=notrunc status=none ";
    Shell("truncate -s " + std::to_string(size) + " " + ShellQuote(source) + " && printf 'first bytes'" + dd +
          "&& printf 'across the 4 GiB line'" + dd + "bs=1 seek=4294967290 && head -c 3000000 /dev/urandom" + dd +
          "bs=1000 seek=4300000 && printf 'last'" + dd + "bs=1 seek=" + std::to_string(size - 4));
    // The tap sees the holes as zeros, and a hole at the end too.
    Shell("truncate -s " + std::to_string(size + 5000000) + " " + ShellQuote(source));
    for (const bool tapped : {false, true})
    {
        ProgressLog log;
        CheckingTap tap;
        const FileCopyResult result = CopyFileWithProgress(source, target, log.Recorder(), nullptr, tapped ? &tap : nullptr);
        ASSERT_TRUE(result.ok) << result.error.utf8_string();
        EXPECT_EQ(Shell("stat -c %s " + ShellQuote(target)), std::to_string(size + 5000000));
        // Every written piece arrived (cmp of the whole would read gigabytes of holes).
        for (std::uint64_t at : {std::uint64_t(0), std::uint64_t(4294000000), std::uint64_t(4299000000), size - 4000000})
        {
            const std::string piece = " iflag=skip_bytes,count_bytes bs=1M skip=" + std::to_string(at) + " count=4000000 status=none | md5sum";
            EXPECT_EQ(Shell("dd if=" + ShellQuote(source) + piece), Shell("dd if=" + ShellQuote(target) + piece)) << at;
        }
        log.ExpectComplete(size + 5000000);
        // The holes stayed holes: far less than the size is allocated.
        EXPECT_LT(std::stoull(Shell("stat -c %b " + ShellQuote(target))) * 512, std::uint64_t(64) << 20);
        if (tapped)
        {
            EXPECT_EQ(tap.seen, size + 5000000);
            EXPECT_EQ(tap.Finish().utf8_string(), Shell("xxhsum -H3 " + ShellQuote(source) + " | awk '{print $NF}'"));
        }
    }
}

TEST(FileCopy, AcrossFileSystemsAndOnWriteFailure)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out"), old = dir.WriteFile("out/old.bin", "previous content");
    std::vector<wxString> sources = {RandomFile(dir, "src.bin", 2 * kCopyChunkBytes + 99)};
    // /dev/shm is another file system, where the kernel copy refuses (EXDEV) and plain reads and writes take over.
    const wxString shm = Shell("mktemp -p /dev/shm korgui-copy-XXXXXX 2>/dev/null");
    if (!shm.empty() && Shell("stat -c %d /dev/shm " + ShellQuote(dir.Path()) + " | uniq | wc -l") == "2")
        sources.push_back(shm);
    Shell("cp " + ShellQuote(sources[0]) + " " + ShellQuote(sources.back()) + " 2>/dev/null");
    for (const wxString& source : sources)
    {
        ProgressLog log;
        const FileCopyResult result = CopyFileWithProgress(source, dir / "copy", log.Recorder());
        ASSERT_TRUE(result.ok) << result.error.utf8_string();
        EXPECT_TRUE(SameBytes(source, dir / "copy"));
        EXPECT_EQ(StatLine(dir / "copy"), StatLine(source));
        log.ExpectComplete(2 * kCopyChunkBytes + 99);
        for (const wxString& target : {out + "/new.bin", old}) // a free name, or over a file
            EXPECT_EQ(CopyLimitedTo1MiB(source, target), "Cannot write the copy: File too large");
        EXPECT_EQ(Listing(out), "old.bin ");
        EXPECT_EQ(ReadFileBytes(old), "previous content");
    }
    EXPECT_EQ(sources.size(), 2u) << "no second file system at /dev/shm: plain reads and writes went untested";
    wxRemoveFile(shm);
}

TEST(FileCopy, CancelFromTheCallbackLeavesNoFile)
{
    TempDir dir;
    const wxString source = RandomFile(dir, "src.bin", 3 * kCopyChunkBytes);
    const wxString out = dir.MakeDir("out"), old = dir.WriteFile("out/old.bin", "previous content");
    ProgressLog log;
    const FileCopyResult result = CopyFileWithProgress(source, out + "/copy.bin", [&](std::uint64_t t, std::uint64_t c) {
        return log.Recorder()(t, c) && c < kCopyChunkBytes; // stops after the first chunk
    });
    EXPECT_TRUE(!result.ok && result.cancelled && !result.error.empty());
    EXPECT_EQ(log.calls.size(), 2u);
    EXPECT_TRUE(CopyFileWithProgress(source, old, [](std::uint64_t, std::uint64_t) { return false; }).cancelled);
    EXPECT_EQ(ReadFileBytes(old), "previous content");
    EXPECT_EQ(Listing(out), "old.bin ");
}

TEST(FileCopy, SourceOrDestinationProblemsAreReportedAndLeaveNoFile)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out"), source = dir.WriteFile("src.txt", "content");
    Shell("ln -s loop2 " + ShellQuote(dir / "loop1") + " && ln -s loop1 " + ShellQuote(dir / "loop2"));
    dir.WriteFile("out/in the way/inside", "keep");
    const std::vector<std::vector<wxString>> cases = {
        {dir / "missing.txt", out + "/copy", "Cannot open the source file: No such file or directory"},
        {dir.MakeDir("a folder"), out + "/copy", "The source is not a regular file"},
        {dir / "loop1", out + "/copy", "Cannot open the source file: Too many levels of symbolic links"},
        {source, dir / "no such folder/copy", "Cannot create a file in the destination folder: No such file or directory"},
        {source, out + "/in the way", "Cannot replace the destination file: Is a directory"}};
    for (const auto& c : cases)
    {
        const FileCopyResult result = CopyFileWithProgress(c[0], c[1]);
        EXPECT_TRUE(!result.ok && !result.cancelled);
        EXPECT_EQ(result.error, c[2]);
    }
    EXPECT_EQ(Listing(out), "in the way ");
    EXPECT_EQ(ReadFileBytes(out + "/in the way/inside"), "keep");
}

TEST(FileCopy, SourceThatVanishesOrChangesMidCopyFails)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");
    const std::pair<std::function<void(const wxString&)>, const char*> cases[] = {
        {[](const wxString& f) { unlink(f.fn_str()); }, "The source file was removed while it was being copied"},
        {[](const wxString& f) { EXPECT_EQ(truncate(f.fn_str(), kCopyChunkBytes / 2), 0); },
         "The source file changed while it was being copied"},
        {[](const wxString& f) { Shell("printf X | dd of=" + ShellQuote(f) + " conv=notrunc status=none"); },
         "The source file changed while it was being copied"}};
    for (const auto& [change, reason] : cases)
    {
        const wxString source = RandomFile(dir, "source", 3 * kCopyChunkBytes);
        Shell("touch -m -d '2001-01-01' " + ShellQuote(source)); // a rewrite changes the time
        const FileCopyResult result = CopyFileWithProgress(source, out + "/copy", [&](std::uint64_t, std::uint64_t copied) {
            if (copied == kCopyChunkBytes)
                change(source);
            return true;
        });
        EXPECT_TRUE(!result.ok && !result.cancelled);
        EXPECT_EQ(result.error.utf8_string(), reason);
    }
    EXPECT_EQ(Listing(out), "");
}

TEST(FileCopy, SymlinkAtTheDestinationIsReplacedNotFollowed)
{
    TempDir dir;
    const wxString source = dir.WriteFile("src.txt", "new content"), victim = dir.WriteFile("victim.txt", "must stay");
    const wxString target = dir.MakeDir("out") + "/copy.txt", dangling = dir / "out/dangling.txt";
    ASSERT_EQ(symlink(victim.fn_str(), target.fn_str()), 0);
    ASSERT_EQ(symlink((dir / "nowhere.txt").fn_str(), dangling.fn_str()), 0);
    for (const wxString& link : {target, dangling})
    {
        ASSERT_TRUE(CopyFileWithProgress(source, link).ok);
        EXPECT_EQ(Shell("stat -c %F " + ShellQuote(link)), "regular file");
        EXPECT_TRUE(SameBytes(source, link));
    }
    EXPECT_EQ(ReadFileBytes(victim), "must stay");
    EXPECT_FALSE(wxFileName::Exists(dir / "nowhere.txt"));
}

TEST(FileCopy, KilledMidCopyLeavesNoFileUnderItsFinalName)
{
    TempDir dir;
    const wxString source = RandomFile(dir, "big.bin", 6 * kCopyChunkBytes);
    const wxString out = dir.MakeDir("out");
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0)
    {
        // Slowly, telling the parent after each chunk.
        CopyFileWithProgress(source, out + "/big.bin", [&](std::uint64_t, std::uint64_t copied) {
            return (copied == 0 || write(fds[1], "x", 1) == 1) && usleep(200000) == 0;
        });
        _exit(0);
    }
    close(fds[1]);
    char byte;
    ASSERT_EQ(read(fds[0], &byte, 1), 1) << "the child copied nothing";
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    const wxString left = wxString(Listing(out)).Trim();
    EXPECT_TRUE(IsLeftoverCopyName(left)) << left << ": a leftover is all there is";
    for (const char* name : {".korcopy-", ".korcopy-abc", ".korcopy-abc/ef", "korcopy-abcdef", "big.bin"})
        EXPECT_FALSE(IsLeftoverCopyName(name)) << name;
}

TEST(FileCopy, DeferredCopiesGetTheirNamesOnlyWhenCommitted)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");
    DeferredCopies deferred;
    for (const char* name : {"0", "1", "2"})
        ASSERT_TRUE(CopyFileWithProgress(dir.WriteFile(name, name), out + "/" + name, {}, &deferred).ok);
    EXPECT_EQ(deferred.Count(), 3u);
    EXPECT_EQ(Shell("ls -A " + ShellQuote(out) + " | grep -c '^\\.korcopy-'"), "3");
    dir.MakeDir("out/2"); // takes a name meanwhile: that copy fails, its temporary file goes
    const std::vector<DeferredCopies::CommitFailure> failures = deferred.Commit();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].destination, out + "/2");
    EXPECT_EQ(failures[0].error, "Cannot replace the destination file: Is a directory");
    EXPECT_EQ(Listing(out), "0 1 2 ");
    EXPECT_TRUE(SameBytes(dir / "0", out + "/0") && SameBytes(dir / "1", out + "/1"));
    EXPECT_EQ(deferred.Count(), 0u);
}
