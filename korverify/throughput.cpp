#include "korverify/throughput.h"

#include <wx/intl.h>

#include <algorithm>
#include <cmath>

namespace
{

// Files under this average size are dominated by per-file work.
constexpr double kSmallFileBytes = 1e6;

wxString FormatRate(double bytesPerSecond)
{
    if (bytesPerSecond >= 1e9)
        return wxString::Format(_("%.1f GB/s"), bytesPerSecond / 1e9);
    if (bytesPerSecond >= 1e6)
        return wxString::Format(_("%.0f MB/s"), bytesPerSecond / 1e6);
    return wxString::Format(_("%.0f kB/s"), bytesPerSecond / 1e3);
}

wxString FormatDuration(double seconds)
{
    const long total = std::lround(seconds);
    if (total >= 3600)
        return wxString::Format("%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    return wxString::Format("%ld:%02ld", total / 60, total % 60);
}

} // namespace

Throughput::Throughput(std::uint64_t totalBytes, std::uint64_t totalFiles)
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
    const bool bytesDone = m_bytes >= m_totalBytes;
    const bool filesDone = m_files >= m_totalFiles;
    if (bytesDone && filesDone)
        return 0;
    // Big files are bound by their bytes, small ones by the work per file; counting
    // whole files would make big ones jump by a file at a time.
    if (bytesDone || (ManySmallFiles() && !filesDone))
        return m_filesPerSecond > 0 ? static_cast<double>(m_totalFiles - m_files) / m_filesPerSecond : -1;
    return m_bytesPerSecond > 0 ? static_cast<double>(m_totalBytes - m_bytes) / m_bytesPerSecond : -1;
}

bool Throughput::ManySmallFiles() const
{
    return m_files > 1 && static_cast<double>(m_bytes) / static_cast<double>(m_files) < kSmallFileBytes;
}

wxString FormatThroughputSuffix(const Throughput& throughput)
{
    if (throughput.SecondsLeft() < 0)
        return wxString();
    const wxString separator = wxString::FromUTF8(" · ");
    wxString text = separator + FormatRate(throughput.BytesPerSecond());
    if (throughput.ManySmallFiles())
        text += separator + wxString::Format(_("%.0f files/s"), throughput.FilesPerSecond());
    return text + separator + wxString::Format(_("%s left"), FormatDuration(throughput.SecondsLeft()));
}
