#include "korverify/storageread.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

namespace
{

class ReadOnlyFd
{
public:
    explicit ReadOnlyFd(const wxString& path) : m_fd(::open(path.fn_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReadOnlyFd(const ReadOnlyFd&) = delete;
    ReadOnlyFd& operator=(const ReadOnlyFd&) = delete;

    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Writes out what of the file is still only in memory and waits for it. A file system
// without sync_file_range (some network and FUSE ones) gets a full fdatasync instead.
void WriteOut(int fd)
{
    const unsigned flags = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    if (::sync_file_range(fd, 0, 0, flags) != 0)
        ::fdatasync(fd);
}

} // namespace

wxString HashFromStorage(const wxString& path, HashAlgorithm algorithm)
{
    {
        // Best effort: a file that cannot be opened is left to the hash, which says why.
        const ReadOnlyFd file(path);
        if (file.Get() >= 0)
        {
            WriteOut(file.Get());
            ::posix_fadvise(file.Get(), 0, 0, POSIX_FADV_DONTNEED);
        }
    }
    return KcvCalcHashFromFile(path, algorithm);
}

void StartWriteBack(const wxString& path)
{
    const ReadOnlyFd file(path);
    if (file.Get() >= 0)
        ::sync_file_range(file.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool MakeDurable(const std::vector<wxString>& paths)
{
    std::set<dev_t> flushed, failed;
    bool durable = true;
    for (const wxString& path : paths)
    {
        const ReadOnlyFd file(path);
        struct stat info;
        if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0)
        {
            durable = false;
            continue;
        }
        if (flushed.count(info.st_dev))
            continue;
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
