#include "korverify/storageread.h"

#include "korverify/uniquefd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

namespace
{

UniqueFd OpenToRead(const wxString& path)
{
    return UniqueFd(::open(path.fn_str(), O_RDONLY | O_CLOEXEC));
}

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
        const UniqueFd file = OpenToRead(path);
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
    const UniqueFd file = OpenToRead(path);
    if (file.Get() >= 0)
        ::sync_file_range(file.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool MakeDurable(const std::vector<wxString>& paths)
{
    std::set<dev_t> flushed, failed;
    bool durable = true;
    for (const wxString& path : paths)
    {
        const UniqueFd file = OpenToRead(path);
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
