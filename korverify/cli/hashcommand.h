#pragma once

// korverify hash [-a ALG] [--no-recurse] PATH...: one checksum line per file.

#include "korverify/cli/commandline.h"
#include "korverify/cli/summary.h"

RunSummary RunHash(const CommandLine& line);
