#include "korverify/hashlist.h"

OperationSummary HashFiles(const HashJob& job, OperationObserver& observer, const StopToken& stop)
{
    OperationSummary summary;
    const std::size_t n = job.files.size();
    for (std::size_t i = 0; i < n; ++i)
    {
        FileTask task;
        task.index = i;
        task.count = n;
        (job.side == FileSide::Source ? task.source : task.destination) = job.files[i];
        task.size = FileSizeOf(job.files[i]);
        observer.FileBegins(task);
        observer.HashBegins(task, job.side, task.size);

        FileOutcome outcome;
        wxString& hash = job.side == FileSide::Source ? outcome.sourceHash : outcome.destinationHash;
        hash = HashFileOnSide(job.files[i], job.algorithm, job.side);
        observer.Hashed(task, job.side, hash);
        if (KcvIsHashError(hash))
            outcome.failure = hash.empty() ? wxString("No hash algorithm") : hash;
        CountOutcome(summary, task, outcome);
        observer.FileEnds(task, outcome);
        if (stop.Requested())
        {
            summary.stopped = true;
            return summary;
        }
    }
    ReportProblems(summary, job.problems, job.side, observer);
    return summary;
}
