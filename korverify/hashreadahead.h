#pragma once

#include <wx/string.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Hashes the files of a list a few files ahead of a worker that walks the list in
// order, on a thread of its own. A copy-and-verify of many small files is mostly
// per-file work (open, read, hash, close); with the next source hashes computed
// while the worker copies a file and hashes its copy, the second core shares it.
//
// Only files up to `maxBytes` are read ahead. A bigger file is left to the worker,
// which shows its own progress for big files, and the read-ahead waits until the
// worker has taken it: two streams of big reads would make a hard disk seek between
// them.
//
// The hash function must be safe to call from any thread. The read-ahead thread
// stops and is joined when the object goes away.
class HashReadAhead
{
public:
    using HashFunction = std::function<wxString(const wxString& file)>;

    // Files at most this many places ahead of the one the worker takes are hashed.
    static constexpr std::size_t WINDOW = 64;

    // `files` is owned by the read-ahead: pass strings that share nothing with
    // another thread's.
    HashReadAhead(std::vector<wxString> files, HashFunction hash, std::uint64_t maxBytes);
    ~HashReadAhead();

    HashReadAhead(const HashReadAhead&) = delete;
    HashReadAhead& operator=(const HashReadAhead&) = delete;

    // Moves the hash of files[index] into `hash` when it was computed ahead, and
    // so the file held at most `maxBytes`. False when the caller must hash the file
    // itself: a bigger file, one that could not be looked at, or one the read-ahead
    // has not got to. Indexes are taken in increasing order.
    bool Take(std::size_t index, wxString& hash);

private:
    struct Result
    {
        bool computed = false; // false: left to the worker
        wxString hash;
    };

    void Run();
    bool ReadAheadAllowed(const wxString& file) const;

    const std::vector<wxString> m_files;
    const HashFunction m_hash;
    const std::uint64_t m_maxBytes;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_next = 0;       // the next file the read-ahead looks at
    std::size_t m_taken = 0;      // files below this one have been taken by the worker
    std::size_t m_busy = SIZE_MAX; // the file being hashed ahead now
    bool m_cancelled = false;
    std::map<std::size_t, Result> m_results;

    std::thread m_thread; // last: starts once everything above is set up
};
