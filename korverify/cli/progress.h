#pragma once

// The progress line on stderr, "3/10 files, 1.5 MB of 4.0 MB · 12 MB/s · 0:02 left", redrawn in
// place at most ten times a second. It shows only when stderr is a terminal, so a
// script's logs stay clean.

#include "korverify/throughput.h"

#include <wx/string.h>

#include <chrono>
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

    // The work ahead; the clock for speed and time left starts here.
    void Start(std::size_t files, std::uint64_t bytes);
    // Bytes read or written since the last call, within the current file.
    void AddBytes(std::uint64_t bytes);
    // `files` files are done; `bytes` is their whole size (what AddBytes has not yet
    // reported of it is added).
    void FileDone(std::uint64_t bytes, std::size_t files = 1);
    // Clears the line, so that what follows starts at the left margin; the next
    // update draws it again.
    void Finish();

private:
    void Draw(bool force);

    const bool m_enabled;
    std::mutex m_mutex; // engine callbacks may come from more than one thread
    std::size_t m_files = 0;
    std::size_t m_doneFiles = 0;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_doneBytes = 0;
    std::uint64_t m_fileBytesReported = 0;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    Throughput m_throughput{0, 0};
    std::chrono::steady_clock::time_point m_lastDraw{};
    std::size_t m_drawnWidth = 0;
};
