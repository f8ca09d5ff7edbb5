#include "korbase/hash.h"

#include <openssl/evp.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

const EVP_MD* DigestFor(HashAlgorithm algorithm)
{
    switch (algorithm)
    {
    case HASH_MD5: return EVP_md5();
    case HASH_SHA1: return EVP_sha1();
    case HASH_SHA256: return EVP_sha256();
    case HASH_SHA384: return EVP_sha384();
    case HASH_SHA512: return EVP_sha512();
    }
    return nullptr;
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

struct MdCtxFree
{
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
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
    const EVP_MD* md = DigestFor(algorithm);
    if (!md)
        return ErrorText(EINVAL);

    FdCloser file{open(path.fn_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        return ErrorText(errno);
    posix_fadvise(file.fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1)
        return ErrorText(ENOMEM);

    // One buffer per thread: many small files then cost no allocation each.
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
        EVP_DigestUpdate(ctx.get(), buffer.data(), static_cast<size_t>(got));
    }

    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(ctx.get(), digest, &length);

    static const char hex[] = "0123456789abcdef";
    std::string text(length * 2, '0');
    for (unsigned int i = 0; i < length; ++i)
    {
        text[2 * i] = hex[digest[i] >> 4];
        text[2 * i + 1] = hex[digest[i] & 0x0f];
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
    static const char* const names[] = {"MD5", "SHA1", "SHA256", "SHA384", "SHA512"};
    const int index = static_cast<int>(algorithm);
    return index >= 0 && index < 5 ? wxString(names[index]) : wxString();
}
