// korverify: the verification tool from a terminal.

#include "korverify/cli/checkcommand.h"
#include "korverify/cli/commandline.h"
#include "korverify/cli/comparecommand.h"
#include "korverify/cli/copycommand.h"
#include "korverify/cli/hashcommand.h"

#include <wx/init.h>
#include <wx/log.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <langinfo.h>

namespace
{

// File names and texts are UTF-8 whatever the environment's locale says: wxWidgets
// converts names through the C library's character set, which is ASCII in "C".
void UseUtf8Locale()
{
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

int Run(const CommandLine& line)
{
    RunSummary summary = [&line]
    {
        switch (line.command)
        {
        case Command::Hash: return RunHash(line);
        case Command::Copy: return RunCopy(line);
        case Command::Compare: return RunCompare(line);
        case Command::Check: break;
        }
        return RunCheck(line);
    }();
    std::fflush(stdout);
    if (line.json)
        std::printf("%s\n", summary.Json().c_str());
    return summary.ExitCode();
}

} // namespace

int main(int argc, char** argv)
{
    UseUtf8Locale();
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk())
    {
        std::fprintf(stderr, "korverify: cannot initialise wxWidgets\n");
        return kExitUnreadable;
    }
    wxLog::SetActiveTarget(new wxLogStderr);
    wxLog::DisableTimestamp();

    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.commandLine)
        return parsed.exitCode;
    return Run(*parsed.commandLine);
}
