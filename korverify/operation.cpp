#include "korverify/operation.h"

#include "korverify/storageread.h"

#include <wx/filefn.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace
{

// Below this a file is read in one go, and a read-ahead hint would be one more call.
constexpr std::uint64_t SEQUENTIAL_HINT_BYTES = 1 << 20;

} // namespace

wxString HashFileOnSide(const wxString& path, HashAlgorithm algorithm, FileSide side)
{
    return FileToHash(path, side).Hash(algorithm);
}

std::uint64_t FileSizeOf(const wxString& path)
{
    wxStructStat st;
    return wxStat(path, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

FileToHash::FileToHash(const wxString& path, FileSide side)
    : m_fd(::open(path.fn_str(), O_RDONLY | O_CLOEXEC)), m_error(m_fd.IsOpen() ? 0 : errno), m_side(side)
{
    struct stat st;
    if (m_fd.IsOpen() && ::fstat(m_fd.Get(), &st) == 0)
        m_size = static_cast<std::uint64_t>(st.st_size);
    else if (!m_fd.IsOpen())
        m_size = FileSizeOf(path);
}

wxString FileToHash::Hash(HashAlgorithm algorithm)
{
    if (HashAlgorithmName(algorithm).empty())
        return wxString();
    if (!m_fd.IsOpen())
        return KcvUnreadableText(m_error);
    if (m_side == FileSide::Destination)
        return HashFdFromStorage(m_fd.Get(), algorithm, m_size);
    if (m_size > SEQUENTIAL_HINT_BYTES)
        ::posix_fadvise(m_fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return KcvCalcHashFromFd(m_fd.Get(), algorithm, m_size);
}

void CountOutcome(OperationSummary& summary, const FileTask& task, const FileOutcome& outcome)
{
    ++summary.files;
    if (outcome.failure.empty())
        ++summary.succeeded;
    else
        summary.failures.push_back({task.source.empty() ? task.destination : task.source, outcome.failure});
}

void ReportProblems(OperationSummary& summary, const std::vector<ListingProblem>& problems, FileSide side,
                    OperationObserver& observer)
{
    auto& kept = side == FileSide::Source ? summary.sourceProblems : summary.destinationProblems;
    for (const ListingProblem& problem : problems)
    {
        kept.push_back(problem);
        observer.ProblemFound(problem, side);
    }
}
