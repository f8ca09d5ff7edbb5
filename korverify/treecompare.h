#pragma once

// Comparing two listed trees ("Compare Source and Destination").

#include "korverify/operation.h"
#include "korverify/stoptoken.h"

struct CompareJob
{
    std::vector<wxString> sourceFiles;
    wxString sourceBase;
    std::vector<wxString> destinationFiles;
    wxString destinationBase;
    std::vector<ListingProblem> sourceProblems;
    std::vector<ListingProblem> destinationProblems;
    // When one side has no files, every file of the other is on its side only. Without
    // it such a compare has no rows, as MatchTrees says (the dialog shows an error row).
    bool emptySideIsOneSided = false;
};

// Goes through the rows of MatchTrees: a pair has both files hashed (the destination
// from storage) and compared; a one-sided row has its one file hashed and counts as
// a failure ("Only in the source" / "Only in the destination"). Per row: FileBegins
// (the task's kind tells the row), then per side HashBegins and Hashed, then FileEnds.
// A pair with a side over HASH_AHEAD_MAX_BYTES has both sides hashed at the same time:
// HashBegins for the source and the destination, then Hashed for each in that order.
//
// Rows are hashed ahead on a second thread and reported in order on the calling
// thread (as HashFiles does); the second thread has ended when this returns.
//
// Stop acts between rows, and also where the destination-only rows would begin (or,
// when every file had a partner, after the last row); `stoppedInDestinationPass`
// tells whether the source rows were all done.
OperationSummary CompareListedTrees(const CompareJob& job, HashAlgorithm algorithm, OperationObserver& observer,
                                    const StopToken& stop);
