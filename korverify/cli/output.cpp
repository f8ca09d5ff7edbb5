#include "korverify/cli/output.h"

#include "korverify/cli/sumline.h"

#include <cstdio>

void PrintResult(const wxString& line, bool quiet)
{
    if (quiet)
        return;
    const std::string bytes = line.utf8_string();
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fputc('\n', stdout);
}

void PrintMessage(const wxString& message)
{
    std::fflush(stdout);
    std::fprintf(stderr, "korverify: %s\n", message.utf8_string().c_str());
}

void PrintFileResult(const wxString& path, const wxString& status, const wxString& reason, bool quiet)
{
    PrintResult(EscapedName(path) + ": " + status + (reason.empty() ? wxString() : " (" + reason + ")"), quiet);
}

void ReportFailure(RunSummary& summary, const wxString& path, const wxString& reason, FailureKind kind)
{
    summary.Fail(path, reason, kind);
    PrintMessage(EscapedName(path) + ": " + reason);
}
