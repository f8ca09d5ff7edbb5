#include "commandline.h"

#include "korgui/korgui.h"

#include <wx/cmdline.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgout.h>

#include <cstdio>

namespace
{

// A path as the running instance must see it: its working folder may be another.
wxString AbsolutePath(const wxString& argument)
{
    wxFileName name(argument);
    name.MakeAbsolute();
    return name.GetFullPath();
}

void Print(std::FILE* stream, const wxString& text)
{
    std::fputs(text.utf8_str(), stream);
    std::fflush(stream);
}

} // namespace

std::optional<HostCommandLine> ReadHostCommandLine(int argc, char** argv, int& exitCode)
{
    // No application exists yet to print the parser's complaints: standard error does.
    wxMessageOutputStderr toStderr;
    wxMessageOutput* const previous = wxMessageOutput::Set(&toStderr);

    wxCmdLineParser parser(argc, argv);
    parser.AddUsageText(_("Shows the windows of the korgui library. With paths, opens the copy-and-verify tool "
                          "on each; when korhost already runs, it opens them there."));
    parser.AddSwitch("h", "help", _("show this help and end"), wxCMD_LINE_OPTION_HELP);
    parser.AddSwitch("", "version", _("show the version and end"));
    parser.AddParam(_("source folder or file"), wxCMD_LINE_VAL_STRING,
                    wxCMD_LINE_PARAM_OPTIONAL | wxCMD_LINE_PARAM_MULTIPLE);
    const int parsed = parser.Parse(false);
    wxMessageOutput::Set(previous);

    if (parsed == -1)
    {
        Print(stdout, parser.GetUsageString());
        exitCode = 0;
        return std::nullopt;
    }
    if (parsed != 0)
    {
        Print(stderr, parser.GetUsageString());
        exitCode = 2;
        return std::nullopt;
    }
    if (parser.Found("version"))
    {
        Print(stdout, wxString::Format("korhost %s\n", KorguiVersion()));
        exitCode = 0;
        return std::nullopt;
    }
    HostCommandLine commandLine;
    for (size_t i = 0; i < parser.GetParamCount(); ++i)
        commandLine.sources.push_back(AbsolutePath(parser.GetParam(i)));
    return commandLine;
}
