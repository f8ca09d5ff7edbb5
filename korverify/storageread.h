#pragma once

// Reading what a file holds on its device rather than what the page cache holds, for
// verification: a copy whose bytes never reached the disk, or were damaged there,
// must not verify because its pages are still in memory.

#include "korbase/hash.h"

#include <wx/string.h>

#include <vector>

// The hash of `path` as stored: its dirty pages are written out to the device (and
// waited for), its cached pages dropped, then it is read, so the hash reads the
// device. Costs a fraction of a millisecond for a small file, a device round trip
// but no device flush. Unreadable files give the error text of KcvCalcHashFromFile.
// Safe from any thread.
wxString HashFromStorage(const wxString& path, HashAlgorithm algorithm);

// Starts writing out a file just written, without waiting, so that a later flush or
// HashFromStorage finds less to do. Best effort.
void StartWriteBack(const wxString& path);

// Makes the files, and the names they have, durable: one flush (syncfs) for each file
// system they are on, however many files; each file on its own (fdatasync) where that
// flush fails. False when a file could not be made durable.
bool MakeDurable(const std::vector<wxString>& paths);
