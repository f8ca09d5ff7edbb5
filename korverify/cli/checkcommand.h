#pragma once

// korverify check LOG [--files]: recomputes each master hash of a log from its rows
// and, with --files, re-hashes every file the log names.

#include "korverify/cli/commandline.h"
#include "korverify/cli/summary.h"

RunSummary RunCheck(const CommandLine& line);
