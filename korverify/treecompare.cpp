#include "korverify/treecompare.h"

namespace
{

class TreeComparer
{
public:
    TreeComparer(const CompareJob& job, HashAlgorithm algorithm, OperationObserver& observer)
        : m_job(job), m_algorithm(algorithm), m_observer(observer)
    {
    }

    void Row(const TreeMatchRow& match, std::size_t index, std::size_t count)
    {
        FileTask task;
        task.index = index;
        task.count = count;
        task.kind = match.kind;
        if (match.source != TreeMatchRow::kNoFile)
            task.source = m_job.sourceFiles[match.source];
        if (match.destination != TreeMatchRow::kNoFile)
            task.destination = m_job.destinationFiles[match.destination];
        task.size = FileSizeOf(task.source.empty() ? task.destination : task.source);
        m_observer.FileBegins(task);

        FileOutcome outcome;
        if (!task.source.empty())
            outcome.sourceHash = Hash(task, FileSide::Source, task.source, task.size);
        if (!task.destination.empty())
            outcome.destinationHash = Hash(task, FileSide::Destination, task.destination,
                                           task.source.empty() ? task.size : FileSizeOf(task.destination));
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
    wxString Hash(const FileTask& task, FileSide side, const wxString& file, std::uint64_t size)
    {
        m_observer.HashBegins(task, side, size);
        const wxString hash = HashFileOnSide(file, m_algorithm, side);
        m_observer.Hashed(task, side, hash);
        return hash;
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
    bool destinationPass = false;
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (rows[i].kind == TreeMatchKind::OnlyInDestination && !destinationPass)
        {
            destinationPass = true;
            if (stopped(true))
                return summary;
        }
        comparer.Row(rows[i], i, rows.size());
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
