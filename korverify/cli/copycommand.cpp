#include "korverify/cli/copycommand.h"

#include "korverify/cli/output.h"
#include "korverify/cli/resulttable.h"
#include "korverify/cli/sumline.h"
#include "korverify/cli/toolrun.h"
#include "korverify/cli/treeargs.h"

#include "korverify/listing.h"
#include "korverify/treecopy.h"

#include "korbase/files.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

namespace
{

class CopyObserver : public ToolObserver
{
public:
    CopyObserver(ProgressMeter& meter, const CommandLine& line, const CopyJob& job, RunSummary& summary)
        : ToolObserver(meter, line, summary), m_job(job)
    {
    }

protected:
    void OnFile(const FileTask& task, const FileOutcome& outcome) override
    {
        const wxString copyStatus = !outcome.copyTried ? wxString() : outcome.copy.ok ? _("Success") : _("Failed");
        const wxString comparison = !outcome.compared ? wxString() : outcome.match ? _("Ok") : _("No");
        m_rows.push_back(MakeRow(task.source, task.destination, outcome.sourceHash, copyStatus, outcome.destinationHash,
                                 comparison));
        // Named as in both trees: relative to their folders.
        const wxString shown = FilenameAbsoluteToRelative(task.destination, m_job.destinationFolder);
        if (outcome.failure.empty())
        {
            PrintFileResult(shown, _("OK"), "", m_line.json);
            return;
        }
        if (outcome.copy.cancelled)
        {
            PrintFileResult(shown, _("STOPPED"), _("the partial copy was removed"), m_line.json);
            return;
        }
        // A copy that arrived whole but hashes differently differs; anything that could
        // not be read or written is unreadable.
        const bool differs = outcome.copy.ok && outcome.compared && !KcvIsHashError(outcome.sourceHash) &&
                             !KcvIsHashError(outcome.destinationHash);
        m_summary.Fail(task.destination, outcome.failure, differs ? FailureKind::Differs : FailureKind::Unreadable);
        PrintFileResult(shown, _("FAILED"), outcome.failure, m_line.json);
    }

    void OnProblem(const ListingProblem& problem, FileSide) override
    {
        m_rows.push_back(MakeRow(problem.path, "", problem.reason, _("Not possible"), "", _("No")));
        m_summary.Fail(problem.path, problem.reason, FailureKind::Unreadable);
        PrintFileResult(FilenameAbsoluteToRelative(problem.path, m_job.sourceBase), _("NOT COPIED"), problem.reason,
                        m_line.json);
    }

private:
    const CopyJob& m_job;
};

// The job for a folder tree, or for one file copied into the folder.
CopyJob MakeJob(const wxString& source, const wxString& destination)
{
    CopyJob job;
    job.destinationFolder = destination;
    job.stopWithinFiles = true; // Ctrl-C does not wait for a big file
    if (wxDirExists(source))
    {
        FolderListing listing = ListFolder(source, true);
        job.files = std::move(listing.files);
        job.problems = std::move(listing.problems);
        job.sourceBase = source;
    }
    else
    {
        job.files.push_back(source);
        job.sourceBase = wxFileName(source).GetPath();
    }
    return job;
}

} // namespace

RunSummary RunCopy(const CommandLine& line)
{
    RunSummary summary("copy");
    // Absolute, so that the log names files wherever it is checked from.
    const wxString source = AbsolutePath(line.paths[0]);
    const wxString destination = AbsolutePath(line.paths[1]);
    if (!wxDirExists(source) && !wxFileExists(source))
    {
        ReportFailure(summary, source, _("No such file or folder"), FailureKind::Unreadable);
        return summary;
    }
    if (wxDirExists(source) && IsSameOrInside(destination, source))
    {
        ReportFailure(summary, destination, _("the destination is inside the source"), FailureKind::Refused);
        return summary;
    }
    if (wxFileName::Exists(destination, wxFILE_EXISTS_ANY | wxFILE_EXISTS_NO_FOLLOW) && !wxDirExists(destination))
    {
        ReportFailure(summary, destination, _("the destination is not a folder"), FailureKind::Refused);
        return summary;
    }
    if (!CreateDirIfNotExists(destination))
    {
        ReportFailure(summary, destination, _("cannot create the folder"), FailureKind::Unreadable);
        return summary;
    }

    const CopyJob job = MakeJob(source, destination);
    ToolRun run;
    CopyObserver observer(run.Meter(), line, job, summary);
    run.Begin(job.files, 3); // the source hashed, copied, the copy hashed
    const OperationSummary result = CopyTreeAndVerify(job, line.algorithm, observer, run.Stop());
    run.Meter().Finish();
    for (const wxString& leftover : result.leftoversRemoved)
        PrintMessage(
            wxString::Format(_("removed %s, a partial copy left by an interrupted run"), EscapedName(leftover)));
    if (result.refused)
    {
        ReportFailure(summary, destination, result.refusal, FailureKind::Refused);
        return summary;
    }
    CountOperation(result, "verified", summary);
    FinishRows(line, _("Copy Source to Destination and Compare"), observer.Rows(), summary);
    return summary;
}
