#pragma once

// Reading what a file holds on its device rather than what the page cache holds, for
// verification: a copy whose bytes never reached the disk, or were damaged there,
// must not verify because its pages are still in memory.

#include "korbase/hash.h"

#include <wx/string.h>

// The hash of `path` as stored: the file is made durable first (its dirty pages are
// written out), then its cached pages are dropped, so the hash reads the device.
// Unreadable files give the error text of KcvCalcHashFromFile. Safe from any thread.
wxString HashFromStorage(const wxString& path, HashAlgorithm algorithm);
