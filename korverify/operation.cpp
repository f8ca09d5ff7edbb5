#include "korverify/operation.h"

#include "korverify/storageread.h"

#include <wx/filefn.h>

wxString HashFileOnSide(const wxString& path, HashAlgorithm algorithm, FileSide side)
{
    if (HashAlgorithmName(algorithm).empty())
        return wxString();
    return side == FileSide::Destination ? HashFromStorage(path, algorithm) : KcvCalcHashFromFile(path, algorithm, true);
}

std::uint64_t FileSizeOf(const wxString& path)
{
    wxStructStat st;
    return wxStat(path, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
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
