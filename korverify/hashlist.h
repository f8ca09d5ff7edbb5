#pragma once

// Hashing a list of files ("Hash Source", "Hash Destination").

#include "korverify/operation.h"
#include "korverify/stoptoken.h"

struct HashJob
{
    std::vector<wxString> files;
    HashAlgorithm algorithm = HASH_MD5;
    FileSide side = FileSide::Source; // Destination: read from storage
    std::vector<ListingProblem> problems; // of the listing the files come from
};

// Files up to this size are hashed ahead of their turn on a second thread (see
// OrderedWork). A bigger one is hashed in its turn, after its HashBegins, so that its
// begin shows while it takes long; the second thread goes on with the files after it.
constexpr std::uint64_t HASH_AHEAD_MAX_BYTES = 200000000;

// Hashes the files on two threads and reports them in order, on the calling thread.
// Per file: FileBegins, HashBegins, Hashed, FileEnds (the task names the file as its
// source or destination, after `side`). An unreadable file is a failure with its error
// text as hash. Stop acts between files: no file is reported after the one during
// which it came, and the second thread has ended when this returns.
OperationSummary HashFiles(const HashJob& job, OperationObserver& observer, const StopToken& stop);
