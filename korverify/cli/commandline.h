#pragma once

// The command line of korverify: which command, on what, with which options.

#include "korbase/hash.h"

#include <wx/string.h>

#include <optional>
#include <vector>

enum class Command
{
    Hash,
    Copy,
    Compare,
    Check,
};

struct CommandLine
{
    Command command = Command::Hash;
    HashAlgorithm algorithm = HASH_MD5;
    bool recurse = true;     // hash: --no-recurse clears it
    bool checkFiles = false; // check: --files
    bool json = false;
    wxString logPath; // --log FILE; empty: no log
    std::vector<wxString> paths;
};

struct ParsedCommandLine
{
    std::optional<CommandLine> commandLine; // none: nothing to run, exit with exitCode
    int exitCode = 0;
};

// Parses the arguments with wxCmdLineParser. --help and --version print to stdout and
// give exit code 0 without a command line; a usage error prints why on stderr and
// gives exit code 2.
ParsedCommandLine ParseCommandLine(int argc, char** argv);
