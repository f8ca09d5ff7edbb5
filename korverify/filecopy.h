#pragma once

// Copying one file with byte progress: the portable stand-in for Windows'
// CopyFileExW with a progress routine, as the copy workers use it.

#include <wx/string.h>

#include <cstdint>
#include <functional>

// Called on the copying thread before the first byte is copied (copied = 0) and
// after every chunk (kCopyChunkBytes at most), with the size of the source taken
// when the copy started and the bytes done so far; `copied` never decreases and the
// last call of a complete copy has copied == total. `total` is 0 for an empty file,
// so a caller that divides must test it. Return false to cancel the copy.
//
// The copy worker's progress routine and its CopyProgressState map onto it as a
// lambda that captures the worker (the state record is the capture):
//
//     CopyFileWithProgress(source, destination, [&](std::uint64_t total, std::uint64_t copied) {
//         const double filePercent = total ? 100.0 * copied / total : 100.0;
//         ReportCurrentFileProgress(filePercent, ...);   // rate-limited, no sleep
//         return true;                                    // the routine always continues
//     });
using CopyProgressCallback = std::function<bool(std::uint64_t total, std::uint64_t copied)>;

// Most bytes copied between two progress calls.
constexpr std::uint64_t kCopyChunkBytes = 8 * 1024 * 1024;

struct FileCopyResult
{
    bool ok = false;
    bool cancelled = false; // the progress callback returned false
    // Why the copy failed, for the user ("Cannot open the source file: Permission
    // denied"); empty on success. Not translated: it is made on worker threads.
    wxString error;
};

// Copies the regular file `source` to `destination` and reports success only when
// every byte arrived and the copy was closed without error.
//
// - A failed or cancelled copy leaves no partial file. Where nothing exists yet the
//   copy is written in place and removed on failure; an existing destination file is
//   replaced through a hidden temporary file beside it, renamed over it only when
//   complete, so a failure leaves the earlier file at `destination` as it was.
// - A symbolic link at `destination` is replaced by the copy, never written through:
//   the file it points to is not touched. A folder at `destination` is an error.
// - A symbolic link as `source` is followed (its target's bytes are copied).
// - The copy keeps the source's modification and access times and its permission
//   bits (read, write, execute; set-id and sticky bits are not carried over), the
//   latter where the destination's file system can hold them (FAT and exFAT cannot).
//   Holes of a sparse source stay holes.
// - A source that changes size or modification time, or is removed, while it is
//   being copied fails the copy, since the copy would not match any state of it.
// - The destination's folder must exist and be writable. A copy cut off by a crash
//   can leave a partial file (or a hidden ".korcopy-XXXXXX" file) there.
//
// Fast: the kernel copies (copy_file_range) where it can, large-buffer reads and
// writes where it cannot (another file system, an old kernel); the file is never
// held in memory as a whole. Safe to call from any thread.
FileCopyResult CopyFileWithProgress(const wxString& source, const wxString& destination,
                                    const CopyProgressCallback& progress = {});
