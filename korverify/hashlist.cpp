#include "korverify/hashlist.h"

#include "korverify/orderedwork.h"

#include <utility>
#include <vector>

namespace
{

// A file hashed ahead of its turn.
struct HashedAhead
{
    std::uint64_t size = 0;
    wxString hash;
};

} // namespace

OperationSummary HashFiles(const HashJob& job, OperationObserver& observer, const StopToken& stop)
{
    OperationSummary summary;
    const std::size_t n = job.files.size();
    std::vector<HashedAhead> ahead(OrderedWork::WINDOW);
    OrderedWork work(n, [&](std::size_t i) {
        HashedAhead& slot = ahead[i % OrderedWork::WINDOW];
        FileToHash file(job.files[i], job.side);
        slot.size = file.Size();
        if (slot.size > HASH_AHEAD_MAX_BYTES)
            return false;
        slot.hash = file.Hash(job.algorithm);
        return true;
    });
    for (std::size_t i = 0; i < n; ++i)
    {
        HashedAhead& slot = ahead[i % OrderedWork::WINDOW];
        const bool done = work.Take(i);
        FileTask task;
        task.index = i;
        task.count = n;
        (job.side == FileSide::Source ? task.source : task.destination) = job.files[i];
        task.size = done ? slot.size : FileSizeOf(job.files[i]);
        observer.FileBegins(task);
        observer.HashBegins(task, job.side, task.size);

        FileOutcome outcome;
        wxString& hash = job.side == FileSide::Source ? outcome.sourceHash : outcome.destinationHash;
        hash = done ? std::move(slot.hash) : HashFileOnSide(job.files[i], job.algorithm, job.side);
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
