#pragma once

#include "korgui/verify/mythread.h"
#include "korgui/verify/pathlist.h"

#include "korverify/treecopy.h"

#include <chrono>
#include <cstdint>
#include <functional>

// Set by Stop, cleared by Clean; the copy progress reporting reads it to word its text.
extern std::atomic<bool> stopPressed;

class CopyWorker;

// What the copy progress routine needs to reach the worker that is copying: the
// state the routine is called with, filled before each file.
struct CopyProgressState
{
    CopyWorker* thread = nullptr; // the copying worker, which the routine reports to
    wxString currentFile;         // the source file being copied
};

// The progress routine of a copy: reports the file's percentage to the copying
// worker, on the copying thread. Always lets the copy go on: Stop is observed only
// between files, and a file is never left half copied.
bool CopyProgressRoutine(const CopyProgressState& state, std::uint64_t totalBytes, std::uint64_t bytesCopied);

// What the two copy workers share: per-file progress for big files, and the list of
// files that could not be copied (and entries the listing skipped), shown at the end.
class CopyWorker : public MyThread, protected OperationObserver
{
public:
    // Test seam: runs after each successful copy, with the destination path, before
    // the copy is verified or reported (CopyJob::afterEachCopy: on the worker or on the
    // engine's verifying thread). Set only while no copy worker runs.
    static void SetAfterEachCopyForTesting(std::function<void(const wxString& destination)> hook);

    // Posts the per-file text of a big file (over 200,000,000 bytes; the progress
    // routine calls it for those only), at most every FILE_PROGRESS_INTERVAL.
    void ReportCurrentFileProgress(double filePercent, int eventId, const wxString& file, double overallPercent,
                                   bool stopPressed);
    double OverallPercent() const { return m_overallPercent; }

protected:
    CopyWorker(IVTDialog* parent, const wxString& dstDir, const wxString& dstFieldText,
               PathList::Shared pathSource, const std::vector<wxString>& pathDestination,
               const std::vector<ListingProblem>& problems, const wxString& problemComparison);

    // Copies `source` to `destination` with progress; on failure remembers why.
    bool CopyOneFile(const wxString& source, const wxString& destination);
    // Shows, on the GUI thread, which files could not be copied and why (if any).
    void ReportFailures();
    void BeforeStoppedEnd() override;
    // A one-line progress text of "File %d of %d" and the rest.
    wxString FileOf(size_t index, size_t count) const;
    // Speed and time left count from here: the listed files, `passes` over each.
    void StartTally(unsigned passes);
    // The copy of the listed tree, as CopyJob wants it.
    CopyJob Job(const wxString& sourceBase) const;

    // A failed copy noted for the end message; after a good one, the test seam.
    void NoteCopyOutcome(const FileTask& task, const FileCopyResult& result);
    // The copy flags of the dialog after a file's copy, each copy as it always did.
    virtual void NoteCopyFlags(bool copied) = 0;
    // The progress text after file `task`, `percent` of all files done.
    virtual wxString ProgressText(const FileTask& task, double percent) const = 0;

    // Per file, both copies: the row, the copy's cells, the progress.
    void FileBegins(const FileTask& task) override;
    void Copied(const FileTask& task, const FileCopyResult& result) override;
    void FileEnds(const FileTask& task, const FileOutcome& outcome) override;
    void CopyProgress(const FileTask& task, std::uint64_t total, std::uint64_t copied) override;
    // A skipped entry: a "Failed" row (red), and a line in the end message.
    void ProblemFound(const ListingProblem& problem, FileSide side) override;

    const wxString m_dstDir;
    const wxString m_dstFieldText; // the destination path field when the run started
    const PathList::Shared m_sourceList; // shared with the dialog, read-only
    const std::vector<wxString>& m_pathSource = *m_sourceList;
    std::vector<wxString> m_pathDestination; // grows by every file copied
    const std::vector<ListingProblem> m_problems;
    double m_overallPercent = 0;             // files done, before the current one
    double m_currentFilePercent = 0;
    long m_problemRows = 0; // rows of skipped entries so far

private:
    static std::function<void(const wxString&)> s_afterEachCopy;

    const wxString m_problemComparison; // the Hash Comparison cell of a skipped entry's row
    const wxString m_fmtFileOf;
    const wxString m_fmtCopyingFile;
    const wxString m_fmtWaitCurrentFile;
    const wxString m_txtCopyErrorCaption;
    const wxString m_txtCopyErrorIntro;
    std::vector<wxString> m_failures; // "path\n    reason" per file that failed
    wxString m_progressFile;          // the file the last per-file text was about
    std::chrono::steady_clock::time_point m_lastFileProgress;
};

// "Copy Source to Destination": copies the source files into the empty destination
// folder, recreating their sub-folders, or a single file into the destination folder.
class CopySrcToDstThread : public CopyWorker
{
public:
    CopySrcToDstThread(IVTDialog* parent, int operation, int target, const wxString& srcFile, const wxString& srcDir,
                       const wxString& dstDir, const wxString& dstFieldText, PathList::Shared pathSource,
                       const std::vector<wxString>& pathDestination, bool copyStatus, bool copyHappened,
                       const std::vector<ListingProblem>& problems = {});

protected:
    ExitCode Entry() override;

private:
    void CopySingleFile();
    void CopyFolders();
    // Sets the copy flags, here and in the dialog, after a successful copy.
    void NoteCopied();

    void NoteCopyFlags(bool copied) override;
    wxString ProgressText(const FileTask& task, double percent) const override;

    const int m_operation;
    const int m_target;
    const wxString m_srcFile;
    const wxString m_srcDir;
    const wxString m_fmtCopyProgress;
    const wxString m_fmtZeroProgress;
    bool m_CopyStatus;
    bool m_CopyHappened;
};

// "Copy Source to Destination and Compare" on folders: per file, hashes the source,
// copies it, hashes the copy from storage and compares the two.
class CopySrcToDstAndCompareThread : public CopyWorker
{
public:
    CopySrcToDstAndCompareThread(IVTDialog* parent, PathList::Shared pathSource,
                                 const std::vector<wxString>& pathDestination, const wxString& srcDir,
                                 const wxString& dstDir, int hashType,
                                 const std::vector<ListingProblem>& problems = {});

protected:
    ExitCode Entry() override;

private:
    // The destination was not empty: the user is told, the run ends.
    void RefuseNotEmpty();

    void NoteCopyFlags(bool copied) override;
    wxString ProgressText(const FileTask& task, double percent) const override;
    void HashBegins(const FileTask& task, FileSide side, std::uint64_t size) override;
    void Hashed(const FileTask& task, FileSide side, const wxString& hash) override;
    void FileEnds(const FileTask& task, const FileOutcome& outcome) override;

    const wxString m_srcDir;
    const int m_hashType;
    const wxString m_txtNotEmptyWarning;
    const wxString m_txtNotEmptyCaption;
    const wxString m_txtHashingSource;
    const wxString m_txtHashingDestination;
    const wxString m_fmtProgress;
    const wxString m_fmtZeroProgress;
};
