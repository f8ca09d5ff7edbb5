#pragma once

#include <wx/string.h>

#include <optional>
#include <vector>

// korhost's command line, read before any window exists so that --help, --version
// and mistakes are answered without a display.
struct HostCommandLine
{
    std::vector<wxString> sources; // absolute paths, as the running instance must see them
};

// Reads argv. Returns the command line to start with, or nothing when korhost is
// to end at once with `exitCode`: 0 after printing the usage (--help) or the
// version (--version) on standard output, 2 after printing what is wrong and the
// usage on standard error.
std::optional<HostCommandLine> ReadHostCommandLine(int argc, char** argv, int& exitCode);
