#pragma once

// Speed and time left of a long copy or hashing operation. The operation's thread
// feeds it the amounts done so far; readers get smoothed rates and a time left that
// moves steadily instead of jumping with every file. Not thread-safe: one owner
// updates and reads it (copy the object to hand figures to another thread).

#include "korverify/sizesurvey.h"

#include <wx/intl.h>
#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Throughput
{
public:
    // Samples closer together than this are merged, so the figures change at most ten
    // times a second however often Update is called.
    static constexpr double kMinSampleSeconds = 0.1;
    // Time constant of the exponential smoothing of rates and time left.
    static constexpr double kSmoothingSeconds = 2.0;

    // `totalBytes` and `totalFiles`: what the whole operation has to do. Without the
    // bytes, the time left is reckoned by files until SetTotalBytes.
    Throughput(std::optional<std::uint64_t> totalBytes, std::uint64_t totalFiles);
    void SetTotalBytes(std::uint64_t totalBytes) { m_totalBytes = totalBytes; }

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

    std::optional<std::uint64_t> m_totalBytes;
    std::uint64_t m_totalFiles = 0;
    std::uint64_t m_bytes = 0; // at the last accepted sample
    std::uint64_t m_files = 0;
    double m_seconds = 0;
    bool m_started = false; // a first interval has been measured
    double m_bytesPerSecond = 0;
    double m_filesPerSecond = 0;
    double m_secondsLeft = -1;
};

// The words of the suffix below, translated when constructed: build them on the
// thread that owns the translations (the main thread), use them on any.
struct ThroughputWords
{
    wxString gigabytesPerSecond = _("%.1f GB/s");
    wxString megabytesPerSecond = _("%.0f MB/s");
    wxString kilobytesPerSecond = _("%.0f kB/s");
    wxString filesPerSecond = _("%.0f files/s");
    wxString left = _("%s left");
};

// " · 310 MB/s · 0:12 left" (with " · 850 files/s" after the bytes for many small
// files); empty while nothing is known.
wxString FormatThroughputSuffix(const Throughput& throughput, const ThroughputWords& words = ThroughputWords());

// The size of all `files` together (following links; what cannot be looked at counts 0).
std::uint64_t TotalFileSize(const std::vector<wxString>& files);

// Counts an operation's progress from what its observer hears and feeds it to a
// Throughput, at most ten times a second. A file's bytes count once, however many
// passes the operation makes over them (a verified copy hashes, copies and hashes
// again); each pass moves them on by its share. Not thread-safe, like Throughput.
class ProgressTally
{
public:
    // Seconds on a clock that never goes back; tests hand in their own.
    using Clock = std::function<double()>;
    static double SteadySeconds();

    explicit ProgressTally(Clock clock = SteadySeconds) : m_clock(std::move(clock)) {}

    // The work ahead: `files` files of `bytes` bytes in all, `passes` passes over each.
    // The clock for speed and time left starts here.
    void Start(std::uint64_t files, std::uint64_t bytes, unsigned passes = 1);
    // The same for the files of `lists`, whose bytes are added up by a SizeSurvey
    // while the operation runs.
    void Start(std::uint64_t files, std::vector<SharedPaths> lists, unsigned passes = 1);
    // The current pass over the current file has reached `done` bytes.
    void PassAt(std::uint64_t done);
    // The current pass is complete, `size` bytes; the next one starts from 0.
    void PassDone(std::uint64_t size);
    // `files` more files done, of `bytes` in all: what their passes left out is counted.
    void FileDone(std::uint64_t bytes, std::uint64_t files = 1);

    // Feeds the amounts done to the figures when a tenth of a second has passed since
    // the last time; true when it did.
    bool Sample();

    const Throughput& Figures() const { return m_throughput; }
    std::uint64_t FilesDone() const { return m_doneFiles; }
    std::uint64_t BytesDone() const;

private:
    Clock m_clock;
    Throughput m_throughput{0, 0};
    std::unique_ptr<SizeSurvey> m_survey; // until its total is in
    unsigned m_passes = 1;
    std::uint64_t m_doneFiles = 0;
    std::uint64_t m_doneBytes = 0; // of finished files
    std::uint64_t m_fileWork = 0;  // bytes of the current file's finished passes
    std::uint64_t m_passAt = 0;    // bytes of its current pass
    double m_start = 0;
    double m_lastSample = 0;
};
