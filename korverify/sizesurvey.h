#pragma once

// Adds up the sizes of an operation's files on a thread of its own, so that the
// operation starts on its files at once: 100,000 looks at file sizes take a good
// part of a second, and only the time left needs their sum.

#include "korverify/listing.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

class SizeSurvey
{
public:
    explicit SizeSurvey(std::vector<SharedPaths> lists);
    // Stops the survey where it is and waits for its thread.
    ~SizeSurvey();

    SizeSurvey(const SizeSurvey&) = delete;
    SizeSurvey& operator=(const SizeSurvey&) = delete;

    // The size of every file of the lists together (following links; what cannot be
    // looked at counts 0) once all are looked at; nothing before.
    std::optional<std::uint64_t> Total() const;

private:
    void Run();

    const std::vector<SharedPaths> m_lists;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::uint64_t m_total = 0; // the thread's until m_done
    std::thread m_thread;      // last: starts once everything above is set up
};
