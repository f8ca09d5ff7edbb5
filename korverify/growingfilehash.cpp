#include "korverify/growingfilehash.h"

#include "korverify/filecopy.h"
#include "korverify/storageread.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

GrowingFileHasher::GrowingFileHasher(const std::string& path, HashAlgorithm algorithm)
    : m_file(::open(path.c_str(), O_RDONLY | O_CLOEXEC)),
      m_openError(m_file.IsOpen() ? 0 : errno),
      m_hasher(algorithm)
{
    if (m_file.IsOpen())
        m_thread = std::thread(&GrowingFileHasher::Run, this);
}

GrowingFileHasher::~GrowingFileHasher()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_cancelled = true;
    }
    m_changed.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void GrowingFileHasher::Written(std::uint64_t end)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_written = std::max(m_written, end);
    }
    m_changed.notify_one();
}

wxString GrowingFileHasher::Finish(std::uint64_t size)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_written = std::max(m_written, size);
        m_complete = true;
    }
    m_changed.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    if (!m_file.IsOpen())
        return KcvUnreadableText(m_openError);
    if (m_readError != 0)
        return KcvUnreadableText(m_readError);
    return m_hasher.Finish();
}

void GrowingFileHasher::Run()
{
    std::uint64_t done = 0;
    for (;;)
    {
        std::uint64_t end = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return m_cancelled || m_complete || m_written > done; });
            if (m_cancelled || (m_complete && done >= m_written))
                return;
            end = m_written;
        }
        // Piece by piece, as the copy wrote them: each is waited for and read on its own,
        // and a cancel is seen between two.
        while (done < end && !m_cancelled)
        {
            const std::uint64_t piece = std::min(end - done, kCopyChunkBytes);
            if (!HashRangeFromStorage(m_file.Get(), done, piece, m_hasher))
            {
                m_readError = errno;
                return;
            }
            done += piece;
        }
    }
}
