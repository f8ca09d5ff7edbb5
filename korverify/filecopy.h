#pragma once

// Copying one file with byte progress: the portable stand-in for Windows'
// CopyFileExW with a progress routine, as the copy workers use it.

#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// Sees every byte of a copy, in order, as it is written, on the copying thread. With
// a tap the copy goes through a buffer (read, tap, write), never through the kernel's
// copy, so the bytes the tap sees are the bytes written.
class CopyTap
{
public:
    virtual ~CopyTap() = default;
    // The copy's file is open (read and write) under its temporary name, before any byte.
    virtual void Opened(int /*fd*/, const std::string& /*temporaryPath*/) {}
    // `size` bytes at `offset` are written: `data`, or zeros (a hole) when it is null.
    // Offsets follow one another from 0; a hole is passed once the file covers it.
    virtual void Written(int fd, std::uint64_t offset, const unsigned char* data, std::size_t size) = 0;
};

struct FileCopyResult
{
    bool ok = false;
    bool cancelled = false; // the progress callback returned false
    // Why the copy failed, for the user ("Cannot open the source file: Permission
    // denied"); empty on success. Not translated: it is made on worker threads.
    wxString error;
};

// Every copy is written under a hidden name made of this prefix and six letters or
// digits, in its destination folder, and renamed to its final name only when complete.
constexpr const char* kCopyTempPrefix = ".korcopy-";

// True for a name (without folder) that a copy in progress had: what is left of a
// copy whose process was killed, safe to remove when no copy runs into that folder.
bool IsLeftoverCopyName(const wxString& name);

// Complete copies kept under their temporary names until one flush of their file
// systems has made their bytes durable; only then do they get their final names. So
// not even a power cut leaves a final name with content that never reached the disk,
// at the cost of one flush per batch rather than one per file. A copy worker passes
// one to CopyFileWithProgress for every file and calls Commit() every few dozen files
// (and at the end, before hashing the copies made since the last Commit()).
class DeferredCopies
{
public:
    DeferredCopies() = default;
    ~DeferredCopies(); // commits what is left
    DeferredCopies(const DeferredCopies&) = delete;
    DeferredCopies& operator=(const DeferredCopies&) = delete;

    struct CommitFailure
    {
        wxString destination;
        wxString error; // not translated, as FileCopyResult::error
    };

    std::size_t Count() const { return m_copies.size(); }
    // Flushes the file systems, then renames every copy; a copy that cannot be made
    // durable or renamed is removed and listed.
    std::vector<CommitFailure> Commit();

private:
    friend FileCopyResult CopyFileWithProgress(const wxString&, const wxString&, const CopyProgressCallback&,
                                               DeferredCopies*, CopyTap*);
    void Add(const std::string& temporary, const std::string& destination);

    struct Copy
    {
        std::string temporary;
        std::string destination;
    };
    std::vector<Copy> m_copies;
};

// Copies the regular file `source` to `destination` and reports success only when
// every byte arrived and the copy was closed without error.
//
// - The copy is written under a hidden temporary name (kCopyTempPrefix) beside
//   `destination` and renamed over it when complete, so a failed or cancelled copy,
//   or a killed process, never leaves an incomplete file under the final name, and an
//   earlier file there stays as it was. With `deferred`, the rename waits for its
//   Commit(); the result is then ok once the copy is complete under its temporary name.
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
//   leaves only its hidden temporary file there (IsLeftoverCopyName).
//
// - With `tap`, every byte copied is handed to it as it is written (CopyTap).
//
// Fast: the kernel copies (copy_file_range) where it can, large-buffer reads and
// writes where it cannot (another file system, an old kernel) or where a tap looks at
// the bytes; the file is never held in memory as a whole. Safe to call from any thread.
FileCopyResult CopyFileWithProgress(const wxString& source, const wxString& destination,
                                    const CopyProgressCallback& progress = {}, DeferredCopies* deferred = nullptr,
                                    CopyTap* tap = nullptr);
