#include "korverify/copytaps.h"

#include "korverify/storageread.h"

#include <cerrno>

void HashingTap::Written(int, std::uint64_t, const unsigned char* data, std::size_t size)
{
    if (data)
        m_hasher.Update(data, size);
    else
        m_hasher.UpdateZeros(size);
}

void StorageVerifyingTap::Opened(int, const std::string& temporaryPath)
{
    m_copy = std::make_unique<GrowingFileHasher>(temporaryPath, m_algorithm);
}

void StorageVerifyingTap::Written(int fd, std::uint64_t offset, const unsigned char* data, std::size_t size)
{
    HashingTap::Written(fd, offset, data, size);
    if (data)
        StartWriteBack(fd, offset, size);
    m_end = offset + size;
    m_copy->Written(m_end);
}

wxString StorageVerifyingTap::CopyHash()
{
    return m_copy ? m_copy->Finish(m_end) : KcvUnreadableText(ENOENT);
}
