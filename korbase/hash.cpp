#include "korbase/hash.h"

#include <openssl/evp.h>
#include <xxhash.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

// One running hash computation: fed the file's bytes in order, then asked for its
// digest in the byte order its usual command-line tool prints.
class Digest
{
public:
    virtual ~Digest() = default;
    virtual void Update(const unsigned char* data, size_t size) = 0;
    virtual std::vector<unsigned char> Final() = 0;
};

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

struct FdCloser
{
    int fd = -1;
    ~FdCloser()
    {
        if (fd >= 0)
            close(fd);
    }
};

// Not translated: workers call this, and the translation lookup is not thread-safe.
wxString ErrorText(int err)
{
    char message[256];
    const char* reason = strerror_r(err, message, sizeof message);
    return "Unreadable: " + wxString::FromUTF8(reason);
}

} // namespace

wxString KcvCalcHashFromFile(const wxString& path, HashAlgorithm algorithm, bool /*flag*/)
{
    if (HashAlgorithmName(algorithm).empty())
        return ErrorText(EINVAL);

    FdCloser file{open(path.fn_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        return ErrorText(errno);
    posix_fadvise(file.fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    const std::unique_ptr<Digest> digest = DigestFor(algorithm);
    if (!digest)
        return ErrorText(ENOMEM);

    // One buffer per thread: many small files then cost no allocation each. It stays
    // within the second-level cache, where xxHash reads it back at full speed.
    constexpr size_t bufferSize = 256 * 1024;
    thread_local std::vector<unsigned char> buffer(bufferSize);
    for (;;)
    {
        const ssize_t got = read(file.fd, buffer.data(), buffer.size());
        if (got == 0)
            break;
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            return ErrorText(errno);
        }
        digest->Update(buffer.data(), static_cast<size_t>(got));
    }

    const std::vector<unsigned char> bytes = digest->Final();
    static const char hex[] = "0123456789abcdef";
    std::string text(bytes.size() * 2, '0');
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        text[2 * i] = hex[bytes[i] >> 4];
        text[2 * i + 1] = hex[bytes[i] & 0x0f];
    }
    return wxString::FromAscii(text.c_str());
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
