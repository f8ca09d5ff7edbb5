// korhost's command line answers without a display.

#include "harness/helpers.h"

#include <gtest/gtest.h>

#include <wx/filefn.h>
#include <wx/stdpaths.h>

using namespace kortest;

TEST(KorhostCommandLine, HelpAndVersionNeedNoDisplayAndMistakesEndWithTwo)
{
    const wxString korhost = wxPathOnly(wxPathOnly(wxStandardPaths::Get().GetExecutablePath())) + "/host/korhost";
    if (!wxFileExists(korhost))
        GTEST_SKIP() << "korhost is not built beside the tests";
    const std::string run = "env -u DISPLAY -u WAYLAND_DISPLAY " + ShellQuote(korhost);
    const struct { const char* arguments; const char* part; int exitCode; } cases[] = {
        {"--help", "Usage: korhost [-h] [--version] [source folder or file...]\n", 0},
        {"--version", "korhost 0.", 0},
        {"--bogus 2>&1 >/dev/null", "Unknown long option 'bogus'\nUsage: korhost [-h]", 2},
    };
    for (const auto& c : cases)
    {
        const std::string out = Shell(run + " " + c.arguments + "; echo \"exit $?\"");
        EXPECT_NE(out.find(c.part), std::string::npos) << out;
        EXPECT_EQ(out.substr(out.rfind('\n') + 1), "exit " + std::to_string(c.exitCode)) << out;
    }
}
