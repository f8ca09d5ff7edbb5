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

// Hashes the files in order. Per file: FileBegins, HashBegins, Hashed, FileEnds (the
// task names the file as its source or destination, after `side`). An unreadable
// file is a failure with its error text as hash. Stop acts between files.
OperationSummary HashFiles(const HashJob& job, OperationObserver& observer, const StopToken& stop);
