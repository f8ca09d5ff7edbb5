#include "korverify/storageread.h"

#include "korverify/uniquefd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <set>

namespace
{

// Files whose device reads are started together (each holds a descriptor meanwhile).
constexpr std::size_t READ_GROUP_FILES = 64;
// Of each file, the bytes asked for at once; the kernel's read-ahead fetches the rest
// as the hash reads on, so a big file does not fill the memory.
constexpr off_t READ_START_BYTES = 8 * 1024 * 1024;

UniqueFd OpenToRead(const wxString& path)
{
    return UniqueFd(::open(path.fn_str(), O_RDONLY | O_CLOEXEC));
}

// Writes out what of the range is still only in memory and waits for it, then drops
// its cached pages, so that the next read of it comes from the device. A file system
// without sync_file_range (some network and FUSE ones) gets a full fdatasync instead.
void DropFromCache(int fd, std::uint64_t offset, std::uint64_t length)
{
    const unsigned flags = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    if (::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length), flags) != 0)
        ::fdatasync(fd);
    ::posix_fadvise(fd, static_cast<off_t>(offset), static_cast<off_t>(length), POSIX_FADV_DONTNEED);
}

} // namespace

wxString HashFdFromStorage(int fd, HashAlgorithm algorithm, std::uint64_t knownSize)
{
    DropFromCache(fd, 0, 0);
    return KcvCalcHashFromFd(fd, algorithm, knownSize);
}

std::vector<wxString> HashFromStorage(const std::vector<wxString>& paths, HashAlgorithm algorithm)
{
    std::vector<wxString> hashes;
    hashes.reserve(paths.size());
    for (std::size_t first = 0; first < paths.size(); first += READ_GROUP_FILES)
    {
        const std::size_t end = std::min(paths.size(), first + READ_GROUP_FILES);
        std::deque<UniqueFd> files;
        std::vector<int> errors;
        for (std::size_t i = first; i < end; ++i)
        {
            const int fd = files.emplace_back(::open(paths[i].fn_str(), O_RDONLY | O_CLOEXEC)).Get();
            errors.push_back(fd < 0 ? errno : 0);
            if (fd < 0)
                continue;
            DropFromCache(fd, 0, 0);
            ::posix_fadvise(fd, 0, READ_START_BYTES, POSIX_FADV_WILLNEED); // read from the device, now dropped
        }
        for (std::size_t i = 0; i < files.size(); ++i)
            hashes.push_back(files[i].IsOpen() ? KcvCalcHashFromFd(files[i].Get(), algorithm)
                                               : KcvUnreadableText(errors[i]));
    }
    return hashes;
}

bool HashRangeFromStorage(int fd, std::uint64_t offset, std::uint64_t length, KcvHasher& hasher)
{
    // Whole pages: the cache keeps a page that the range covers only in part.
    static const std::uint64_t page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t first = offset / page * page, end = (offset + length + page - 1) / page * page;
    DropFromCache(fd, first, end - first);
    // All of it asked for at once: the device gets a deep queue, not one read at a time.
    ::posix_fadvise(fd, static_cast<off_t>(first), static_cast<off_t>(end - first), POSIX_FADV_WILLNEED);
    const std::int64_t got = hasher.UpdateFromFile(fd, offset, length);
    if (got < 0)
        return false;
    if (static_cast<std::uint64_t>(got) != length)
    {
        errno = EIO; // the file is shorter than what was written to it
        return false;
    }
    return true;
}

void StartWriteBack(int fd, std::uint64_t offset, std::uint64_t length)
{
    ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
}

bool MakeDurable(const std::vector<wxString>& paths)
{
    std::set<dev_t> flushed, failed;
    bool durable = true;
    for (const wxString& path : paths)
    {
        // A look at the name is enough for the files of a file system already flushed.
        struct stat info;
        if (::stat(path.fn_str(), &info) != 0)
        {
            durable = false;
            continue;
        }
        if (flushed.count(info.st_dev))
            continue;
        const UniqueFd file = OpenToRead(path);
        if (!file.IsOpen())
        {
            durable = false;
            continue;
        }
        if (!failed.count(info.st_dev))
        {
            if (::syncfs(file.Get()) == 0)
            {
                flushed.insert(info.st_dev);
                continue;
            }
            failed.insert(info.st_dev);
        }
        if (::fdatasync(file.Get()) != 0)
            durable = false;
    }
    return durable;
}
