#include "korverify/cli/comparecommand.h"

#include "korverify/cli/output.h"
#include "korverify/cli/resulttable.h"
#include "korverify/cli/toolrun.h"
#include "korverify/cli/treeargs.h"

#include "korverify/listing.h"
#include "korverify/treecompare.h"

#include "korbase/files.h"

#include <wx/intl.h>

namespace
{

class CompareObserver : public ToolObserver
{
public:
    CompareObserver(ProgressMeter& meter, const CommandLine& line, const CompareJob& job, RunSummary& summary)
        : ToolObserver(meter, line, summary), m_job(job)
    {
    }

protected:
    // A pair is two files read.
    std::size_t FilesIn(const FileTask& task) const override
    {
        return (task.source.empty() ? 0 : 1) + (task.destination.empty() ? 0 : 1);
    }

    void OnFile(const FileTask& task, const FileOutcome& outcome) override
    {
        wxString status;
        wxString comparison;
        FailureKind kind = FailureKind::Differs;
        switch (task.kind)
        {
        case TreeMatchKind::Pair:
            comparison = outcome.match ? _("Ok") : _("No");
            status = outcome.match ? _("OK") : _("DIFFERS");
            if (!outcome.match)
                m_summary.Count("differ");
            break;
        case TreeMatchKind::OnlyInSource:
            comparison = _("Only in Source");
            status = _("ONLY IN SOURCE");
            m_summary.Count("onlyInSource");
            break;
        case TreeMatchKind::OnlyInDestination:
            comparison = _("Only in Destination");
            status = _("ONLY IN DESTINATION");
            m_summary.Count("onlyInDestination");
            break;
        }
        m_rows.push_back(MakeRow(task.source, task.destination, outcome.sourceHash, _("Not needed"),
                                 outcome.destinationHash, comparison));
        wxString reason;
        if (KcvIsHashError(outcome.sourceHash) && !task.source.empty())
            reason = outcome.sourceHash;
        else if (KcvIsHashError(outcome.destinationHash) && !task.destination.empty())
            reason = outcome.destinationHash;
        if (!reason.empty())
        {
            kind = FailureKind::Unreadable;
            status = _("UNREADABLE");
        }
        const wxString shown = task.source.empty() ? FilenameAbsoluteToRelative(task.destination, m_job.destinationBase)
                                                   : FilenameAbsoluteToRelative(task.source, m_job.sourceBase);
        PrintFileResult(shown, status, reason, m_line.json);
        if (!outcome.failure.empty())
            m_summary.Fail(task.source.empty() ? task.destination : task.source, outcome.failure, kind);
    }

    void OnProblem(const ListingProblem& problem, FileSide side) override
    {
        const bool source = side == FileSide::Source;
        m_rows.push_back(MakeRow(source ? problem.path : "", source ? "" : problem.path, source ? problem.reason : "",
                                 _("Not possible"), source ? "" : problem.reason, _("No")));
        m_summary.Fail(problem.path, problem.reason, FailureKind::Unreadable);
        PrintFileResult(problem.path, _("NOT COMPARED"), problem.reason, m_line.json);
    }

private:
    const CompareJob& m_job;
};

} // namespace

RunSummary RunCompare(const CommandLine& line)
{
    RunSummary summary("compare");
    // Absolute, so that the log names files wherever it is checked from.
    const wxString source = AbsolutePath(line.paths[0]);
    const wxString destination = AbsolutePath(line.paths[1]);
    if (!RequireFolder(source, summary) || !RequireFolder(destination, summary))
        return summary;

    CompareJob job;
    job.emptySideIsOneSided = true;
    FolderListing sourceListing = ListFolder(source, true);
    FolderListing destinationListing = ListFolder(destination, true);
    job.sourceFiles = std::move(sourceListing.files);
    job.sourceProblems = std::move(sourceListing.problems);
    job.sourceBase = source;
    job.destinationFiles = std::move(destinationListing.files);
    job.destinationProblems = std::move(destinationListing.problems);
    job.destinationBase = destination;

    ToolRun run;
    CompareObserver observer(run.Meter(), line, job, summary);
    std::vector<wxString> all = job.sourceFiles;
    all.insert(all.end(), job.destinationFiles.begin(), job.destinationFiles.end());
    run.Begin(all);
    const OperationSummary result = CompareListedTrees(job, line.algorithm, observer, run.Stop());
    run.Meter().Finish();
    CountOperation(result, "matched", summary);
    FinishRows(line, _("Compare Source and Destination"), observer.Rows(), summary);
    return summary;
}
