#include "korverify/cli/resulttable.h"

#include "korverify/cli/algorithms.h"
#include "korverify/cli/masterhash.h"
#include "korverify/cli/output.h"

#include "korverify/verifylog.h"

#include "korbase/appversion.h"
#include "korbase/datetime.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace
{

// The texts around the rows, as the copy-and-verify dialog writes them.
LogRequest DialogLogRequest(const wxString& folder, const std::vector<LogRow>& rows, HashAlgorithm algorithm,
                            const wxString& operation)
{
    LogRequest request;
    request.folder = folder;
    request.rowCount = rows.size();
    request.cell = Utf8LogCells(rows);
    request.headings = {_("File Source Path"), _("File Destination Path"), _("Source Hash"),
                        _("Copy Status"),      _("Destination Hash"),      _("Hash Comparison")};
    request.algorithm = algorithm;
    request.operationName = operation;
    const AppVersion version;
    SetStandardLogTexts(request, version.GetPlatform(), version.GetLoomRevision());
    return request;
}

// A private folder beside `target`, so that the finished log can be renamed onto it.
wxString MakeScratchFolder(const wxFileName& target, wxString& reason)
{
    std::string pattern(wxString(target.GetPath() + "/.korverify-log-XXXXXX").fn_str());
    if (!mkdtemp(pattern.data()))
    {
        reason = wxString::FromUTF8(std::strerror(errno));
        return wxString();
    }
    return wxString(pattern.c_str(), wxConvFile);
}

void RemoveScratchFolder(const wxString& folder)
{
    wxArrayString leftovers;
    wxDir::GetAllFiles(folder, &leftovers, wxEmptyString, wxDIR_FILES | wxDIR_HIDDEN);
    for (const wxString& file : leftovers)
        wxRemoveFile(file);
    wxRmdir(folder);
}

} // namespace

LogRow MakeRow(const wxString& source, const wxString& destination, const wxString& sourceHash,
               const wxString& copyStatus, const wxString& destinationHash, const wxString& comparison)
{
    return {source, destination, sourceHash, copyStatus, destinationHash, comparison};
}

void FinishRows(const CommandLine& line, const wxString& operation, const std::vector<LogRow>& rows,
                RunSummary& summary)
{
    summary.SetAlgorithm(AlgorithmOption(line.algorithm));
    if (line.logPath.empty())
    {
        summary.SetMasterHash(MasterHashOfRows(rows, line.algorithm));
        return;
    }
    if (summary.Stopped())
    {
        PrintMessage(_("stopped: no log written"));
        return;
    }
    wxFileName target(line.logPath);
    target.MakeAbsolute();
    wxString reason;
    const wxString scratch = MakeScratchFolder(target, reason);
    if (scratch.empty())
    {
        ReportFailure(summary, line.logPath, _("cannot write the log: ") + reason, FailureKind::Unreadable);
        return;
    }
    const LogOutcome outcome = WriteVerifyLog(DialogLogRequest(scratch, rows, line.algorithm, operation));
    // A log whose list of hashes could not be written is kept, without its master hash.
    if (!outcome.ok)
        ReportFailure(summary, outcome.failedPath, _("cannot write the log: ") + outcome.reason,
                      FailureKind::Unreadable);
    if (outcome.logWritten && !wxRenameFile(outcome.logPath, target.GetFullPath(), true))
    {
        ReportFailure(summary, line.logPath, _("cannot write the log: the file cannot be replaced"),
                      FailureKind::Unreadable);
    }
    else if (outcome.logWritten)
    {
        summary.SetLogPath(target.GetFullPath());
        summary.SetMasterHash(outcome.masterHash);
    }
    RemoveScratchFolder(scratch);
}
