#include "korverify/cli/toolrun.h"

void ToolRun::Begin(const std::vector<wxString>& files, unsigned passes)
{
    m_meter.Start(files.size(), TotalFileSize(files), passes);
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

void ToolObserver::CopyProgress(const FileTask&, std::uint64_t, std::uint64_t copied)
{
    m_meter.PassAt(copied);
}

void ToolObserver::Copied(const FileTask& task, const FileCopyResult&)
{
    m_meter.PassDone(task.size);
}

void ToolObserver::Hashed(const FileTask& task, FileSide, const wxString&)
{
    m_meter.PassDone(task.size);
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
