#include "korverify/filecopy.h"

#include "korverify/storageread.h"
#include "korverify/uniquefd.h"

#include <wx/log.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

namespace
{

// The copy in progress, under a hidden temporary name beside its destination, so that
// no file ever carries the final name with incomplete content, whatever ends the
// process; removed unless committed.
class PendingCopy
{
public:
    ~PendingCopy()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }

    // Opens the file the bytes go to; errno is set on failure.
    bool Create(const std::string& folder)
    {
        std::string pattern = folder + "/" + kCopyTempPrefix + "XXXXXX";
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            return false;
        m_path = pattern;
        m_fd = std::make_unique<UniqueFd>(fd);
        return true;
    }

    UniqueFd& Fd() { return *m_fd; }
    const std::string& Path() const { return m_path; }

    // Gives the complete copy its final name (a link or file there is replaced, never
    // written through).
    bool CommitAs(const std::string& destination)
    {
        if (::rename(m_path.c_str(), destination.c_str()) != 0)
            return false;
        m_path.clear();
        return true;
    }

    // The complete copy stays under its temporary name; someone else renames it.
    std::string Release()
    {
        std::string path;
        path.swap(m_path);
        return path;
    }

private:
    std::string m_path;
    std::unique_ptr<UniqueFd> m_fd;
};

FileCopyResult Failure(const char* what, int err)
{
    FileCopyResult result;
    result.error = wxString::FromUTF8(what) + ": " + wxSysErrorMsgStr(err);
    return result;
}

FileCopyResult Failure(const char* what)
{
    FileCopyResult result;
    result.error = wxString::FromUTF8(what);
    return result;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Smaller files are copied whole: holes in them are rare and save next to nothing,
// and looking for them costs two calls into the kernel per file.
constexpr std::uint64_t kSparseMinBytes = 1024 * 1024;

// Where the next data of `fd` starts at or after `offset`, and where it ends; both
// `end` when only a hole is left. File systems that cannot tell report all as data.
bool NextDataSegment(int fd, std::uint64_t offset, std::uint64_t end, std::uint64_t& dataStart,
                     std::uint64_t& dataEnd)
{
    if (end < kSparseMinBytes)
    {
        dataStart = offset;
        dataEnd = end;
        return true;
    }
    const off_t data = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
    if (data < 0)
    {
        if (errno == ENXIO) // nothing but a hole up to the end of the file
        {
            dataStart = dataEnd = end;
            return true;
        }
        if (errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        dataStart = offset;
        dataEnd = end;
        return true;
    }
    dataStart = std::min<std::uint64_t>(static_cast<std::uint64_t>(data), end);
    const off_t hole = ::lseek(fd, data, SEEK_HOLE);
    dataEnd = hole < 0 ? end : std::min<std::uint64_t>(static_cast<std::uint64_t>(hole), end);
    return true;
}

// Copies up to `length` bytes at `offset` with plain reads and writes; returns the
// bytes copied (0 at the end of the source) or -1 with errno set. `writeFailed` tells
// which side failed.
ssize_t ReadWriteChunk(int in, int out, std::uint64_t offset, std::size_t length, std::string& buffer,
                       bool& writeFailed)
{
    if (buffer.size() < length)
        buffer.resize(length);
    ssize_t got;
    do
        got = ::pread(in, buffer.data(), length, static_cast<off_t>(offset));
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        return got;

    for (ssize_t done = 0; done < got;)
    {
        const ssize_t put = ::pwrite(out, buffer.data() + done, static_cast<std::size_t>(got - done),
                                     static_cast<off_t>(offset) + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
        {
            if (put == 0)
                errno = EIO;
            writeFailed = true;
            return -1;
        }
        done += put;
    }
    return got;
}

bool SameContentState(const struct stat& a, const struct stat& b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

FileCopyResult CopyFileWithProgress(const wxString& source, const wxString& destination,
                                    const CopyProgressCallback& progress, DeferredCopies* deferred, CopyTap* tap)
{
    const std::string from(source.fn_str());
    const std::string to(destination.fn_str());
    if (from.empty() || to.empty())
        return Failure("The file name cannot be represented on this system");

    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.IsOpen())
        return Failure("Cannot open the source file", errno);
    struct stat before;
    if (::fstat(in.Get(), &before) != 0)
        return Failure("Cannot read the source file", errno);
    if (!S_ISREG(before.st_mode))
        return Failure("The source is not a regular file");

    // A folder in the way is refused before any byte is copied.
    struct stat existing;
    if (::lstat(to.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
        return Failure("Cannot replace the destination file", EISDIR);
    PendingCopy copy;
    if (!copy.Create(FolderOf(to)))
        return Failure("Cannot create a file in the destination folder", errno);
    const int out = copy.Fd().Get();
    if (tap)
        tap->Opened(out, copy.Path());

    const std::uint64_t total = static_cast<std::uint64_t>(before.st_size);
    const auto report = [&](std::uint64_t copied) { return !progress || progress(total, copied); };
    const auto cancelled = [] {
        FileCopyResult result = Failure("Copy cancelled");
        result.cancelled = true;
        return result;
    };
    if (!report(0))
        return cancelled();

    bool kernelCopy = tap == nullptr;
    std::string buffer; // only for reads and writes
    std::uint64_t position = 0;
    bool skippedHole = false;
    std::uint64_t holeStart = 0, holeBytes = 0; // not yet passed to the tap
    const auto tapHole = [&] {
        if (tap && holeBytes > 0)
            tap->Written(out, holeStart, nullptr, static_cast<std::size_t>(holeBytes));
        holeBytes = 0;
    };
    while (position < total)
    {
        std::uint64_t dataStart, dataEnd;
        if (!NextDataSegment(in.Get(), position, total, dataStart, dataEnd))
            return Failure("Cannot read the source file", errno);
        if (dataStart > position)
        {
            skippedHole = true;
            if (holeBytes == 0)
                holeStart = position;
            holeBytes += dataStart - position;
            position = dataStart; // a hole: ftruncate below gives it back as a hole
            if (!report(position))
                return cancelled();
        }
        while (position < dataEnd)
        {
            const std::size_t length = static_cast<std::size_t>(std::min(kCopyChunkBytes, dataEnd - position));
            ssize_t done;
            if (kernelCopy)
            {
                loff_t inOffset = static_cast<loff_t>(position), outOffset = inOffset;
                done = ::copy_file_range(in.Get(), &inOffset, out, &outOffset, length, 0);
                if (done < 0 && errno == EINTR)
                    continue;
                // Not supported here (other file system, old kernel), or a file system that
                // claims an early end: plain reads and writes take over and tell the truth.
                if (done == 0 || (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                                               errno == EOPNOTSUPP || errno == ETXTBSY || errno == EPERM)))
                {
                    kernelCopy = false;
                    continue;
                }
                if (done < 0)
                {
                    // The kernel does not say which side failed; a one-byte read of the source does.
                    const int err = errno;
                    char probe;
                    if (::pread(in.Get(), &probe, 1, static_cast<off_t>(position)) < 0)
                        return Failure("Cannot read the source file", errno);
                    return Failure("Cannot write the copy", err);
                }
            }
            else
            {
                bool writeFailed = false;
                done = ReadWriteChunk(in.Get(), out, position, length, buffer, writeFailed);
                if (done < 0)
                    return Failure(writeFailed ? "Cannot write the copy" : "Cannot read the source file", errno);
            }
            if (done == 0)
                return Failure("The source file changed while it was being copied");
            if (tap)
            {
                tapHole(); // the write has made the file cover it
                tap->Written(out, position, reinterpret_cast<const unsigned char*>(buffer.data()),
                             static_cast<std::size_t>(done));
            }
            position += static_cast<std::uint64_t>(done);
            if (!report(position))
                return cancelled();
        }
    }

    // The size covers a hole at the end, which no write reached.
    if (skippedHole)
    {
        struct stat written;
        if (::fstat(out, &written) != 0)
            return Failure("Cannot write the copy", errno);
        if (static_cast<std::uint64_t>(written.st_size) != total && ::ftruncate(out, before.st_size) != 0)
            return Failure("Cannot write the copy", errno);
        tapHole();
    }

    struct stat after;
    if (::fstat(in.Get(), &after) != 0)
        return Failure("Cannot read the source file", errno);
    if (after.st_nlink == 0)
        return Failure("The source file was removed while it was being copied");
    if (!SameContentState(before, after))
        return Failure("The source file changed while it was being copied");

    // Permission bits, then the times: changing the mode does not touch the times.
    // FAT and exFAT (memory cards) cannot hold the bits and refuse; the copy stands.
    if (::fchmod(out, before.st_mode & 0777) != 0 && errno != EPERM && errno != EOPNOTSUPP)
        return Failure("Cannot set the permissions of the copy", errno);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    if (::futimens(out, times) != 0)
        return Failure("Cannot set the modification time of the copy", errno);
    if (!copy.Fd().Close())
        return Failure("Cannot write the copy", errno);
    if (deferred)
        deferred->Add(copy.Release(), to);
    else if (!copy.CommitAs(to))
        return Failure("Cannot replace the destination file", errno);

    FileCopyResult result;
    result.ok = true;
    return result;
}

bool IsLeftoverCopyName(const wxString& name)
{
    const wxString prefix(kCopyTempPrefix);
    if (name.length() != prefix.length() + 6 || !name.StartsWith(prefix))
        return false;
    for (std::size_t i = prefix.length(); i < name.length(); ++i)
    {
        const wxUniChar c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

DeferredCopies::~DeferredCopies()
{
    Commit();
}

void DeferredCopies::Add(const std::string& temporary, const std::string& destination)
{
    m_copies.push_back({temporary, destination});
}

std::vector<DeferredCopies::CommitFailure> DeferredCopies::Commit()
{
    std::vector<CommitFailure> failures;
    if (m_copies.empty())
        return failures;
    std::vector<wxString> temporaries;
    temporaries.reserve(m_copies.size());
    for (const Copy& copy : m_copies)
        temporaries.emplace_back(copy.temporary.c_str(), wxConvFile);
    // Where the batch could not be made durable, each copy is tried on its own, and
    // one that still fails never gets its final name.
    const bool allDurable = MakeDurable(temporaries);
    for (std::size_t i = 0; i < m_copies.size(); ++i)
    {
        const Copy& copy = m_copies[i];
        wxString error;
        if (!allDurable && !MakeDurable({temporaries[i]}))
            error = "Cannot write the copy to the disk";
        else if (::rename(copy.temporary.c_str(), copy.destination.c_str()) != 0)
            error = "Cannot replace the destination file: " + wxSysErrorMsgStr(errno);
        if (error.empty())
            continue;
        ::unlink(copy.temporary.c_str());
        failures.push_back({wxString(copy.destination.c_str(), wxConvFile), error});
    }
    m_copies.clear();
    return failures;
}
