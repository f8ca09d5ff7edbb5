#include "korverify/cli/commandline.h"

#include "korverify/cli/algorithms.h"
#include "korverify/cli/summary.h"

#include "korbase/appversion.h"

#include <wx/cmdline.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <cstdio>
#include <string>

namespace
{

struct CommandInfo
{
    const char* name;
    Command command;
    const char* usage;
    const char* summary;
};

const CommandInfo kCommands[] = {
    {"hash", Command::Hash, "hash [-a ALG] [--no-recurse] PATH...",
     wxTRANSLATE("one checksum line per file, as md5sum prints")},
    {"copy", Command::Copy, "copy [-a ALG] SRC DST",
     wxTRANSLATE("copy into an empty folder, verify every copy from the storage")},
    {"compare", Command::Compare, "compare [-a ALG] SRC DST",
     wxTRANSLATE("files that match, differ, or are on one side only")},
    {"check", Command::Check, "check LOG [--files]",
     wxTRANSLATE("recompute a log's master hash; --files re-hashes its files")},
};

wxString ExitStatusText()
{
    return wxString::Format(_("Exit status:\n"
                              "  %d  all good\n"
                              "  %d  differences, or files missing\n"
                              "  %d  usage error\n"
                              "  %d  a file or folder could not be read or written\n"
                              "  %d  stopped with Ctrl-C (no partial file is left)\n"),
                            kExitOk, kExitDifferences, kExitUsage, kExitUnreadable, kExitInterrupted);
}

void Print(FILE* stream, const wxString& text)
{
    std::fputs(text.utf8_string().c_str(), stream);
}

// wxCmdLineParser takes the arguments as a C array; argument 0 names the program
// in the usage line.
class Arguments
{
public:
    Arguments(const std::string& program, int argc, char** argv, int first)
    {
        m_storage.push_back(program);
        for (int i = first; i < argc; ++i)
            m_storage.emplace_back(argv[i]);
        for (std::string& s : m_storage)
            m_pointers.push_back(s.data());
        m_pointers.push_back(nullptr);
    }
    int Count() const { return static_cast<int>(m_storage.size()); }
    char** Pointers() { return m_pointers.data(); }

private:
    std::vector<std::string> m_storage;
    std::vector<char*> m_pointers;
};

ParsedCommandLine UsageError(const wxString& message, const wxString& helpCommand = "korverify --help")
{
    Print(stderr, "korverify: " + message + "\n" + wxString::Format(_("Try '%s'."), helpCommand) + "\n");
    return {std::nullopt, kExitUsage};
}

ParsedCommandLine ParseGeneral(int argc, char** argv)
{
    Arguments arguments("korverify", argc, argv, 1);
    wxCmdLineParser parser(arguments.Count(), arguments.Pointers());
    parser.AddSwitch("h", "help", _("show this help"), wxCMD_LINE_OPTION_HELP);
    parser.AddLongSwitch("version", _("show the version"));
    parser.AddParam(_("COMMAND"), wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
    parser.SetLogo(_("korverify: hash, copy and compare folder trees with verification, and re-check logs.\n"));
    wxString commands = _("Commands:\n");
    for (const CommandInfo& info : kCommands)
        commands << wxString::Format("  korverify %-38s %s\n", info.usage, wxGetTranslation(info.summary));
    commands << _("Options of hash, copy and compare: -a/--algorithm ALG (") << AlgorithmChoices()
             << _("; md5 by default), --log FILE (write the log with its master hash), --json (a summary "
                  "for scripts on stdout).\nEach command has its own --help.\n\n")
             << ExitStatusText();
    parser.AddUsageText(commands);

    const int result = parser.Parse(false);
    if (result == -1)
    {
        Print(stdout, parser.GetUsageString());
        return {std::nullopt, kExitOk};
    }
    if (result != 0)
        return UsageError(_("invalid arguments"));
    if (parser.Found("version"))
    {
        Print(stdout, wxString::Format("korverify %s (%s)\n", KOR_VERSION, AppVersion().GetLoomRevision()));
        return {std::nullopt, kExitOk};
    }
    if (parser.GetParamCount() == 0)
    {
        Print(stderr, parser.GetUsageString());
        return {std::nullopt, kExitUsage};
    }
    return UsageError(wxString::Format(_("unknown command '%s'"), parser.GetParam(0)));
}

ParsedCommandLine ParseCommand(const CommandInfo& info, int argc, char** argv)
{
    Arguments arguments(std::string("korverify ") + info.name, argc, argv, 2);
    wxCmdLineParser parser(arguments.Count(), arguments.Pointers());
    parser.AddSwitch("h", "help", _("show this help"), wxCMD_LINE_OPTION_HELP);
    const bool operates = info.command != Command::Check;
    if (operates)
    {
        parser.AddOption("a", "algorithm", _("hash algorithm: ") + AlgorithmChoices() + _(" (default md5)"));
        parser.AddLongOption("log", _("write the log (UTF-16LE, tab-separated, with its master hash) to FILE"));
    }
    parser.AddLongSwitch("json", _("print a summary for scripts as JSON on stdout"));
    switch (info.command)
    {
    case Command::Hash:
        parser.AddLongSwitch("no-recurse", _("hash only the files directly in each folder"));
        parser.AddParam(_("PATH"), wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_MULTIPLE);
        break;
    case Command::Copy:
    case Command::Compare:
        parser.AddParam(_("SRC"));
        parser.AddParam(_("DST"));
        break;
    case Command::Check:
        parser.AddLongSwitch("files", _("also re-hash every file the log names"));
        parser.AddParam(_("LOG"));
        break;
    }
    parser.AddUsageText("\n" + ExitStatusText());

    const wxString help = wxString::Format("korverify %s --help", info.name);
    const int result = parser.Parse(false);
    if (result == -1)
    {
        Print(stdout, parser.GetUsageString());
        return {std::nullopt, kExitOk};
    }
    if (result != 0)
        return UsageError(wxString::Format(_("invalid arguments for '%s'"), info.name), help);

    CommandLine line;
    line.command = info.command;
    line.json = parser.Found("json");
    wxString value;
    if (operates && parser.Found("algorithm", &value))
    {
        const std::optional<HashAlgorithm> algorithm = AlgorithmNamed(value);
        if (!algorithm)
            return UsageError(wxString::Format(_("unknown algorithm '%s' (choose %s)"), value, AlgorithmChoices()),
                              help);
        line.algorithm = *algorithm;
    }
    if (operates && parser.Found("log", &value))
    {
        if (value.empty())
            return UsageError(_("--log needs a file name"), help);
        line.logPath = value;
    }
    line.recurse = !(info.command == Command::Hash && parser.Found("no-recurse"));
    line.checkFiles = info.command == Command::Check && parser.Found("files");
    for (size_t i = 0; i < parser.GetParamCount(); ++i)
    {
        if (parser.GetParam(i).empty())
            return UsageError(_("an empty path was given"), help);
        line.paths.push_back(parser.GetParam(i));
    }
    return {line, kExitOk};
}

} // namespace

ParsedCommandLine ParseCommandLine(int argc, char** argv)
{
    if (argc > 1)
    {
        for (const CommandInfo& info : kCommands)
        {
            if (std::string(argv[1]) == info.name)
                return ParseCommand(info, argc, argv);
        }
    }
    return ParseGeneral(argc, argv);
}
