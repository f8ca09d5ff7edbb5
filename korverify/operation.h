#pragma once

// What the per-file operations (hashing a list, copying a tree, copying and verifying,
// comparing two trees) have in common: one file's task and outcome, the observer they
// report to while they run, and the summary they end with.
//
// An operation runs on the caller's thread, file after file in list order. It polls
// its StopToken after each file (never inside one), and after its files it reports
// the listing problems it was given, so every entry of the listings is accounted for.

#include "korverify/filecopy.h"
#include "korverify/listing.h"
#include "korverify/treematch.h"
#include "korverify/uniquefd.h"

#include "korbase/hash.h"

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <vector>

enum class FileSide
{
    Source,
    Destination, // hashed from storage (HashFdFromStorage), never from the page cache
};

// The hash of `path` on `side`: "" for an algorithm out of range, the error text of
// KcvCalcHashFromFile ("Unreadable: ...") for a file that cannot be read.
wxString HashFileOnSide(const wxString& path, HashAlgorithm algorithm, FileSide side);

// The size of `path` following links; 0 when it cannot be looked at.
std::uint64_t FileSizeOf(const wxString& path);

// A file opened to be hashed on one side. Its size comes from the open file, so a
// file costs one open and no separate look at its name: with 100,000 small files
// that look is a good part of the work.
class FileToHash
{
public:
    FileToHash(const wxString& path, FileSide side);

    // Its size; for a file that cannot be opened, the size its name shows (or 0).
    std::uint64_t Size() const { return m_size; }
    // As HashFileOnSide gives it. Once per object.
    wxString Hash(HashAlgorithm algorithm);

private:
    UniqueFd m_fd;
    int m_error = 0; // why it could not be opened
    std::uint64_t m_size = 0;
    FileSide m_side;
};

// One file (one row) of an operation.
struct FileTask
{
    std::size_t index = 0; // from 0, in the order files are handled
    std::size_t count = 0; // files (rows) the operation handles in all
    TreeMatchKind kind = TreeMatchKind::Pair; // compare: which sides the row has
    wxString source;       // empty for a compare's OnlyInDestination row
    wxString destination;  // empty for hashing and for OnlyInSource rows
    std::uint64_t size = 0; // of the source (of the destination when there is none)
};

// What became of one file.
struct FileOutcome
{
    wxString sourceHash;      // empty when not hashed
    wxString destinationHash; // empty when not hashed (a failed copy has none)
    bool copyTried = false;
    FileCopyResult copy;      // when copyTried
    bool compared = false;    // both sides hashed (or a copy failed) and compared
    bool match = false;       // when compared: KcvHashesMatch of the two hashes
    // Why the file failed, empty when it did not: a copy error, an unreadable file,
    // "Hashes differ". Plain English.
    wxString failure;
};

struct FileFailure
{
    wxString path;
    wxString reason;
};

struct OperationSummary
{
    std::size_t files = 0;     // files (rows) handled, problems not included
    std::size_t succeeded = 0; // of those: hashed, copied, verified or matched
    std::vector<FileFailure> failures;
    std::vector<ListingProblem> sourceProblems;      // as reported, in order
    std::vector<ListingProblem> destinationProblems;
    std::vector<wxString> leftoversRemoved; // copies: temporary files of an interrupted run
    bool stopped = false;
    // Compare: the stop came once the source rows were done.
    bool stoppedInDestinationPass = false;
    bool refused = false; // nothing was done; `refusal` says why
    wxString refusal;

    // Every file handled and fine, nothing skipped.
    bool AllGood() const
    {
        return !stopped && !refused && failures.empty() && sourceProblems.empty() && destinationProblems.empty();
    }
};

// Receives an operation's progress on the operating thread, in this order per file:
// FileBegins, then for each step HashBegins + Hashed or CopyProgress... + Copied,
// then FileEnds; all calls of a file before those of the next. A copy with
// verification hashes the source with its copy, so its Hashed(Source) may come after
// the CopyProgress calls, and a small file's calls come together once it is verified
// (CopyTreeAndVerify). Problems come after the last file. Every method may be left out.
class OperationObserver
{
public:
    virtual ~OperationObserver() = default;

    virtual void FileBegins(const FileTask& /*task*/) {}
    // Before a file of `side` is hashed, with its size: a big file takes a while.
    virtual void HashBegins(const FileTask& /*task*/, FileSide /*side*/, std::uint64_t /*size*/) {}
    virtual void Hashed(const FileTask& /*task*/, FileSide /*side*/, const wxString& /*hash*/) {}
    // Bytes of the current copy; see CopyProgressCallback (the copy always goes on).
    virtual void CopyProgress(const FileTask& /*task*/, std::uint64_t /*total*/, std::uint64_t /*copied*/) {}
    virtual void Copied(const FileTask& /*task*/, const FileCopyResult& /*result*/) {}
    virtual void FileEnds(const FileTask& /*task*/, const FileOutcome& /*outcome*/) {}
    virtual void ProblemFound(const ListingProblem& /*problem*/, FileSide /*side*/) {}
};

// For the operations themselves: counts a finished file into `summary`.
void CountOutcome(OperationSummary& summary, const FileTask& task, const FileOutcome& outcome);
// Reports `problems` of `side` to the observer and keeps them in `summary`.
void ReportProblems(OperationSummary& summary, const std::vector<ListingProblem>& problems, FileSide side,
                    OperationObserver& observer);
