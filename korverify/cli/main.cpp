// korverify: the verification tool from a terminal.

#include "korverify/cli/checkcommand.h"
#include "korverify/cli/commandline.h"

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
    RunSummary summary = RunCheck(line);
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
