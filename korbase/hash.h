#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <memory>

// Hash algorithms, numbered as the hash type choice of the copy-and-verify tool.
enum HashAlgorithm
{
    HASH_MD5 = 0,
    HASH_SHA1 = 1,
    HASH_SHA256 = 2,
    HASH_SHA384 = 3,
    HASH_SHA512 = 4,
    // xxHash family (seed 0), as xxhsum -H1, -H3 and -H2 print them.
    HASH_XXH64 = 5,
    HASH_XXH3 = 6,
    HASH_XXH128 = 7,
};

namespace kcvdetail
{
class Digest;
}

// A hash computed as the bytes come: Update() with them in order, then Finish() for
// the text that KcvCalcHashFromFile gives for a file holding those bytes. One per
// stream of bytes, used by one thread at a time.
class KcvHasher
{
public:
    explicit KcvHasher(HashAlgorithm algorithm);
    ~KcvHasher();
    KcvHasher(KcvHasher&&) noexcept;
    KcvHasher& operator=(KcvHasher&&) noexcept;

    // False for an algorithm outside the enumeration (or no memory for it): Update()
    // does nothing and Finish() gives an error text.
    bool Ok() const { return m_digest != nullptr; }
    void Update(const void* data, std::size_t size);
    // Feeds `size` zero bytes (a hole of a sparse file).
    void UpdateZeros(std::uint64_t size);
    // Feeds the bytes of `fd` from `offset` on, up to `length` of them or its end, read
    // with pread. The number of bytes fed, or -1 with errno set on a read error.
    // `knownSize`, the size the open file showed: a read that comes back short right
    // there is its end, without asking once more (a small file is then one read).
    std::int64_t UpdateFromFile(int fd, std::uint64_t offset = 0, std::uint64_t length = UINT64_MAX,
                                std::uint64_t knownSize = UINT64_MAX);
    // The hash text, lowercase hexadecimal; once, after the last Update().
    wxString Finish();

private:
    std::unique_ptr<kcvdetail::Digest> m_digest;
};

// The error text for a file that cannot be read because of `err` (an errno value):
// "Unreadable: <reason>", never a valid hash.
wxString KcvUnreadableText(int err);

// The hash of what `fd` holds from its start, as KcvCalcHashFromFile gives it;
// `knownSize` as for KcvHasher::UpdateFromFile.
wxString KcvCalcHashFromFd(int fd, HashAlgorithm algorithm, std::uint64_t knownSize = UINT64_MAX);

// The hash of the file's bytes as lowercase hexadecimal text. Safe to call from any thread.
//
// A file that cannot be read (missing, no permission, read error) yields an error text
// instead, "Unreadable: <reason>" (not translated: it is made on worker threads). Such a text is never a valid hash, since
// it contains characters other than 0-9 and a-f; KcvIsHashError() tells the two apart.
// Two error texts must never be taken for matching hashes: use KcvHashesMatch().
// `flag` is kept for callers of the older interface and has no effect.
wxString KcvCalcHashFromFile(const wxString& path, HashAlgorithm algorithm, bool flag = true);

// True when `text` is not a hash: empty, or an error text from KcvCalcHashFromFile.
bool KcvIsHashError(const wxString& text);

// Exact, case-sensitive comparison of two hash texts; false if either is not a hash.
bool KcvHashesMatch(const wxString& a, const wxString& b);

// The algorithm's display name ("MD5", "SHA1", ..., "XXH128"); empty for a value outside the enumeration.
wxString HashAlgorithmName(HashAlgorithm algorithm);
