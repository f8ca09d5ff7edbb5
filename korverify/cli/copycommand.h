#pragma once

// korverify copy [-a ALG] SRC DST: copies SRC into the empty folder DST and verifies
// every copy from the storage.

#include "korverify/cli/commandline.h"
#include "korverify/cli/summary.h"

RunSummary RunCopy(const CommandLine& line);
