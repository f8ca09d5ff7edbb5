// korhost's command line answers without a display.

#include "harness/helpers.h"

#include <gtest/gtest.h>

#include <wx/arrstr.h>

#include <wx/filename.h>
#include <wx/stdpaths.h>

using namespace kortest;

TEST(KorhostCommandLine, HelpAndVersionNeedNoDisplayAndMistakesEndWithTwo)
{
    // Beside the test binaries in the build tree.
    wxFileName korhost(wxStandardPaths::Get().GetExecutablePath());
    korhost.RemoveLastDir();
    korhost.AppendDir("host");
    korhost.SetFullName("korhost");
    if (!korhost.FileExists())
        GTEST_SKIP() << "korhost is not built here";
    const std::string run = "env -u DISPLAY -u WAYLAND_DISPLAY " + ShellQuote(korhost.GetFullPath());
    const struct
    {
        const char* arguments;
        const char* output; // a part of standard output, then the exit code
    } cases[] = {
        {"--help", "Usage: korhost [-h] [--version] [source folder or file...]\n0"},
        {"-h", "Usage: korhost\n0"},
        {"--version", "korhost 0.\n0"},
        {"--bogus 2>&1", "Unknown long option 'bogus'\nUsage: korhost\n2"},
        {"-x 2>&1", "Unknown option 'x'\nUsage: korhost\n2"},
    };
    for (const auto& c : cases)
    {
        std::string expected = c.output;
        const std::string out = Shell(run + " " + c.arguments + "; echo $?");
        const size_t lastLine = expected.rfind('\n');
        EXPECT_EQ(out.substr(out.rfind('\n') + 1), expected.substr(lastLine + 1)) << c.arguments << ": " << out;
        for (const wxString& part : wxSplit(expected.substr(0, lastLine), '\n', 0))
            EXPECT_NE(out.find(part.utf8_string()), std::string::npos) << c.arguments << ": " << out;
    }
}
