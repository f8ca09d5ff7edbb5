#pragma once

// Hashing one file on a thread of its own while the caller does something else, such
// as hashing the other side of a pair: a compare of one big file then takes as long
// as the slower of its two hashes instead of their sum.

#include "korverify/operation.h"

#include <thread>

class BackgroundHash
{
public:
    // Starts hashing `path` on `side` (HashFileOnSide) at once.
    BackgroundHash(wxString path, HashAlgorithm algorithm, FileSide side);
    // Waits for the hash if Result was not called.
    ~BackgroundHash();

    BackgroundHash(const BackgroundHash&) = delete;
    BackgroundHash& operator=(const BackgroundHash&) = delete;

    // Waits for the hash and returns it; call once.
    wxString Result();

private:
    const wxString m_path; // the thread's own copy, shared with nobody else
    wxString m_hash;       // written by the thread, read after it is joined
    std::thread m_thread;  // last: starts once everything above is set up
};
