#include "korbase/hash.h"

#include <openssl/evp.h>
#include <xxhash.h>
#if defined(__x86_64__) || defined(__i386__)
// XXH3 updates through the library's run-time choice of AVX2 or SSE2 code.
#include <xxh_x86dispatch.h>
#endif

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

// One running hash computation: fed the file's bytes in order, then asked for its
// digest in the byte order its usual command-line tool prints.
class kcvdetail::Digest
{
public:
    virtual ~Digest() = default;
    virtual void Update(const unsigned char* data, size_t size) = 0;
    virtual std::vector<unsigned char> Final() = 0;
};

namespace
{

using kcvdetail::Digest;

struct MdCtxFree
{
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

class OpenSslDigest : public Digest
{
public:
    explicit OpenSslDigest(const EVP_MD* md)
    {
        if (m_ctx && EVP_DigestInit_ex(m_ctx.get(), md, nullptr) != 1)
            m_ctx.reset();
    }
    bool Ok() const { return m_ctx != nullptr; }
    void Update(const unsigned char* data, size_t size) override { EVP_DigestUpdate(m_ctx.get(), data, size); }
    std::vector<unsigned char> Final() override
    {
        std::vector<unsigned char> digest(EVP_MAX_MD_SIZE);
        unsigned int length = 0;
        EVP_DigestFinal_ex(m_ctx.get(), digest.data(), &length);
        digest.resize(length);
        return digest;
    }

private:
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> m_ctx{EVP_MD_CTX_new()};
};

// xxhsum prints the canonical (big-endian) form; XXH128 high half first.
template <typename Canonical>
std::vector<unsigned char> Bytes(const Canonical& canonical)
{
    return std::vector<unsigned char>(canonical.digest, canonical.digest + sizeof canonical.digest);
}

class Xxh64Digest : public Digest
{
public:
    Xxh64Digest() { XXH64_reset(m_state.get(), 0); }
    void Update(const unsigned char* data, size_t size) override { XXH64_update(m_state.get(), data, size); }
    std::vector<unsigned char> Final() override
    {
        XXH64_canonical_t canonical;
        XXH64_canonicalFromHash(&canonical, XXH64_digest(m_state.get()));
        return Bytes(canonical);
    }

private:
    std::unique_ptr<XXH64_state_t, XXH_errorcode (*)(XXH64_state_t*)> m_state{XXH64_createState(), XXH64_freeState};
};

class Xxh3Digest : public Digest
{
public:
    explicit Xxh3Digest(bool wide) : m_wide(wide)
    {
        if (m_wide)
            XXH3_128bits_reset(m_state.get());
        else
            XXH3_64bits_reset(m_state.get());
    }
    void Update(const unsigned char* data, size_t size) override
    {
        if (m_wide)
            XXH3_128bits_update(m_state.get(), data, size);
        else
            XXH3_64bits_update(m_state.get(), data, size);
    }
    std::vector<unsigned char> Final() override
    {
        if (m_wide)
        {
            XXH128_canonical_t canonical;
            XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(m_state.get()));
            return Bytes(canonical);
        }
        XXH64_canonical_t canonical;
        XXH64_canonicalFromHash(&canonical, XXH3_64bits_digest(m_state.get()));
        return Bytes(canonical);
    }

private:
    bool m_wide = false;
    std::unique_ptr<XXH3_state_t, XXH_errorcode (*)(XXH3_state_t*)> m_state{XXH3_createState(), XXH3_freeState};
};

std::unique_ptr<Digest> DigestFor(HashAlgorithm algorithm)
{
    const EVP_MD* md = nullptr;
    switch (algorithm)
    {
    case HASH_MD5: md = EVP_md5(); break;
    case HASH_SHA1: md = EVP_sha1(); break;
    case HASH_SHA256: md = EVP_sha256(); break;
    case HASH_SHA384: md = EVP_sha384(); break;
    case HASH_SHA512: md = EVP_sha512(); break;
    case HASH_XXH64: return std::make_unique<Xxh64Digest>();
    case HASH_XXH3: return std::make_unique<Xxh3Digest>(false);
    case HASH_XXH128: return std::make_unique<Xxh3Digest>(true);
    }
    if (!md)
        return nullptr;
    auto digest = std::make_unique<OpenSslDigest>(md);
    return digest->Ok() ? std::move(digest) : nullptr;
}

// Not translated: workers call this, and the translation lookup is not thread-safe.
wxString ErrorText(int err)
{
    char message[256];
    const char* reason = strerror_r(err, message, sizeof message);
    return "Unreadable: " + wxString::FromUTF8(reason);
}

// One buffer per thread: many small files then cost no allocation each. It stays
// within the second-level cache, where xxHash reads it back at full speed.
std::vector<unsigned char>& ReadBuffer()
{
    thread_local std::vector<unsigned char> buffer(256 * 1024);
    return buffer;
}

} // namespace

KcvHasher::KcvHasher(HashAlgorithm algorithm) : m_digest(DigestFor(algorithm)) {}
KcvHasher::~KcvHasher() = default;
KcvHasher::KcvHasher(KcvHasher&&) noexcept = default;
KcvHasher& KcvHasher::operator=(KcvHasher&&) noexcept = default;

void KcvHasher::Update(const void* data, std::size_t size)
{
    if (m_digest)
        m_digest->Update(static_cast<const unsigned char*>(data), size);
}

void KcvHasher::UpdateZeros(std::uint64_t size)
{
    static const std::vector<unsigned char> zeros(64 * 1024);
    for (std::uint64_t left = size; left > 0;)
    {
        const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, zeros.size()));
        Update(zeros.data(), piece);
        left -= piece;
    }
}

std::int64_t KcvHasher::UpdateFromFile(int fd, std::uint64_t offset, std::uint64_t length, std::uint64_t knownSize)
{
    std::vector<unsigned char>& buffer = ReadBuffer();
    std::uint64_t done = 0;
    while (done < length)
    {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, buffer.size()));
        const ssize_t got = pread(fd, buffer.data(), want, static_cast<off_t>(offset + done));
        if (got == 0)
            break;
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            return -1;
        }
        Update(buffer.data(), static_cast<size_t>(got));
        done += static_cast<std::uint64_t>(got);
        if (static_cast<std::size_t>(got) < want && offset + done == knownSize)
            break;
    }
    return static_cast<std::int64_t>(done);
}

wxString KcvHasher::Finish()
{
    if (!m_digest)
        return ErrorText(EINVAL);
    const std::vector<unsigned char> bytes = m_digest->Final();
    static const char hex[] = "0123456789abcdef";
    std::string text(bytes.size() * 2, '0');
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        text[2 * i] = hex[bytes[i] >> 4];
        text[2 * i + 1] = hex[bytes[i] & 0x0f];
    }
    return wxString::FromAscii(text.c_str());
}

wxString KcvUnreadableText(int err)
{
    return ErrorText(err);
}

wxString KcvCalcHashFromFd(int fd, HashAlgorithm algorithm, std::uint64_t knownSize)
{
    KcvHasher hasher(algorithm);
    if (!hasher.Ok())
        return hasher.Finish();
    if (hasher.UpdateFromFile(fd, 0, UINT64_MAX, knownSize) < 0)
        return ErrorText(errno);
    return hasher.Finish();
}

wxString KcvCalcHashFromFile(const wxString& path, HashAlgorithm algorithm, bool /*flag*/)
{
    if (HashAlgorithmName(algorithm).empty())
        return ErrorText(EINVAL);
    const int fd = open(path.fn_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ErrorText(errno);
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const wxString hash = KcvCalcHashFromFd(fd, algorithm);
    close(fd);
    return hash;
}

bool KcvIsHashError(const wxString& text)
{
    if (text.empty())
        return true;
    for (wxUniChar c : text)
    {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return true;
    }
    return false;
}

bool KcvHashesMatch(const wxString& a, const wxString& b)
{
    return a == b && !KcvIsHashError(a);
}

wxString HashAlgorithmName(HashAlgorithm algorithm)
{
    static const char* const names[] = {"MD5", "SHA1", "SHA256", "SHA384", "SHA512", "XXH64", "XXH3", "XXH128"};
    const int index = static_cast<int>(algorithm);
    return index >= 0 && index < static_cast<int>(std::size(names)) ? wxString(names[index]) : wxString();
}
