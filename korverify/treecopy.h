#pragma once

// Copying a listed tree into an empty folder ("Copy Source to Destination"), and
// copying it with verification ("Copy Source to Destination and Compare").

#include "korverify/operation.h"
#include "korverify/stoptoken.h"

#include <functional>

struct CopyJob
{
    std::vector<wxString> files; // the source files, full paths
    wxString sourceBase;         // the files keep their path relative to it
    wxString destinationFolder;
    // Refuse unless the destination is empty (PrepareCopyDestination); a single file
    // copied into a folder does not ask.
    bool requireEmptyDestination = true;
    std::vector<ListingProblem> problems; // of the source listing
    // Stop also between the chunks of a copy: the file being copied is abandoned and
    // its partial copy removed (a command-line tool stops at Ctrl-C without finishing
    // a big file; the dialog's Stop acts between files).
    bool stopWithinFiles = false;
    // Called with each copy's path once it has its final name, before it is verified
    // (a big file's copy is verified while it is made, so mostly before): tests spoil
    // or hold copies there. On the copying thread, or on the verifying one.
    std::function<void(const wxString& destination)> afterEachCopy = {};
};

// Files bigger than this are verified while they are copied (one file has nothing
// else to overlap with); smaller ones in batches, while the next batch is copied.
constexpr std::uint64_t kVerifyWhileCopyingMinBytes = 32 * 1024 * 1024;
// A batch of smaller files is made durable and verified once it holds this many
// files, or this many bytes.
constexpr std::size_t kVerifyBatchFiles = 256;
constexpr std::uint64_t kVerifyBatchBytes = 64 * 1024 * 1024;

// Where `file` goes: its path relative to `sourceBase`, under `destinationFolder`.
wxString CopyDestinationOf(const wxString& file, const wxString& sourceBase, const wxString& destinationFolder);

// Copies the files in order with CopyFileWithProgress, creating their folders. Per
// file: FileBegins, CopyProgress..., Copied, FileEnds. A refused destination gives a
// summary with `refused` and no file touched. Stop acts between files.
OperationSummary CopyTree(const CopyJob& job, OperationObserver& observer, const StopToken& stop);

// As CopyTree, and every copy is verified: each source file is read once, by its copy,
// which hashes the bytes it writes (the source hash); the copy is hashed from the
// storage on a second thread, overlapped with the copying, and the two compared.
//
// - Files up to kVerifyWhileCopyingMinBytes are copied in batches under their
//   temporary names; a batch is made durable with one flush, renamed, and hashed from
//   the storage while the next batch is copied. A file's calls come when it is
//   verified, all at once: FileBegins, Hashed(Source), CopyProgress..., Copied,
//   [HashBegins Hashed(Destination), when copied], FileEnds.
// - A bigger file is hashed from the storage piece by piece while it is copied
//   (GrowingFileHasher). Every earlier file has ended before it begins; its calls come
//   live: FileBegins, HashBegins(Source), CopyProgress..., then, once copied,
//   Hashed(Source), Copied, [HashBegins Hashed(Destination)], FileEnds.
//
// The calls of a file all come before those of the next, on the caller's thread. A
// copy that fails gets its source hashed on its own (none when cancelled). On Stop
// the files copied so far are still made durable, verified and reported, nothing is
// left under a temporary name, and the second thread has ended when this returns.
OperationSummary CopyTreeAndVerify(const CopyJob& job, HashAlgorithm algorithm, OperationObserver& observer,
                                   const StopToken& stop);
