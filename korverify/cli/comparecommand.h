#pragma once

// korverify compare [-a ALG] SRC DST: the files that match, differ, or exist on one
// side only, paired by their path relative to SRC and DST.

#include "korverify/cli/commandline.h"
#include "korverify/cli/summary.h"

RunSummary RunCompare(const CommandLine& line);
