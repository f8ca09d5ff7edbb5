#pragma once

// Speed and time left of a long copy or hashing operation. The operation's thread
// feeds it the amounts done so far; readers get smoothed rates and a time left that
// moves steadily instead of jumping with every file. Not thread-safe: one owner
// updates and reads it (copy the object to hand figures to another thread).

#include <wx/string.h>

#include <cstdint>

class Throughput
{
public:
    // Samples closer together than this are merged, so the figures change at most ten
    // times a second however often Update is called.
    static constexpr double kMinSampleSeconds = 0.1;
    // Time constant of the exponential smoothing of rates and time left.
    static constexpr double kSmoothingSeconds = 2.0;

    // `totalBytes` and `totalFiles`: what the whole operation has to do.
    Throughput(std::uint64_t totalBytes, std::uint64_t totalFiles);

    // The amounts done so far, `seconds` after the start. Amounts and time never go
    // back; a sample that does is ignored.
    void Update(std::uint64_t bytesDone, std::uint64_t filesDone, double seconds);

    // Smoothed rates; 0 before the first sample interval has passed.
    double BytesPerSecond() const { return m_bytesPerSecond; }
    double FilesPerSecond() const { return m_filesPerSecond; }

    // Smoothed seconds left; negative while nothing is known yet. 0 once all is done.
    double SecondsLeft() const { return m_secondsLeft; }

    // True when files are small enough that files per second says more than bytes.
    bool ManySmallFiles() const;

private:
    double RawSecondsLeft() const;

    std::uint64_t m_totalBytes = 0;
    std::uint64_t m_totalFiles = 0;
    std::uint64_t m_bytes = 0; // at the last accepted sample
    std::uint64_t m_files = 0;
    double m_seconds = 0;
    bool m_started = false; // a first interval has been measured
    double m_bytesPerSecond = 0;
    double m_filesPerSecond = 0;
    double m_secondsLeft = -1;
};

// " · 310 MB/s · 0:12 left" (with " · 850 files/s" after the bytes for many small
// files), translated; empty while nothing is known. Call it on the thread that
// owns the translations (the main thread).
wxString FormatThroughputSuffix(const Throughput& throughput);
