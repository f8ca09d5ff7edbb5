#pragma once

#include <wx/string.h>

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
