#pragma once

// What looks at the bytes of a copy as it is made (CopyTap): the source's hash taken
// from the copy's own read of it, and the copy verified from the storage meanwhile.

#include "korverify/filecopy.h"
#include "korverify/growingfilehash.h"

#include "korbase/hash.h"

#include <memory>

// Hashes the bytes as they are copied: the source's hash, with no second read of it,
// of exactly the bytes written.
class HashingTap : public CopyTap
{
public:
    explicit HashingTap(HashAlgorithm algorithm) : m_hasher(algorithm) {}

    void Written(int fd, std::uint64_t offset, const unsigned char* data, std::size_t size) override;
    // The hash of every byte seen; once, when the copy is complete.
    wxString Finish() { return m_hasher.Finish(); }

private:
    KcvHasher m_hasher;
};

// As HashingTap, and the copy is hashed from the storage while it is made: each piece
// written is sent to the device at once, and a GrowingFileHasher reads it back from
// there on a second thread while the copy goes on.
class StorageVerifyingTap : public HashingTap
{
public:
    explicit StorageVerifyingTap(HashAlgorithm algorithm) : HashingTap(algorithm), m_algorithm(algorithm) {}

    void Opened(int fd, const std::string& temporaryPath) override;
    void Written(int fd, std::uint64_t offset, const unsigned char* data, std::size_t size) override;
    // The copy's hash, as read from the storage; once, when the copy is complete.
    wxString CopyHash();

private:
    const HashAlgorithm m_algorithm;
    std::uint64_t m_end = 0; // bytes written
    std::unique_ptr<GrowingFileHasher> m_copy;
};
