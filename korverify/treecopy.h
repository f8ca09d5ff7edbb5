#pragma once

// Copying a listed tree into an empty folder ("Copy Source to Destination"), and
// copying it with verification ("Copy Source to Destination and Compare").

#include "korverify/operation.h"
#include "korverify/stoptoken.h"

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
};

// Where `file` goes: its path relative to `sourceBase`, under `destinationFolder`.
wxString CopyDestinationOf(const wxString& file, const wxString& sourceBase, const wxString& destinationFolder);

// Copies the files in order with CopyFileWithProgress, creating their folders. Per
// file: FileBegins, CopyProgress..., Copied, FileEnds. A refused destination gives a
// summary with `refused` and no file touched. Stop acts between files.
OperationSummary CopyTree(const CopyJob& job, OperationObserver& observer, const StopToken& stop);

// As CopyTree, and per file: the source is hashed before the copy (small files a few
// files ahead, on a second thread: HashReadAhead), the copy is hashed from storage
// after it, and the two compared. Per file: FileBegins, [HashBegins] Hashed(Source),
// CopyProgress..., Copied, [HashBegins Hashed(Destination), when copied], FileEnds.
// HashBegins of the source comes only for files not hashed ahead.
OperationSummary CopyTreeAndVerify(const CopyJob& job, HashAlgorithm algorithm, OperationObserver& observer,
                                   const StopToken& stop);
