#include "korverify/cli/hashcommand.h"

#include "korverify/cli/output.h"
#include "korverify/cli/resulttable.h"
#include "korverify/cli/sumline.h"
#include "korverify/cli/toolrun.h"
#include "korverify/cli/treeargs.h"

#include "korverify/hashlist.h"
#include "korverify/listing.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

namespace
{

class HashObserver : public ToolObserver
{
public:
    HashObserver(ProgressMeter& meter, const CommandLine& line, RunSummary& summary)
        : ToolObserver(meter, line, summary)
    {
    }

protected:
    void OnFile(const FileTask& task, const FileOutcome& outcome) override
    {
        m_rows.push_back(MakeRow(AbsolutePath(task.source), "", outcome.sourceHash, "", "", ""));
        if (outcome.failure.empty())
        {
            PrintResult(ChecksumLine(outcome.sourceHash, task.source), m_line.json);
            return;
        }
        // As md5sum does: no line for a file that could not be hashed, a message instead.
        ReportFailure(m_summary, task.source, outcome.failure, FailureKind::Unreadable);
    }

    void OnProblem(const ListingProblem& problem, FileSide) override
    {
        m_rows.push_back(MakeRow(AbsolutePath(problem.path), "", problem.reason, "", "", ""));
        ReportFailure(m_summary, problem.path, problem.reason, FailureKind::Unreadable);
    }
};

} // namespace

RunSummary RunHash(const CommandLine& line)
{
    RunSummary summary("hash");
    HashJob job;
    job.algorithm = line.algorithm;
    job.side = FileSide::Source;
    for (const wxString& path : line.paths)
    {
        if (wxDirExists(path))
        {
            FolderListing listing = ListFolder(path, line.recurse);
            job.files.insert(job.files.end(), listing.files.begin(), listing.files.end());
            job.problems.insert(job.problems.end(), listing.problems.begin(), listing.problems.end());
        }
        else if (wxFileExists(path))
        {
            job.files.push_back(path);
        }
        else
        {
            job.problems.push_back({path, wxFileName::Exists(path, wxFILE_EXISTS_ANY | wxFILE_EXISTS_NO_FOLLOW)
                                              ? _("Not a regular file or folder")
                                              : _("No such file or folder")});
        }
    }

    ToolRun run;
    HashObserver observer(run.Meter(), line, summary);
    run.Begin(job.files);
    const OperationSummary result = HashFiles(job, observer, run.Stop());
    run.Meter().Finish();
    CountOperation(result, "hashed", summary);
    FinishRows(line, "Hash Source", observer.Rows(), summary);
    return summary;
}
