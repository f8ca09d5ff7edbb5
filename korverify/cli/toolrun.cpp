#include "korverify/cli/toolrun.h"

void ToolRun::Begin(const std::vector<wxString>& files)
{
    std::uint64_t bytes = 0;
    for (const wxString& file : files)
        bytes += FileSizeOf(file);
    m_meter.Start(files.size(), bytes);
}

void CountOperation(const OperationSummary& result, const std::string& succeeded, RunSummary& summary)
{
    if (result.stopped)
        summary.SetStopped();
    summary.Count("files", result.files);
    summary.Count(succeeded, result.succeeded);
    summary.Count("failed", result.files - result.succeeded);
    summary.Count("problems", result.sourceProblems.size() + result.destinationProblems.size());
}

void ToolObserver::FileBegins(const FileTask&)
{
    m_copied = 0;
}

void ToolObserver::CopyProgress(const FileTask&, std::uint64_t, std::uint64_t copied)
{
    if (copied > m_copied)
        m_meter.AddBytes(copied - m_copied);
    m_copied = copied;
}

void ToolObserver::FileEnds(const FileTask& task, const FileOutcome& outcome)
{
    // The file's output goes where the progress line was; the line comes back below
    // it when its ten-a-second turn comes.
    m_meter.Finish();
    OnFile(task, outcome);
    m_meter.FileDone(task.size * FilesIn(task), FilesIn(task));
}

void ToolObserver::ProblemFound(const ListingProblem& problem, FileSide side)
{
    m_meter.Finish();
    OnProblem(problem, side);
}
