#include "korverify/throughput.h"

#include "korverify/operation.h"

#include <wx/intl.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace
{

// Files under this average size are dominated by per-file work.
constexpr double kSmallFileBytes = 1e6;

wxString FormatRate(double bytesPerSecond, const ThroughputWords& words)
{
    if (bytesPerSecond >= 1e9)
        return wxString::Format(words.gigabytesPerSecond, bytesPerSecond / 1e9);
    if (bytesPerSecond >= 1e6)
        return wxString::Format(words.megabytesPerSecond, bytesPerSecond / 1e6);
    return wxString::Format(words.kilobytesPerSecond, bytesPerSecond / 1e3);
}

wxString FormatDuration(double seconds)
{
    const long total = std::lround(seconds);
    if (total >= 3600)
        return wxString::Format("%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    return wxString::Format("%ld:%02ld", total / 60, total % 60);
}

} // namespace

Throughput::Throughput(std::optional<std::uint64_t> totalBytes, std::uint64_t totalFiles)
    : m_totalBytes(totalBytes), m_totalFiles(totalFiles)
{
}

void Throughput::Update(std::uint64_t bytesDone, std::uint64_t filesDone, double seconds)
{
    const double interval = seconds - m_seconds;
    // A millisecond of slack: a caller that samples every tenth of a second on a
    // jittering clock must not lose every other sample.
    if (bytesDone < m_bytes || filesDone < m_files || interval < kMinSampleSeconds - 0.001)
        return;
    const double bytesRate = static_cast<double>(bytesDone - m_bytes) / interval;
    const double filesRate = static_cast<double>(filesDone - m_files) / interval;
    // The weight of the new interval grows with its length, so irregular sampling
    // smooths the same as regular.
    const double weight = m_started ? 1.0 - std::exp(-interval / kSmoothingSeconds) : 1.0;
    m_bytesPerSecond += weight * (bytesRate - m_bytesPerSecond);
    m_filesPerSecond += weight * (filesRate - m_filesPerSecond);
    m_bytes = bytesDone;
    m_files = filesDone;
    m_seconds = seconds;
    m_started = true;

    const double raw = RawSecondsLeft();
    if (raw < 0)
        return;
    if (raw == 0 || m_secondsLeft < 0)
    {
        m_secondsLeft = raw;
        return;
    }
    // Time runs down by itself; the estimate only pulls it towards the new figure.
    const double elapsed = std::max(0.0, m_secondsLeft - interval);
    m_secondsLeft = elapsed + weight * (raw - elapsed);
}

double Throughput::RawSecondsLeft() const
{
    const bool filesDone = m_files >= m_totalFiles;
    const auto byFiles = [this] {
        return m_filesPerSecond > 0 ? static_cast<double>(m_totalFiles - m_files) / m_filesPerSecond : -1;
    };
    if (!m_totalBytes)
        return filesDone ? 0 : byFiles();
    const bool bytesDone = m_bytes >= *m_totalBytes;
    if (bytesDone && filesDone)
        return 0;
    // Big files are bound by their bytes, small ones by the work per file; counting
    // whole files would make big ones jump by a file at a time.
    if (bytesDone || (ManySmallFiles() && !filesDone))
        return byFiles();
    return m_bytesPerSecond > 0 ? static_cast<double>(*m_totalBytes - m_bytes) / m_bytesPerSecond : -1;
}

bool Throughput::ManySmallFiles() const
{
    return m_files > 1 && static_cast<double>(m_bytes) / static_cast<double>(m_files) < kSmallFileBytes;
}

wxString FormatThroughputSuffix(const Throughput& throughput, const ThroughputWords& words)
{
    if (throughput.SecondsLeft() < 0)
        return wxString();
    const wxString separator = wxString::FromUTF8(" · ");
    wxString text = separator + FormatRate(throughput.BytesPerSecond(), words);
    if (throughput.ManySmallFiles())
        text += separator + wxString::Format(words.filesPerSecond, throughput.FilesPerSecond());
    return text + separator + wxString::Format(words.left, FormatDuration(throughput.SecondsLeft()));
}

std::uint64_t TotalFileSize(const std::vector<wxString>& files)
{
    std::uint64_t bytes = 0;
    for (const wxString& file : files)
        bytes += FileSizeOf(file);
    return bytes;
}

double ProgressTally::SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void ProgressTally::Start(std::uint64_t files, std::vector<SharedPaths> lists, unsigned passes)
{
    Start(files, 0, passes);
    m_throughput = Throughput(std::nullopt, files);
    m_survey = std::make_unique<SizeSurvey>(std::move(lists));
}

void ProgressTally::Start(std::uint64_t files, std::uint64_t bytes, unsigned passes)
{
    m_survey.reset();
    m_throughput = Throughput(bytes, files);
    m_passes = std::max(1u, passes);
    m_doneFiles = 0;
    m_doneBytes = 0;
    m_fileWork = 0;
    m_passAt = 0;
    m_start = m_clock();
    m_lastSample = m_start;
}

void ProgressTally::PassAt(std::uint64_t done)
{
    m_passAt = done;
}

void ProgressTally::PassDone(std::uint64_t size)
{
    m_fileWork += size;
    m_passAt = 0;
}

void ProgressTally::FileDone(std::uint64_t bytes, std::uint64_t files)
{
    // Never less than its passes counted: the amount done must not go back.
    m_doneBytes += std::max(bytes, (m_fileWork + m_passAt) / m_passes);
    m_doneFiles += files;
    m_fileWork = 0;
    m_passAt = 0;
}

std::uint64_t ProgressTally::BytesDone() const
{
    return m_doneBytes + (m_fileWork + m_passAt) / m_passes;
}

bool ProgressTally::Sample()
{
    const double now = m_clock();
    if (now - m_lastSample < Throughput::kMinSampleSeconds)
        return false;
    m_lastSample = now;
    if (const std::optional<std::uint64_t> total = m_survey ? m_survey->Total() : std::nullopt)
    {
        m_throughput.SetTotalBytes(*total);
        m_survey.reset();
    }
    m_throughput.Update(BytesDone(), m_doneFiles, now - m_start);
    return true;
}
