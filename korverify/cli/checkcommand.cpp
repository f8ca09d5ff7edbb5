#include "korverify/cli/checkcommand.h"

#include "korverify/cli/algorithms.h"
#include "korverify/cli/logreader.h"
#include "korverify/cli/masterhash.h"
#include "korverify/cli/output.h"
#include "korverify/cli/sumline.h"
#include "korverify/cli/toolrun.h"

#include "korverify/hashlist.h"

#include "korverify/verifylog.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/intl.h>

namespace
{

// `where` names the table in the output: the log, and the line when it holds several.
void CheckMasterHash(const wxString& where, const LogTable& table, const CommandLine& line, RunSummary& summary)
{
    const wxString& logPath = line.paths.front();
    const wxString recomputed = MasterHashOfRows(table.rows, *table.algorithm);
    summary.SetMasterHash(recomputed);
    if (KcvIsHashError(recomputed))
    {
        summary.Fail(logPath, recomputed, FailureKind::Unreadable);
        PrintMessage(where + ": " + recomputed);
    }
    else if (KcvHashesMatch(recomputed, table.masterHash))
    {
        summary.Count("masterHashOk");
        PrintResult(wxString::Format(_("%s: master hash OK (%s %s)"), where, table.algorithmName, recomputed),
                    line.json);
    }
    else
    {
        summary.Count("masterHashDiffers");
        const wxString reason = wxString::Format(_("master hash differs: the log states %s, its rows give %s"),
                                                 table.masterHash, recomputed);
        summary.Fail(logPath, reason, FailureKind::Differs);
        PrintResult(where + ": " + reason, line.json);
    }
}

// Re-hashes the files one column of a table names and reports each against the hash
// the log holds for it.
class RecheckObserver : public ToolObserver
{
public:
    RecheckObserver(ProgressMeter& meter, const CommandLine& line, const std::vector<wxString>& expected,
                    RunSummary& summary)
        : ToolObserver(meter, line, summary), m_expected(expected)
    {
    }

protected:
    void OnFile(const FileTask& task, const FileOutcome& outcome) override
    {
        const wxString& path = task.source.empty() ? task.destination : task.source;
        const wxString& hash = outcome.sourceHash.empty() ? outcome.destinationHash : outcome.sourceHash;
        if (KcvIsHashError(hash))
        {
            m_summary.Count("unreadable");
            m_summary.Fail(path, hash, FailureKind::Unreadable);
            PrintFileResult(path, _("UNREADABLE"), hash, m_line.json);
        }
        else if (KcvHashesMatch(hash, m_expected[task.index]))
        {
            m_summary.Count("unchanged");
            PrintFileResult(path, _("OK"), "", m_line.json);
        }
        else
        {
            m_summary.Count("changed");
            m_summary.Fail(path, _("changed since the log was written"), FailureKind::Differs);
            PrintFileResult(path, _("CHANGED"), "", m_line.json);
        }
    }

    void OnProblem(const ListingProblem&, FileSide) override {}

private:
    const std::vector<wxString>& m_expected;
};

// The files of one side of a table (source: columns 0 and 2; destination: 1 and 4),
// re-hashed as the log's writer hashed them: the destination from the storage.
void RecheckFiles(const LogTable& table, FileSide side, const CommandLine& line, ToolRun& run, RunSummary& summary)
{
    const int pathColumn = side == FileSide::Source ? 0 : 1;
    const int hashColumn = side == FileSide::Source ? 2 : 4;
    HashJob job;
    job.algorithm = *table.algorithm;
    job.side = side;
    std::vector<wxString> expected;
    for (const LogRow& row : table.rows)
    {
        const wxString& path = row[pathColumn];
        const wxString& hash = row[hashColumn];
        if (path.empty())
            continue;
        if (KcvIsHashError(hash))
        {
            summary.Count("notChecked");
            PrintFileResult(path, _("NOT CHECKED"), _("the log holds no hash for it"), line.json);
        }
        else if (!wxFileExists(path))
        {
            summary.Count("missing");
            summary.Fail(path, _("missing"), FailureKind::Differs);
            PrintFileResult(path, _("MISSING"), "", line.json);
        }
        else
        {
            job.files.push_back(path);
            expected.push_back(hash);
        }
    }
    RecheckObserver observer(run.Meter(), line, expected, summary);
    run.Begin(job.files);
    if (HashFiles(job, observer, run.Stop()).stopped)
        summary.SetStopped();
    run.Meter().Finish();
}

} // namespace

RunSummary RunCheck(const CommandLine& line)
{
    RunSummary summary("check");
    const wxString& logPath = line.paths.front();
    const wxString shownLog = EscapedName(logPath);
    summary.SetLogPath(logPath);
    if (!wxFileExists(logPath) || !wxFile::Access(logPath, wxFile::read))
    {
        const wxString reason = wxFileExists(logPath) ? _("cannot be read") : _("no such file");
        ReportFailure(summary, logPath, reason, FailureKind::Unreadable);
        return summary;
    }
    const LogReading reading = ParseLog(ReadLines(logPath));
    if (!reading.isLog)
    {
        ReportFailure(summary, logPath, reading.problem, FailureKind::Unreadable);
        return summary;
    }
    ToolRun run;
    for (const LogTable& table : reading.tables)
    {
        summary.SetAlgorithm(AlgorithmOption(*table.algorithm));
        const wxString where = reading.tables.size() == 1
                                   ? shownLog
                                   : wxString::Format(_("%s (log at line %zu)"), shownLog, table.headerLine);
        CheckMasterHash(where, table, line, summary);
        for (FileSide side : {FileSide::Source, FileSide::Destination})
        {
            if (line.checkFiles && !summary.Stopped())
                RecheckFiles(table, side, line, run, summary);
        }
    }
    if (!reading.problem.empty())
    {
        // The log was changed where it should hold rows or its master hash.
        ReportFailure(summary, logPath, reading.problem, FailureKind::Differs);
    }
    return summary;
}
