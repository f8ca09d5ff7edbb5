#include "korverify/cli/progress.h"

#include <wx/intl.h>

#include <unistd.h>

#include <algorithm>

#include <cstdio>

namespace
{

wxString Megabytes(std::uint64_t bytes)
{
    return wxString::Format("%.1f MB", bytes / 1e6);
}

} // namespace

ProgressMeter::ProgressMeter() : m_enabled(isatty(STDERR_FILENO) == 1) {}

void ProgressMeter::Start(std::size_t files, std::uint64_t bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_files = files;
    m_bytes = bytes;
    m_start = std::chrono::steady_clock::now();
    m_throughput = Throughput(bytes, files);
    Draw(true);
}

void ProgressMeter::AddBytes(std::uint64_t bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_doneBytes += bytes;
    m_fileBytesReported += bytes;
    Draw(false);
}

void ProgressMeter::FileDone(std::uint64_t bytes, std::size_t files)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (bytes > m_fileBytesReported)
        m_doneBytes += bytes - m_fileBytesReported;
    m_fileBytesReported = 0;
    m_doneFiles += files;
    Draw(m_doneFiles == m_files);
}

void ProgressMeter::Finish()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_enabled && m_drawnWidth > 0)
    {
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(m_drawnWidth), "");
        std::fflush(stderr);
        m_drawnWidth = 0;
    }
}

void ProgressMeter::Draw(bool force)
{
    if (!m_enabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastDraw < std::chrono::milliseconds(100))
        return;
    m_lastDraw = now;
    m_throughput.Update(m_doneBytes, m_doneFiles, std::chrono::duration<double>(now - m_start).count());
    const std::string line = (wxString::Format(_("%zu/%zu files, %s of %s"), m_doneFiles, m_files,
                                               Megabytes(m_doneBytes), Megabytes(m_bytes)) +
                              FormatThroughputSuffix(m_throughput))
                                 .utf8_string();
    const std::size_t width = line.size();
    std::fprintf(stderr, "\r%s%*s", line.c_str(), static_cast<int>(m_drawnWidth > width ? m_drawnWidth - width : 0),
                 "");
    std::fflush(stderr);
    m_drawnWidth = std::max(m_drawnWidth, width);
}
