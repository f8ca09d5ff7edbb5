#pragma once

// The workers of the copy-and-verify tool: MyThread and the classes derived from it.

#include "korgui/verify/compareworker.h"
#include "korgui/verify/copyworkers.h"
#include "korgui/verify/duplicatesworker.h"
#include "korgui/verify/hashworkers.h"
#include "korgui/verify/listingworkers.h"
#include "korgui/verify/mythread.h"
#include "korgui/verify/refreshviewthread.h"
