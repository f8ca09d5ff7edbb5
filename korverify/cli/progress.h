#pragma once

// The progress line on stderr, "3/10 files, 1.5 MB of 4.0 MB · 12 MB/s · 0:02 left", redrawn in
// place at most ten times a second. It shows only when stderr is a terminal, so a
// script's logs stay clean.

#include "korverify/throughput.h"

#include <wx/string.h>

#include <cstdint>
#include <mutex>

class ProgressMeter
{
public:
    // `enabled` defaults to whether stderr is a terminal.
    ProgressMeter();
    explicit ProgressMeter(bool enabled) : m_enabled(enabled) {}
    ~ProgressMeter() { Finish(); }

    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // The work ahead, `passes` over each file (see ProgressTally); the clock for
    // speed and time left starts here.
    void Start(std::size_t files, std::uint64_t bytes, unsigned passes = 1);
    // The current pass over the current file has reached `done` bytes.
    void PassAt(std::uint64_t done);
    // The current pass over the current file is complete.
    void PassDone(std::uint64_t size);
    // `files` files are done; `bytes` is their whole size.
    void FileDone(std::uint64_t bytes, std::size_t files = 1);
    // Clears the line, so that what follows starts at the left margin; the next
    // update draws it again.
    void Finish();

private:
    void Draw(bool force);

    const bool m_enabled;
    std::mutex m_mutex; // engine callbacks may come from more than one thread
    std::size_t m_files = 0;
    std::uint64_t m_bytes = 0;
    ProgressTally m_tally;
    std::size_t m_drawnWidth = 0;
};
