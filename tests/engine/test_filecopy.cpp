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
#include <utility>
#include <vector>

using namespace kortest;

namespace
{

bool SameBytes(const wxString& a, const wxString& b)
{
    return Shell("cmp -s -- " + ShellQuote(a) + " " + ShellQuote(b) + " && echo same") == "same";
}

// Modification time with nanoseconds, permission bits and file type, as stat(1) prints them.
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

    // Every call has `total`, the first is 0, values never fall, the last is total.
    void ExpectComplete(std::uint64_t total) const
    {
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front().second, 0u);
        EXPECT_EQ(calls.back().second, total);
        for (std::size_t i = 0; i < calls.size(); ++i)
        {
            EXPECT_EQ(calls[i].first, total) << "call " << i;
            EXPECT_LE(calls[i].second, total) << "call " << i;
            if (i > 0)
            {
                EXPECT_GE(calls[i].second, calls[i - 1].second) << "call " << i;
            }
        }
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
        ssize_t written = write(fds[1], message.data(), message.size());
        _exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
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

// Makes a folder unwritable even for root (immutable attribute), and writable again on destruction.
class UnwritableFolder
{
public:
    explicit UnwritableFolder(const wxString& folder) : m_folder(folder)
    {
        if (geteuid() == 0)
            m_ok = Shell("chattr +i -- " + ShellQuote(folder) + " 2>/dev/null && echo ok") == "ok";
        else
            m_ok = chmod(folder.fn_str(), 0555) == 0;
    }
    ~UnwritableFolder()
    {
        if (geteuid() == 0)
            Shell("chattr -i -- " + ShellQuote(m_folder) + " 2>/dev/null");
        else
            chmod(m_folder.fn_str(), 0755);
    }
    bool Ok() const { return m_ok; }

private:
    wxString m_folder;
    bool m_ok = false;
};

} // namespace

TEST(FileCopy, CopiesBytesTimeAndPermissions)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");
    const wxString big = RandomFile(dir, "big.bin", 3 * kCopyChunkBytes + 12345); // several chunks
    const wxString text = dir.WriteFile(wxString::FromUTF8("ünï cødé's.txt"), "hello\n");
    const wxString script = dir.WriteFile("run.sh", "#!/bin/sh\necho hi\n");
    Shell("touch -m -d '2001-02-03 04:05:06.123456789' " + ShellQuote(big));
    Shell("touch -m -d '1999-12-31 23:59:59.5' " + ShellQuote(text) + " " + ShellQuote(script));
    chmod(big.fn_str(), 0640);
    chmod(text.fn_str(), 0444);
    chmod(script.fn_str(), 0751);

    for (const wxString& source : {big, text, script})
    {
        const wxString target = out + "/" + wxFileName(source).GetFullName();
        const FileCopyResult result = CopyFileWithProgress(source, target);
        ASSERT_TRUE(result.ok) << result.error.utf8_string();
        EXPECT_TRUE(result.error.empty());
        EXPECT_TRUE(SameBytes(source, target)) << target.utf8_string();
        EXPECT_EQ(StatLine(target), StatLine(source)) << target.utf8_string();
    }
    EXPECT_EQ(Listing(out), "big.bin run.sh " + std::string(wxString::FromUTF8("ünï cødé's.txt ").fn_str()));
}

TEST(FileCopy, ReplacesAnExistingDestinationFile)
{
    TempDir dir;
    const wxString source = dir.WriteFile("new.txt", "short");
    const wxString target = dir.WriteFile("out/old.txt", std::string(100000, 'x')); // longer than the new content
    chmod(target.fn_str(), 0400);
    const FileCopyResult result = CopyFileWithProgress(source, target);
    ASSERT_TRUE(result.ok) << result.error.utf8_string();
    EXPECT_EQ(ReadFileBytes(target), "short");
    EXPECT_EQ(StatLine(target), StatLine(source));
    EXPECT_EQ(Listing(dir / "out"), "old.txt ");
}

TEST(FileCopy, EmptyFile)
{
    TempDir dir;
    const wxString source = dir.WriteFile("empty", "");
    ProgressLog log;
    const FileCopyResult result = CopyFileWithProgress(source, dir / "copy", log.Recorder());
    ASSERT_TRUE(result.ok) << result.error.utf8_string();
    EXPECT_TRUE(SameBytes(source, dir / "copy"));
    EXPECT_EQ(Shell("stat -c %s " + ShellQuote(dir / "copy")), "0");
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0], std::make_pair(std::uint64_t(0), std::uint64_t(0)));
}

TEST(FileCopy, ProgressIsMonotonicAndEndsAtTotal)
{
    TempDir dir;
    const std::uint64_t size = 5 * kCopyChunkBytes / 2 + 7;
    const wxString source = RandomFile(dir, "src.bin", size);
    ProgressLog log;
    const FileCopyResult result = CopyFileWithProgress(source, dir / "copy.bin", log.Recorder());
    ASSERT_TRUE(result.ok) << result.error.utf8_string();
    EXPECT_TRUE(SameBytes(source, dir / "copy.bin"));
    log.ExpectComplete(size);
    EXPECT_GE(log.calls.size(), 4u); // start plus one per chunk
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
    ASSERT_EQ(Shell("stat -c %s " + q), std::to_string(size));

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

TEST(FileCopy, AcrossFileSystemsWithPlainReadsAndWrites)
{
    TempDir dir;
    struct stat shm, here;
    if (stat("/dev/shm", &shm) != 0 || stat(dir.Path().fn_str(), &here) != 0 || shm.st_dev == here.st_dev ||
        access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second file system at /dev/shm";
    // The kernel copy refuses another file system (EXDEV), so this takes the fallback.
    char pattern[] = "/dev/shm/korgui-copy-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    const wxString source(pattern);
    Shell("head -c " + std::to_string(2 * kCopyChunkBytes + 99) + " /dev/urandom > " + ShellQuote(source));
    ProgressLog log;
    const FileCopyResult result = CopyFileWithProgress(source, dir / "copy", log.Recorder());
    const bool same = SameBytes(source, dir / "copy");
    const std::string sourceStat = StatLine(source), copyStat = StatLine(dir / "copy");
    // A write failure on this path too leaves nothing behind.
    const wxString out = dir.MakeDir("out");
    const FileCopyResult limited = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024 * 1024, 1024 * 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return FileCopyResult{false, false, "cannot set the limit"};
        return CopyFileWithProgress(source, out + "/copy");
    });
    unlink(pattern);
    ASSERT_TRUE(result.ok) << result.error.utf8_string();
    EXPECT_TRUE(same);
    EXPECT_EQ(copyStat, sourceStat);
    log.ExpectComplete(2 * kCopyChunkBytes + 99);
    EXPECT_EQ(limited.error.utf8_string(), "Cannot write the copy: File too large");
    EXPECT_EQ(Listing(out), "");
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
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(Listing(out), "");

    // Cancelled over an existing file: that file stays as it was.
    const wxString old = dir.WriteFile("out/old.bin", "previous content");
    result = CopyFileWithProgress(source, old, [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(ReadFileBytes(old), "previous content");
    EXPECT_EQ(Listing(out), "old.bin ");
}

TEST(FileCopy, UnreadableSourceIsReportedAndLeavesNoFile)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");
    const wxString folder = dir.MakeDir("a folder");
    Shell("ln -s loop2 " + ShellQuote(dir / "loop1") + " && ln -s loop1 " + ShellQuote(dir / "loop2"));

    struct Case
    {
        wxString source;
        const char* reason;
    };
    const Case cases[] = {{dir / "missing.txt", "Cannot open the source file: No such file or directory"},
                          {folder, "The source is not a regular file"},
                          {dir / "loop1", "Cannot open the source file: Too many levels of symbolic links"}};
    for (const Case& c : cases)
    {
        const FileCopyResult result = CopyFileWithProgress(c.source, out + "/copy");
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.cancelled);
        EXPECT_EQ(result.error.utf8_string(), c.reason);
    }
    EXPECT_EQ(Listing(out), "");

    // No permission: root reads everything, so the copy runs as nobody there.
    const wxString secret = dir.WriteFile("secret.txt", "data");
    chmod(secret.fn_str(), 0600);
    FileCopyResult result;
    if (geteuid() == 0)
    {
        Shell("chmod 0711 " + ShellQuote(TestHome()) + " " + ShellQuote(dir.Path()) + " && chmod 0777 " +
              ShellQuote(out));
        result = InChild([&] {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                return FileCopyResult{false, false, "cannot become nobody"};
            return CopyFileWithProgress(secret, out + "/copy");
        });
    }
    else
    {
        chmod(secret.fn_str(), 0);
        result = CopyFileWithProgress(secret, out + "/copy");
    }
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.utf8_string(), "Cannot open the source file: Permission denied");
    EXPECT_EQ(Listing(out), "");
}

TEST(FileCopy, DestinationFolderMissingOrUnwritable)
{
    TempDir dir;
    const wxString source = dir.WriteFile("src.txt", "content");

    FileCopyResult result = CopyFileWithProgress(source, dir / "no such folder/copy.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.utf8_string(), "Cannot create a file in the destination folder: No such file or directory");
    EXPECT_FALSE(wxDirExists(dir / "no such folder"));

    const wxString locked = dir.MakeDir("locked");
    {
        UnwritableFolder guard(locked);
        ASSERT_TRUE(guard.Ok());
        result = CopyFileWithProgress(source, locked + "/copy.txt");
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.StartsWith("Cannot create a file in the destination folder: ")) << result.error;
        EXPECT_EQ(Listing(locked), "");
    }

    // A folder where the file should go is left alone.
    const wxString inTheWay = dir.MakeDir("out/copy.txt");
    dir.WriteFile("out/copy.txt/inside", "keep");
    result = CopyFileWithProgress(source, inTheWay);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.utf8_string(), "Cannot replace the destination file: Is a directory");
    EXPECT_EQ(Listing(dir / "out"), "copy.txt ");
    EXPECT_EQ(ReadFileBytes(inTheWay + "/inside"), "keep");
}

TEST(FileCopy, WriteFailureLeavesNoPartialFile)
{
    TempDir dir;
    const wxString source = RandomFile(dir, "src.bin", 3 * 1024 * 1024);
    const wxString out = dir.MakeDir("out");
    const wxString old = dir.WriteFile("out/old.bin", "previous content");

    // A file size limit of 1 MiB makes the write fail (EFBIG) for root as well.
    for (const wxString& target : {out + "/new.bin", old})
    {
        const FileCopyResult result = InChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1024 * 1024, 1024 * 1024};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return FileCopyResult{false, false, "cannot set the limit"};
            return CopyFileWithProgress(source, target);
        });
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error.utf8_string(), "Cannot write the copy: File too large");
        EXPECT_EQ(Listing(out), "old.bin ");
        EXPECT_EQ(ReadFileBytes(old), "previous content");
    }
}

TEST(FileCopy, VanishingOrChangingSourceFails)
{
    TempDir dir;
    const wxString out = dir.MakeDir("out");

    // Gone before the copy starts.
    const wxString gone = dir.WriteFile("gone.txt", "x");
    wxRemoveFile(gone);
    FileCopyResult result = CopyFileWithProgress(gone, out + "/copy");
    EXPECT_EQ(result.error.utf8_string(), "Cannot open the source file: No such file or directory");

    // Removed while it is being copied.
    const wxString removed = RandomFile(dir, "removed.bin", 2 * kCopyChunkBytes + 1);
    result = CopyFileWithProgress(removed, out + "/copy", [&](std::uint64_t, std::uint64_t copied) {
        if (copied > 0)
            unlink(removed.fn_str());
        return true;
    });
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.utf8_string(), "The source file was removed while it was being copied");

    // Cut short while it is being copied.
    const wxString shrinking = RandomFile(dir, "shrinking.bin", 3 * kCopyChunkBytes);
    result = CopyFileWithProgress(shrinking, out + "/copy", [&](std::uint64_t, std::uint64_t copied) {
        if (copied > 0 && truncate(shrinking.fn_str(), kCopyChunkBytes / 2) != 0)
            return false;
        return true;
    });
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.error.utf8_string(), "The source file changed while it was being copied");

    // Rewritten in place while it is being copied (same size, new time).
    const wxString rewritten = RandomFile(dir, "rewritten.bin", 2 * kCopyChunkBytes);
    Shell("touch -m -d '2001-01-01' " + ShellQuote(rewritten));
    result = CopyFileWithProgress(rewritten, out + "/copy", [&](std::uint64_t, std::uint64_t copied) {
        if (copied > 0)
            Shell("printf X | dd of=" + ShellQuote(rewritten) + " conv=notrunc status=none");
        return true;
    });
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.utf8_string(), "The source file changed while it was being copied");
    EXPECT_EQ(Listing(out), "");
}

TEST(FileCopy, SymlinkAtTheDestinationIsReplacedNotFollowed)
{
    TempDir dir;
    const wxString source = dir.WriteFile("src.txt", "new content");
    const wxString victim = dir.WriteFile("victim.txt", "must stay");
    const wxString target = dir.MakeDir("out") + "/copy.txt";
    ASSERT_EQ(symlink(victim.fn_str(), target.fn_str()), 0);

    const FileCopyResult result = CopyFileWithProgress(source, target);
    ASSERT_TRUE(result.ok) << result.error.utf8_string();
    EXPECT_EQ(ReadFileBytes(victim), "must stay");
    EXPECT_EQ(Shell("stat -c %F " + ShellQuote(target)), "regular file");
    EXPECT_TRUE(SameBytes(source, target));

    // A dangling link is replaced as well, and nothing appears where it pointed.
    const wxString dangling = dir / "out/dangling.txt";
    ASSERT_EQ(symlink((dir / "nowhere.txt").fn_str(), dangling.fn_str()), 0);
    ASSERT_TRUE(CopyFileWithProgress(source, dangling).ok);
    EXPECT_FALSE(wxFileExists(dir / "nowhere.txt"));
    EXPECT_EQ(Shell("stat -c %F " + ShellQuote(dangling)), "regular file");

    // A link as the source is followed.
    const wxString link = dir / "link.txt";
    ASSERT_EQ(symlink(victim.fn_str(), link.fn_str()), 0);
    ASSERT_TRUE(CopyFileWithProgress(link, dir / "out/from-link.txt").ok);
    EXPECT_EQ(ReadFileBytes(dir / "out/from-link.txt"), "must stay");
    EXPECT_EQ(Shell("stat -c %F " + ShellQuote(dir / "out/from-link.txt")), "regular file");
}
