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

void ProgressMeter::Start(std::size_t files, std::uint64_t bytes, unsigned passes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_files = files;
    m_bytes = bytes;
    m_tally.Start(files, bytes, passes);
    Draw(true);
}

void ProgressMeter::PassAt(std::uint64_t done)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tally.PassAt(done);
    Draw(false);
}

void ProgressMeter::PassDone(std::uint64_t size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tally.PassDone(size);
    Draw(false);
}

void ProgressMeter::FileDone(std::uint64_t bytes, std::size_t files)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tally.FileDone(bytes, files);
    Draw(m_tally.FilesDone() == m_files);
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
    if (!m_tally.Sample() && !force)
        return;
    const auto done = static_cast<std::size_t>(m_tally.FilesDone());
    const std::string line = (wxString::Format(_("%zu/%zu files, %s of %s"), done, m_files,
                                               Megabytes(m_tally.BytesDone()), Megabytes(m_bytes)) +
                              FormatThroughputSuffix(m_tally.Figures()))
                                 .utf8_string();
    const std::size_t width = line.size();
    std::fprintf(stderr, "\r%s%*s", line.c_str(), static_cast<int>(m_drawnWidth > width ? m_drawnWidth - width : 0),
                 "");
    std::fflush(stderr);
    m_drawnWidth = std::max(m_drawnWidth, width);
}
