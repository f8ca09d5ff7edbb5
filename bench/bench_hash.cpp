// Hashing throughput of KcvCalcHashFromFile on a warm 1 GiB file, beside
// `openssl dgst` (or `xxhsum` for the xxHash family) on the same file.

#include "benchcommon.h"

#include "korbase/hash.h"

#include <cstdio>

int main(int argc, char** argv)
{
    korbench::WxSession wx(argc, argv);
    const std::string dir = korbench::FreshDir();
    const std::string file = dir + "/1GiB.bin";
    korbench::Run("head -c 1073741824 /dev/urandom > '" + file + "' && cat '" + file + "' > /dev/null");

    struct Algo
    {
        HashAlgorithm algorithm;
        const char* name;
        const char* reference;
    };
    const Algo algorithms[] = {
        {HASH_MD5, "md5", "openssl dgst -md5"},          {HASH_SHA1, "sha1", "openssl dgst -sha1"},
        {HASH_SHA256, "sha256", "openssl dgst -sha256"}, {HASH_SHA384, "sha384", "openssl dgst -sha384"},
        {HASH_SHA512, "sha512", "openssl dgst -sha512"}, {HASH_XXH3, "xxh3", "xxhsum -H3"}};
    bool ok = true;
    for (const Algo& a : algorithms)
    {
        wxString ours;
        ok &= korbench::Compare(
            std::string("hash_1GiB_") + a.name, 7,
            [&] { ours = KcvCalcHashFromFile(wxString(file), a.algorithm, true); },
            [&] { korbench::Run(std::string(a.reference) + " '" + file + "' > /dev/null"); }, 1.10);
        ok &= !KcvIsHashError(ours);
    }
    return ok ? 0 : 1;
}
