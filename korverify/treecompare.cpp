#include "korverify/treecompare.h"

#include "korverify/backgroundhash.h"
#include "korverify/hashlist.h"
#include "korverify/orderedwork.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace
{

// A row's sizes and hashes, worked out ahead of its turn.
struct RowAhead
{
    std::uint64_t size = 0;            // of the source, else of the destination
    std::uint64_t destinationSize = 0; // of the destination, where there is one
    wxString sourceHash;
    wxString destinationHash;
};

class TreeComparer
{
public:
    TreeComparer(const CompareJob& job, HashAlgorithm algorithm, OperationObserver& observer)
        : m_job(job), m_algorithm(algorithm), m_observer(observer)
    {
    }

    // Sizes and hashes of `match` into `ahead`; false (nothing hashed) when a side is
    // big: such a row is hashed in its turn. Safe on any thread.
    bool WorkAhead(const TreeMatchRow& match, RowAhead& ahead) const
    {
        // Both opened before either is read: a big side leaves the whole row unread.
        std::optional<FileToHash> source, destination;
        if (const wxString* path = SourceOf(match))
            source.emplace(*path, FileSide::Source);
        if (const wxString* path = DestinationOf(match))
            destination.emplace(*path, FileSide::Destination);
        ahead.destinationSize = destination ? destination->Size() : 0;
        ahead.size = source ? source->Size() : ahead.destinationSize;
        if (ahead.size > HASH_AHEAD_MAX_BYTES || ahead.destinationSize > HASH_AHEAD_MAX_BYTES)
            return false;
        if (source)
            ahead.sourceHash = source->Hash(m_algorithm);
        if (destination)
            ahead.destinationHash = destination->Hash(m_algorithm);
        return true;
    }

    // Reports one row; `done` tells whether `ahead` holds its hashes, else the row is
    // measured and hashed now.
    void Row(const TreeMatchRow& match, std::size_t index, std::size_t count, RowAhead& ahead, bool done)
    {
        FileTask task;
        task.index = index;
        task.count = count;
        task.kind = match.kind;
        const wxString* source = SourceOf(match);
        const wxString* destination = DestinationOf(match);
        if (source)
            task.source = *source;
        if (destination)
            task.destination = *destination;
        if (!done)
            Measure(source, destination, ahead);
        task.size = ahead.size;
        m_observer.FileBegins(task);

        FileOutcome outcome;
        if (done)
            Report(task, ahead, outcome);
        else if (source && destination && std::max(ahead.size, ahead.destinationSize) > HASH_AHEAD_MAX_BYTES)
            HashPairTogether(task, ahead.destinationSize, outcome);
        else
        {
            if (source)
                outcome.sourceHash = HashInTurn(task, FileSide::Source, ahead.size);
            if (destination)
                outcome.destinationHash = HashInTurn(task, FileSide::Destination, ahead.destinationSize);
        }
        switch (match.kind)
        {
        case TreeMatchKind::Pair:
            outcome.compared = true;
            outcome.match = KcvHashesMatch(outcome.sourceHash, outcome.destinationHash);
            if (!outcome.match)
                outcome.failure = KcvIsHashError(outcome.sourceHash)        ? "Source: " + outcome.sourceHash
                                  : KcvIsHashError(outcome.destinationHash) ? "Destination: " + outcome.destinationHash
                                                                            : wxString("Hashes differ");
            break;
        case TreeMatchKind::OnlyInSource:
            outcome.failure = "Only in the source";
            break;
        case TreeMatchKind::OnlyInDestination:
            outcome.failure = "Only in the destination";
            break;
        }
        CountOutcome(m_summary, task, outcome);
        m_observer.FileEnds(task, outcome);
    }

    OperationSummary& Summary() { return m_summary; }

private:
    const wxString* SourceOf(const TreeMatchRow& match) const
    {
        return match.source == TreeMatchRow::kNoFile ? nullptr : &m_job.sourceFiles[match.source];
    }
    const wxString* DestinationOf(const TreeMatchRow& match) const
    {
        return match.destination == TreeMatchRow::kNoFile ? nullptr : &m_job.destinationFiles[match.destination];
    }

    static void Measure(const wxString* source, const wxString* destination, RowAhead& ahead)
    {
        ahead.destinationSize = destination ? FileSizeOf(*destination) : 0;
        ahead.size = source ? FileSizeOf(*source) : ahead.destinationSize;
    }

    // Hands the hashes in `ahead` to the observer, side by side, into `outcome`.
    void Report(const FileTask& task, RowAhead& ahead, FileOutcome& outcome)
    {
        if (!task.source.empty())
        {
            m_observer.HashBegins(task, FileSide::Source, ahead.size);
            outcome.sourceHash = std::move(ahead.sourceHash);
            m_observer.Hashed(task, FileSide::Source, outcome.sourceHash);
        }
        if (!task.destination.empty())
        {
            m_observer.HashBegins(task, FileSide::Destination, ahead.destinationSize);
            outcome.destinationHash = std::move(ahead.destinationHash);
            m_observer.Hashed(task, FileSide::Destination, outcome.destinationHash);
        }
    }

    wxString HashInTurn(const FileTask& task, FileSide side, std::uint64_t size)
    {
        m_observer.HashBegins(task, side, size);
        wxString hash = HashFileOnSide(side == FileSide::Source ? task.source : task.destination, m_algorithm, side);
        m_observer.Hashed(task, side, hash);
        return hash;
    }

    // A big pair: the destination is read on a thread of its own while this one hashes
    // the source, so the row takes as long as the slower side.
    void HashPairTogether(const FileTask& task, std::uint64_t destinationSize, FileOutcome& outcome)
    {
        m_observer.HashBegins(task, FileSide::Source, task.size);
        m_observer.HashBegins(task, FileSide::Destination, destinationSize);
        BackgroundHash destination(task.destination, m_algorithm, FileSide::Destination);
        outcome.sourceHash = HashFileOnSide(task.source, m_algorithm, FileSide::Source);
        outcome.destinationHash = destination.Result();
        m_observer.Hashed(task, FileSide::Source, outcome.sourceHash);
        m_observer.Hashed(task, FileSide::Destination, outcome.destinationHash);
    }

    const CompareJob& m_job;
    const HashAlgorithm m_algorithm;
    OperationObserver& m_observer;
    OperationSummary m_summary;
};

} // namespace

OperationSummary CompareListedTrees(const CompareJob& job, HashAlgorithm algorithm, OperationObserver& observer,
                                    const StopToken& stop)
{
    TreeComparer comparer(job, algorithm, observer);
    OperationSummary& summary = comparer.Summary();
    const auto stopped = [&](bool inDestinationPass) {
        if (!stop.Requested())
            return false;
        summary.stopped = true;
        summary.stoppedInDestinationPass = inDestinationPass;
        return true;
    };

    std::vector<TreeMatchRow> rows =
        MatchTrees(job.sourceFiles, job.sourceBase, job.destinationFiles, job.destinationBase);
    if (job.emptySideIsOneSided && rows.empty())
    {
        const bool sourceSide = !job.sourceFiles.empty();
        for (std::size_t i = 0; i < (sourceSide ? job.sourceFiles : job.destinationFiles).size(); ++i)
            rows.push_back(sourceSide ? TreeMatchRow{TreeMatchKind::OnlyInSource, i, TreeMatchRow::kNoFile}
                                      : TreeMatchRow{TreeMatchKind::OnlyInDestination, TreeMatchRow::kNoFile, i});
    }
    // Rows are measured and hashed ahead on a second thread, and reported in order here.
    std::vector<RowAhead> ahead(OrderedWork::WINDOW);
    OrderedWork work(rows.size(), [&](std::size_t i) {
        RowAhead& slot = ahead[i % OrderedWork::WINDOW];
        slot = RowAhead();
        return comparer.WorkAhead(rows[i], slot);
    });
    bool destinationPass = false;
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (rows[i].kind == TreeMatchKind::OnlyInDestination && !destinationPass)
        {
            destinationPass = true;
            if (stopped(true))
                return summary;
        }
        const bool done = work.Take(i);
        comparer.Row(rows[i], i, rows.size(), ahead[i % OrderedWork::WINDOW], done);
        if (stopped(destinationPass))
            return summary;
    }
    // The destination side is still looked through when every file had a partner.
    if (!destinationPass && !job.sourceFiles.empty() && !job.destinationFiles.empty() && stopped(true))
        return summary;
    ReportProblems(summary, job.sourceProblems, FileSide::Source, observer);
    ReportProblems(summary, job.destinationProblems, FileSide::Destination, observer);
    return summary;
}
