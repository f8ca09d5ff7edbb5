#pragma once

// Verifying a big copy while it is being made. The copying thread says how far the
// file is written; a thread of this object reads each written piece back from the
// device (HashRangeFromStorage: written out, dropped from the cache, read) and hashes
// it, while the copy goes on with the next piece. So the copy's hash is ready soon
// after its last byte, and every byte hashed was read from the device.

#include "korverify/uniquefd.h"

#include "korbase/hash.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class GrowingFileHasher
{
public:
    // Opens `path`, the file being written, to read it, and starts the thread.
    GrowingFileHasher(const std::string& path, HashAlgorithm algorithm);
    ~GrowingFileHasher(); // stops the thread without waiting for the hash, and joins it
    GrowingFileHasher(const GrowingFileHasher&) = delete;
    GrowingFileHasher& operator=(const GrowingFileHasher&) = delete;

    // The first `end` bytes are written and stay as they are. Never decreasing.
    void Written(std::uint64_t end);
    // The file is complete with `size` bytes: waits until they are hashed and returns
    // the hash, or the error text of an unreadable file (KcvUnreadableText). Once.
    wxString Finish(std::uint64_t size);

private:
    void Run();

    UniqueFd m_file;
    const int m_openError;
    KcvHasher m_hasher;   // the thread's until it is joined
    int m_readError = 0;  // likewise

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_written = 0;
    bool m_complete = false;
    std::atomic<bool> m_cancelled{false};

    std::thread m_thread; // last: starts once everything above is set up
};
