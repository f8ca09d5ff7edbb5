#include "korverify/storageread.h"

#include <fcntl.h>
#include <unistd.h>

namespace
{

// Writes out what of `path` is still only in memory and drops its cached pages.
// Best effort: a file that cannot be opened is left to the hash, which says why.
void DropFromPageCache(const wxString& path)
{
    const int fd = ::open(path.fn_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

} // namespace

wxString HashFromStorage(const wxString& path, HashAlgorithm algorithm)
{
    DropFromPageCache(path);
    return KcvCalcHashFromFile(path, algorithm);
}
