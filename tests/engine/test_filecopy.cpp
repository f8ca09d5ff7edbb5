// The file copy, checked with cmp, stat and ls rather than with the code that copied.

#include "harness/helpers.h"

#include "korverify/filecopy.h"

#include <gtest/gtest.h>

#include <wx/filefn.h>
#include <wx/filename.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <functional>
#include <iostream>
#include <utility>
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
    const wxString path = dir / name;
    Shell("head -c " + std::to_string(bytes) + " /dev/urandom > " + ShellQuote(path));
    return path;
}

// Records the progress calls; checks that they start at 0, never fall and end at total.
struct ProgressLog
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;

    CopyProgressCallback Recorder()
    {
        return [this](std::uint64_t total, std::uint64_t copied) {
            calls.emplace_back(total, copied);
            return true;
        };
    }

    void ExpectComplete(std::uint64_t total) const
    {
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front().second, 0u);
        EXPECT_EQ(calls.back().second, total);
        for (std::size_t i = 0; i < calls.size(); ++i)
            EXPECT_TRUE(calls[i].first == total && (i == 0 || calls[i].second >= calls[i - 1].second)) << "call " << i;
    }
};

// Runs `work` in a child process (for limits and identities the test process must not
// take on) and hands back its result.
FileCopyResult InChild(const std::function<FileCopyResult()>& work)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0)
    {
        close(fds[0]);
        const FileCopyResult result = work();
        const std::string message = (result.ok ? "1" : "0") + std::string(result.error.utf8_str());
        _exit(write(fds[1], message.data(), message.size()) == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    close(fds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    FileCopyResult result;
    result.ok = !message.empty() && message[0] == '1';
    result.error = message.empty() ? wxString("no result from the child") : wxString::FromUTF8(message.substr(1));
    return result;
}

// A copy under a file size limit of 1 MiB, which makes writes fail (EFBIG) for root as well.
FileCopyResult CopyLimitedTo1MiB(const wxString& source, const wxString& target)
{
    return InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024 * 1024, 1024 * 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return FileCopyResult{false, false, "cannot set the limit"};
        return CopyFileWithProgress(source, target);
    });
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
    chmod((out + "/run.sh").fn_str(), 0400);
    Shell("touch -m -d '2001-02-03 04:05:06.123456789' " + ShellQuote(big));
    Shell("touch -m -d '1999-12-31 23:59:59.5' " + ShellQuote(text) + " " + ShellQuote(script));
    chmod(big.fn_str(), 0640);
    chmod(text.fn_str(), 0444);
    chmod(script.fn_str(), 0751);

    for (const wxString& source : {big, text, script, empty})
    {
        const wxString target = out + "/" + wxFileName(source).GetFullName();
        ProgressLog log;
        const FileCopyResult result = CopyFileWithProgress(source, target, log.Recorder());
        ASSERT_TRUE(result.ok) << result.error.utf8_string();
        EXPECT_TRUE(result.error.empty());
        EXPECT_TRUE(SameBytes(source, target)) << target.utf8_string();
        EXPECT_EQ(StatLine(target), StatLine(source)) << target.utf8_string();
        const std::uint64_t size = wxFileName::GetSize(source).GetValue();
        log.ExpectComplete(size);
        EXPECT_EQ(log.calls.size(), size ? 1 + (size + kCopyChunkBytes - 1) / kCopyChunkBytes : 1);
    }
    EXPECT_EQ(Listing(out), "big.bin empty run.sh " + std::string(wxString::FromUTF8("ünï cødé's.txt ").fn_str()));
}

TEST(FileCopy, SparseFileOver4GiB)
{
    TempDir dir;
    const wxString source = dir / "sparse.bin";
    const std::uint64_t size = (std::uint64_t(1) << 32) + 100 * 1000 * 1000;
    const std::string q = ShellQuote(source);
    Shell("truncate -s " + std::to_string(size) + " " + q);
    Shell("printf 'first bytes' | dd of=" + q + " conv=notrunc status=none");
    Shell("printf 'across the 4 GiB line' | dd of=" + q + " bs=1 seek=4294967290 conv=notrunc status=none");
    Shell("head -c 3000000 /dev/urandom | dd of=" + q + " bs=1000 seek=4300000 conv=notrunc status=none");
    Shell("printf 'last' | dd of=" + q + " bs=1 seek=" + std::to_string(size - 4) + " conv=notrunc status=none");

    ProgressLog log;
    const wxString target = dir / "copy.bin";
    const FileCopyResult result = CopyFileWithProgress(source, target, log.Recorder());
    ASSERT_TRUE(result.ok) << result.error.utf8_string();
    EXPECT_EQ(Shell("stat -c %s " + ShellQuote(target)), std::to_string(size));
    EXPECT_TRUE(SameBytes(source, target));
    log.ExpectComplete(size);
    // The holes stayed holes: far less than the size is allocated.
    EXPECT_LT(std::stoull(Shell("stat -c %b " + ShellQuote(target))) * 512, std::uint64_t(64) << 20);
}

TEST(FileCopy, AcrossFileSystemsAndOnWriteFailure)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");
    const wxString old = dir.WriteFile("out/old.bin", "previous content");
    std::vector<wxString> sources = {RandomFile(dir, "src.bin", 2 * kCopyChunkBytes + 99)};
    struct stat shm, here;
    // The kernel copy refuses another file system (EXDEV): plain reads and writes take over.
    char pattern[] = "/dev/shm/korgui-copy-XXXXXX";
    const bool otherFs = stat("/dev/shm", &shm) == 0 && stat(dir.Path().fn_str(), &here) == 0 &&
                         shm.st_dev != here.st_dev && access("/dev/shm", W_OK) == 0;
    if (otherFs && close(mkstemp(pattern)) == 0)
    {
        sources.emplace_back(pattern);
        Shell("cp " + ShellQuote(sources[0]) + " " + ShellQuote(sources[1]));
    }
    for (const wxString& source : sources)
    {
        ProgressLog log;
        const FileCopyResult result = CopyFileWithProgress(source, dir / "copy", log.Recorder());
        ASSERT_TRUE(result.ok) << result.error.utf8_string();
        EXPECT_TRUE(SameBytes(source, dir / "copy"));
        EXPECT_EQ(StatLine(dir / "copy"), StatLine(source));
        log.ExpectComplete(2 * kCopyChunkBytes + 99);
        // A write failure into a free name or over a file leaves no partial file.
        for (const wxString& target : {out + "/new.bin", old})
        {
            EXPECT_EQ(CopyLimitedTo1MiB(source, target).error.utf8_string(), "Cannot write the copy: File too large");
            EXPECT_EQ(Listing(out), "old.bin ");
            EXPECT_EQ(ReadFileBytes(old), "previous content");
        }
    }
    if (sources.size() > 1)
        unlink(pattern);
    else
        std::cerr << "no second file system at /dev/shm: the plain read and write path went untested\n";
}

TEST(FileCopy, CancelFromTheCallbackLeavesNoFile)
{
    TempDir dir;
    const wxString source = RandomFile(dir, "src.bin", 3 * kCopyChunkBytes);
    const wxString out = dir.MakeDir("out");
    int calls = 0;
    FileCopyResult result = CopyFileWithProgress(source, out + "/copy.bin", [&](std::uint64_t, std::uint64_t copied) {
        ++calls;
        return copied < kCopyChunkBytes; // stops after the first chunk
    });
    EXPECT_TRUE(!result.ok && result.cancelled && !result.error.empty());
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(Listing(out), "");

    const wxString old = dir.WriteFile("out/old.bin", "previous content");
    result = CopyFileWithProgress(source, old, [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(ReadFileBytes(old), "previous content");
    EXPECT_EQ(Listing(out), "old.bin ");
}

TEST(FileCopy, SourceOrDestinationProblemsAreReportedAndLeaveNoFile)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");
    const wxString source = dir.WriteFile("src.txt", "content");
    Shell("ln -s loop2 " + ShellQuote(dir / "loop1") + " && ln -s loop1 " + ShellQuote(dir / "loop2"));
    dir.WriteFile("out/in the way/inside", "keep");
    struct Case
    {
        wxString source, target;
        const char* reason;
    };
    const Case cases[] = {
        {dir / "missing.txt", out + "/copy", "Cannot open the source file: No such file or directory"},
        {dir.MakeDir("a folder"), out + "/copy", "The source is not a regular file"},
        {dir / "loop1", out + "/copy", "Cannot open the source file: Too many levels of symbolic links"},
        {source, dir / "no such folder/copy", "Cannot create a file in the destination folder: No such file or directory"},
        {source, out + "/in the way", "Cannot replace the destination file: Is a directory"}};
    for (const Case& c : cases)
    {
        const FileCopyResult result = CopyFileWithProgress(c.source, c.target);
        EXPECT_TRUE(!result.ok && !result.cancelled);
        EXPECT_EQ(result.error.utf8_string(), c.reason);
    }
    EXPECT_EQ(Listing(out), "in the way ");
    EXPECT_EQ(ReadFileBytes(out + "/in the way/inside"), "keep");

    // No permission, to read the source or to write the folder: as nobody, since root may do both.
    const wxString secret = dir.WriteFile("secret.txt", "data");
    chmod(secret.fn_str(), geteuid() == 0 ? 0600 : 0);
    const wxString locked = dir.MakeDir("locked");
    chmod(locked.fn_str(), 0555);
    Shell("chmod 0711 " + ShellQuote(TestHome()) + " " + ShellQuote(dir.Path()) + " && chmod 0777 " + ShellQuote(out));
    const std::pair<wxString, wxString> denied[] = {{secret, out + "/copy"}, {source, locked + "/copy"}};
    const char* const reasons[] = {"Cannot open the source file: Permission denied",
                                   "Cannot create a file in the destination folder: Permission denied"};
    for (int i = 0; i < 2; ++i)
    {
        const FileCopyResult result = InChild([&] {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return FileCopyResult{false, false, "cannot become nobody"};
            return CopyFileWithProgress(denied[i].first, denied[i].second);
        });
        EXPECT_EQ(result.error.utf8_string(), reasons[i]);
    }
    EXPECT_EQ(Listing(out) + Listing(locked), "in the way ");
}

TEST(FileCopy, SourceThatVanishesOrChangesMidCopyFails)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");
    struct Case
    {
        const char* what;
        std::function<void(const wxString&)> change;
        const char* reason;
    };
    const Case cases[] = {
        {"removed", [](const wxString& f) { unlink(f.fn_str()); },
         "The source file was removed while it was being copied"},
        {"cut short", [](const wxString& f) { EXPECT_EQ(truncate(f.fn_str(), kCopyChunkBytes / 2), 0); },
         "The source file changed while it was being copied"},
        {"rewritten in place", [](const wxString& f) { Shell("printf X | dd of=" + ShellQuote(f) + " conv=notrunc status=none"); },
         "The source file changed while it was being copied"}};
    for (const Case& c : cases)
    {
        const wxString source = RandomFile(dir, c.what, 3 * kCopyChunkBytes);
        Shell("touch -m -d '2001-01-01' " + ShellQuote(source)); // a rewrite changes the time
        const FileCopyResult result = CopyFileWithProgress(source, out + "/copy", [&](std::uint64_t, std::uint64_t copied) {
            if (copied > 0 && copied <= kCopyChunkBytes)
                c.change(source);
            return true;
        });
        EXPECT_TRUE(!result.ok && !result.cancelled) << c.what;
        EXPECT_EQ(result.error.utf8_string(), c.reason) << c.what;
    }
    EXPECT_EQ(Listing(out), "");
}

TEST(FileCopy, SymlinkAtTheDestinationIsReplacedNotFollowed)
{
    TempDir dir;
    const wxString source = dir.WriteFile("src.txt", "new content");
    const wxString victim = dir.WriteFile("victim.txt", "must stay");
    const wxString target = dir.MakeDir("out") + "/copy.txt", dangling = dir / "out/dangling.txt";
    ASSERT_EQ(symlink(victim.fn_str(), target.fn_str()), 0);
    ASSERT_EQ(symlink((dir / "nowhere.txt").fn_str(), dangling.fn_str()), 0);
    for (const wxString& link : {target, dangling})
    {
        const FileCopyResult result = CopyFileWithProgress(source, link);
        ASSERT_TRUE(result.ok) << result.error.utf8_string();
        EXPECT_EQ(Shell("stat -c %F " + ShellQuote(link)), "regular file");
        EXPECT_TRUE(SameBytes(source, link));
    }
    EXPECT_EQ(ReadFileBytes(victim), "must stay");
    EXPECT_FALSE(wxFileExists(dir / "nowhere.txt"));

    // A link as the source is followed.
    ASSERT_TRUE(CopyFileWithProgress(dir / "out/copy.txt", dir / "out/again.txt").ok);
    ASSERT_EQ(symlink(victim.fn_str(), (dir / "link.txt").fn_str()), 0);
    ASSERT_TRUE(CopyFileWithProgress(dir / "link.txt", dir / "out/from-link.txt").ok);
    EXPECT_EQ(ReadFileBytes(dir / "out/from-link.txt"), "must stay");
    EXPECT_EQ(Shell("stat -c %F " + ShellQuote(dir / "out/from-link.txt")), "regular file");
}

TEST(FileCopy, KilledMidCopyLeavesNoFileUnderItsFinalName)
{
    TempDir dir;
    const wxString source = RandomFile(dir, "big.bin", 6 * kCopyChunkBytes);
    const wxString out = dir.MakeDir("out"), target = out + "/big.bin";
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0)
    {
        close(fds[0]);
        // Slowly, and telling the parent once some bytes are written.
        CopyFileWithProgress(source, target, [&](std::uint64_t, std::uint64_t copied) {
            if (copied > 0 && write(fds[1], "x", 1) != 1)
                _exit(2);
            usleep(200000);
            return true;
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
    EXPECT_FALSE(wxFileExists(target));
    const std::string left = Listing(out);
    ASSERT_EQ(left.size(), std::string(kCopyTempPrefix).size() + 7) << left; // one name and a blank
    EXPECT_TRUE(IsLeftoverCopyName(wxString(left).Trim()));
    for (const char* name : {".korcopy-", ".korcopy-abc", ".korcopy-abc/ef", "korcopy-abcdef", "big.bin"})
        EXPECT_FALSE(IsLeftoverCopyName(name)) << name;
}

TEST(FileCopy, DeferredCopiesGetTheirNamesOnlyWhenCommitted)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");
    std::vector<wxString> sources;
    for (int i = 0; i < 3; ++i)
        sources.push_back(dir.WriteFile("src/" + std::to_string(i), "content " + std::to_string(i)));
    DeferredCopies deferred;
    for (const wxString& source : sources)
        ASSERT_TRUE(CopyFileWithProgress(source, out + "/" + wxFileName(source).GetFullName(), {}, &deferred).ok);
    EXPECT_EQ(deferred.Count(), 3u);
    EXPECT_EQ(Shell("ls -A " + ShellQuote(out) + " | grep -c '^\\.korcopy-'"), "3");
    dir.MakeDir("out/2"); // takes a name meanwhile: that copy fails, its temporary file goes
    const std::vector<DeferredCopies::CommitFailure> failures = deferred.Commit();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].destination, out + "/2");
    EXPECT_EQ(failures[0].error.utf8_string(), "Cannot replace the destination file: Is a directory");
    EXPECT_EQ(Listing(out), "0 1 2 ");
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(SameBytes(sources[i], out + "/" + std::to_string(i)));
    EXPECT_EQ(deferred.Count(), 0u);
}
