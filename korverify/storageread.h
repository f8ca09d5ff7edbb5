#pragma once

// Reading what a file holds on its device rather than what the page cache holds, for
// verification: a copy whose bytes never reached the disk, or were damaged there,
// must not verify because its pages are still in memory.

#include "korbase/hash.h"

#include <wx/string.h>

#include <cstdint>
#include <vector>

// The hash of the open file `fd` as stored: its dirty pages are written out to the
// device (and waited for), its cached pages dropped, then it is read, so the hash
// reads the device. Costs a fraction of a millisecond for a small file, a device
// round trip but no device flush. `knownSize` as for KcvCalcHashFromFd. Safe from
// any thread.
wxString HashFdFromStorage(int fd, HashAlgorithm algorithm, std::uint64_t knownSize = UINT64_MAX);

// The hashes of `paths`, in order, each as HashFdFromStorage gives it (the error text
// of KcvCalcHashFromFile for a file that cannot be read). The device reads
// of a few dozen files are started together, so that the device serves them at once
// instead of one round trip per file: much faster for many small files.
std::vector<wxString> HashFromStorage(const std::vector<wxString>& paths, HashAlgorithm algorithm);

// Feeds `hasher` the `length` bytes at `offset` of the open file `fd` as stored: they
// are written out and waited for, dropped from the cache, then read. False, with errno
// set, on a read error or when the file ends before them.
bool HashRangeFromStorage(int fd, std::uint64_t offset, std::uint64_t length, KcvHasher& hasher);

// Starts writing out `length` bytes at `offset` of the open file `fd` (0: up to its
// end), without waiting, so that a later flush or storage read finds less to do.
// Best effort.
void StartWriteBack(int fd, std::uint64_t offset = 0, std::uint64_t length = 0);

// Makes the files, and the names they have, durable: one flush (syncfs) for each file
// system they are on, however many files; each file on its own (fdatasync) where that
// flush fails. False when a file could not be made durable.
bool MakeDurable(const std::vector<wxString>& paths);
