#include "korverify/cli/checkcommand.h"

#include "korverify/cli/logreader.h"
#include "korverify/cli/masterhash.h"
#include "korverify/cli/output.h"
#include "korverify/cli/sumline.h"

#include "korverify/verifylog.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/intl.h>

namespace
{

void CheckMasterHash(const wxString& where, const LogTable& table, const CommandLine& line, RunSummary& summary)
{
    const wxString recomputed = MasterHashOfRows(table.rows, *table.algorithm);
    summary.SetMasterHash(recomputed);
    if (KcvIsHashError(recomputed))
    {
        summary.Fail(where, recomputed, FailureKind::Unreadable);
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
        summary.Fail(where, reason, FailureKind::Differs);
        PrintResult(where + ": " + reason, line.json);
    }
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
        summary.Fail(logPath, reason, FailureKind::Unreadable);
        PrintMessage(shownLog + ": " + reason);
        return summary;
    }
    const LogReading reading = ParseLog(ReadLines(logPath));
    if (!reading.isLog)
    {
        summary.Fail(logPath, reading.problem, FailureKind::Unreadable);
        PrintMessage(shownLog + ": " + reading.problem);
        return summary;
    }
    for (const LogTable& table : reading.tables)
    {
        summary.SetAlgorithm(table.algorithmName);
        const wxString where = reading.tables.size() == 1
                                   ? shownLog
                                   : wxString::Format(_("%s (log at line %zu)"), shownLog, table.headerLine);
        CheckMasterHash(where, table, line, summary);
    }
    if (!reading.problem.empty())
    {
        // The log was changed where it should hold rows or its master hash.
        summary.Fail(logPath, reading.problem, FailureKind::Differs);
        PrintMessage(shownLog + ": " + reading.problem);
    }
    return summary;
}
