#pragma once

#include "korgui/ivtdialog.h"
#include "korgui/verify/workerevents.h"

#include <wx/string.h>
#include <wx/thread.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class IVTDialog;

// The base of every worker of the copy-and-verify tool. It reports to its dialog
// only through the dialog's event channel (never by calling into the dialog), and
// its texts are translated when it is created, on the GUI thread.
class MyThread : public wxThread
{
public:
    MyThread(IVTDialog* parent, wxThreadKind kind);
    ~MyThread() override;

    // Workers not yet deleted. Detached ones delete themselves, after their last event:
    // whoever shuts the toolkit down waits for 0.
    static int LiveCount() { return s_live.load(); }

    // Sets on Stop; polled by the stoppable workers between files.
    const StopFlag& GetStopFlag() const { return m_stopRequested; }
    bool StopRequested() const { return m_stopRequested->load(); }

    // True once Entry has returned (for joinable workers, which outlive their thread).
    bool HasEnded() const { return m_ended.load(); }

protected:
    // Queues a protocol event to the dialog. False once the dialog is gone.
    bool Post(int id, int value = 0, const wxString& text = wxString());
    // Sends a protocol event "immediately": returns after its handler has run, which
    // may take `handOver` (see WorkerEventChannel::Send).
    bool Send(int id, int value = 0, const wxString& text = wxString(), void* handOver = nullptr);
    // True when the dialog has gone away: the worker should end.
    bool DialogGone() const { return m_events->IsDetached(); }
    // The dialog's event channel, for calls that must run on the GUI thread.
    WorkerEventChannel& Events() const { return *m_events; }

    IVTDialog* const m_parent; // identity of the receiving dialog; never dereferenced on the worker thread
    const wxString m_emptyText;
    const wxString m_emptyText2;
    const wxString m_txtFailed;
    const wxString m_txtNotNeeded;
    const wxString m_txtNotPossible;
    const wxString m_txtNo;
    const wxString m_txtOk;
    const wxString m_txtSuccess;
    const StopFlag m_stopRequested = std::make_shared<std::atomic<bool>>(false);

    void OnExit() override { m_ended = true; }

private:
    static std::atomic<int> s_live;

    const std::shared_ptr<WorkerEventChannel> m_events;
    std::atomic<bool> m_ended{false};
};

// Lists the chosen source for the operation about to run and prepares the result
// list for it (joinable; the dialog waits for it in SourceChoice).
class SourceChoiceT : public MyThread
{
public:
    SourceChoiceT(IVTDialog* parent, int target, const wxString& srcFile, const wxString& tc1Text, int operation,
                  long itemCount, const wxString& tmpSrcDir);

protected:
    ExitCode Entry() override;

private:
    // Empties the source columns of every row before hashing the source again.
    void ClearSourceColumns();

    const int m_target;
    const wxString m_srcFile;
    const wxString m_tc1Text;
    const int m_operation;
    const long m_itemCount;
    const wxString m_tmpSrcDir;
};

// Lists the chosen destination and prepares the result list (joinable; the dialog
// waits for it in DestinationChoice).
class DestinationChoiceT : public MyThread
{
public:
    // `sourceCount`: the number of source files listed; `destinationCount`: the
    // number in the dialog's destination list, used as it is for a single-file copy.
    DestinationChoiceT(IVTDialog* parent, int target, const wxString& dstFile, size_t sourceCount, int operation,
                       long itemCount, const wxString& tmpDstDir, const wxString& dstDir, size_t destinationCount);

protected:
    ExitCode Entry() override;

private:
    const int m_target;
    const wxString m_dstFile;
    const long m_sourceCount;
    const int m_operation;
    const long m_itemCount;
    const wxString m_tmpDstDir;
    wxString m_dstDir;
    size_t m_destinationCount; // then the worker's own listing's
};

// Hashing and comparing workers (detached: they delete themselves when they end).
// Each works on copies of the dialog's lists taken when it is created and reports
// through events only; the stoppable ones look at their stop flag between files.

// Empties the "Hash Comparison" column, then hands over to Hash Source (`operation`
// 0) or Hash Destination (1) through its end event.
class HelperRunHashComparisonEmpty : public MyThread
{
public:
    HelperRunHashComparisonEmpty(IVTDialog* parent, long rowCount, int operation, wxThreadKind kind);

protected:
    ExitCode Entry() override;

private:
    const long m_rowCount;
    const int m_operation;
};

// Hashes the source files (or the single source file) into the "Source Hash"
// column, rewriting the rows that exist and appending the others.
class HashSourceThread : public MyThread
{
public:
    HashSourceThread(IVTDialog* parent, int target, const std::vector<wxString>& pathSource,
                     const wxString& srcFile, long rowCount, int hashType);

protected:
    ExitCode Entry() override;

private:
    void HashSingleFile();
    void HashFolder();

    const int m_target;
    const std::vector<wxString> m_pathSource;
    const wxString m_srcFile;
    const long m_rowCount;
    const int m_hashType;
    const wxString m_progressFormat;     // "Progress: %4.2f %c "
    const wxString m_stopProgressFormat; // "Progress: %4.2f %%"
};

// Hashes the destination files (or the single destination file, or the file a
// single-file copy made) into the "Destination Hash" column of the existing rows.
class HashDstThread : public MyThread
{
public:
    HashDstThread(IVTDialog* parent, int target, int operation, const std::vector<wxString>& pathDestination,
                  const wxString& dstFile, bool copyStatus, long rowCount, int hashType);

protected:
    ExitCode Entry() override;

private:
    void HashSingleFile();
    void HashFolder();
    // Row 0 gets `file` and its hash; the destination counts as hashed.
    void HashOneFile(const wxString& file);

    const int m_target;
    const int m_operation;
    const std::vector<wxString> m_pathDestination;
    const wxString m_dstFile;
    const bool m_copyStatus;
    const long m_rowCount;
    const int m_hashType;
    const wxString m_progressFormat; // "Progress: %4.2f %%"
};

// Pairs source and destination files by their exact path relative to their
// folders, hashes both sides of each pair and compares them, and lists the files
// found on one side only (or compares the two chosen single files). Starts from an
// empty list in the full-path view.
class CompareOnlySharedThread : public MyThread
{
public:
    CompareOnlySharedThread(IVTDialog* parent, int target, int operation, int hashType, const wxString& srcFile,
                            const wxString& dstFile, const wxString& srcDir, const wxString& dstDir,
                            const std::vector<wxString>& pathSource, const std::vector<wxString>& pathDestination,
                            bool copyStatus);

protected:
    ExitCode Entry() override;

private:
    void CompareSingleFiles();
    void CompareTrees();
    // One row each; false when the dialog has gone away.
    bool EmitPair(const wxString& source, const wxString& destination);
    bool EmitOnlyInSource(const wxString& source);
    bool EmitOnlyInDestination(const wxString& destination);
    // One more hash done: the progress text, green at the last one.
    void Count();
    double Percent() const;
    wxString ProgressText(double percent) const;
    // A stop between rows: the zero progress with `percentSuffix`, the clean, the end.
    void EndStopped(const wxString& percentSuffix);
    const wxString& CopyStatusText() const { return m_copyStatus ? m_txtSuccess : m_txtNotNeeded; }
    const wxString& ComparisonText(const wxString& a, const wxString& b) const;

    const wxString m_txtOnlyInSource;
    const wxString m_txtOnlyInDestination;
    const int m_target;
    const int m_operation;
    const int m_hashType;
    const wxString m_srcFile;
    const wxString m_dstFile;
    const wxString m_srcDir;
    const wxString m_dstDir;
    const std::vector<wxString> m_pathSource;
    const std::vector<wxString> m_pathDestination;
    const bool m_copyStatus;
    // Progress texts, translated on the GUI thread. A big file gets a text of its own
    // before it is hashed, since it takes a while.
    const wxString m_progressFormat;             // "Progress: %4.2f"
    const wxString m_pairSourceProgressFormat;   // "Calculating Hash Source...(Progress: %4.2f %c )"
    const wxString m_sourceProgressFormat;       // "Calculating Hash Source...(Progress: %4.2f)"
    const wxString m_destinationProgressFormat;  // "Calculating Hash Destination...(Progress: %4.2f)"
    const wxString m_txtCalculatingSource;      // "(Calculating Hash Source...)"
    const wxString m_txtCalculatingDestination; // "(Calculating Hash Destination...)"
    const wxString m_txtNoRows;                 // the internal-error row

    // Working state of one run
    long m_row = 0;           // next row of the result list
    std::size_t m_hashes = 0; // hashes computed so far
    std::size_t m_total = 0;  // hashes the run will compute
};

// Set by Stop, cleared by Clean; the copy progress reporting reads it to word its text.
extern std::atomic<bool> stopPressed;

// Copy workers

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

// What the two copy workers share: copying one file with per-file progress for big
// files, and the list of files that could not be copied, shown at the end.
class CopyWorker : public MyThread
{
public:
    // Test seam: runs on the worker after each successful copy, with the destination
    // path, before the file is hashed or reported. Set only while no copy worker runs.
    static void SetAfterEachCopyForTesting(std::function<void(const wxString& destination)> hook);

    // Posts the per-file text of a big file (over 200,000,000 bytes; the progress
    // routine calls it for those only), at most every FILE_PROGRESS_INTERVAL.
    void ReportCurrentFileProgress(double filePercent, int eventId, const wxString& file, double overallPercent,
                                   bool stopPressed);
    double OverallPercent() const { return m_overallPercent; }

protected:
    CopyWorker(IVTDialog* parent, const wxString& dstDir, const wxString& dstFieldText,
               const std::vector<wxString>& pathSource, const std::vector<wxString>& pathDestination);

    // Copies `source` to `destination` with progress; on failure remembers why.
    bool CopyOneFile(const wxString& source, const wxString& destination);
    // Where a source file with relative path `rel` goes.
    wxString DestinationOf(const wxString& rel) const;
    // Creates the folder `destination` goes into, with its parents.
    void CreateFolderOf(const wxString& destination);
    // Shows, on the GUI thread, which files could not be copied and why (if any).
    void ReportFailures();
    // The end of a stopped run: zero progress, the dialog cleans, the end event.
    void EndStopped(const wxString& zeroProgress, int endId, int endValue);
    // A one-line progress text of "File %d of %d" and the rest.
    wxString FileOf(size_t index, size_t count) const;

    const wxString m_dstDir;
    const wxString m_dstFieldText; // the destination path field when the run started
    const std::vector<wxString> m_pathSource;
    std::vector<wxString> m_pathDestination; // grows by every file copied
    double m_overallPercent = 0;             // files done, before the current one
    double m_currentFilePercent = 0;

private:
    static std::function<void(const wxString&)> s_afterEachCopy;

    const wxString m_fmtFileOf;
    const wxString m_fmtCopyingFile;
    const wxString m_fmtWaitCurrentFile;
    const wxString m_txtCopyErrorCaption;
    const wxString m_txtCopyErrorIntro;
    const wxString m_fmtMoreErrors;
    std::vector<wxString> m_failures; // "path\n    reason" per file that failed
    wxString m_lastFolder;            // the destination folder made last
    wxString m_progressFile;          // the file the last per-file text was about
    std::chrono::steady_clock::time_point m_lastFileProgress;
};

// "Copy Source to Destination": copies the source files into the empty destination
// folder, recreating their sub-folders, or a single file into the destination folder.
class CopySrcToDstThread : public CopyWorker
{
public:
    CopySrcToDstThread(IVTDialog* parent, int operation, int target, const wxString& srcFile, const wxString& srcDir,
                       const wxString& dstDir, const wxString& dstFieldText, const std::vector<wxString>& pathSource,
                       const std::vector<wxString>& pathDestination, bool copyStatus, bool copyHappened);

protected:
    ExitCode Entry() override;

private:
    void CopySingleFile();
    void CopyFolders();
    // Sets the copy flags, here and in the dialog, after a successful copy.
    void NoteCopied();

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
// copies it, hashes the copy and compares the two.
class CopySrcToDstAndCompareThread : public CopyWorker
{
public:
    CopySrcToDstAndCompareThread(IVTDialog* parent, const std::vector<wxString>& pathSource,
                                 const std::vector<wxString>& pathDestination, const wxString& srcDir,
                                 const wxString& dstDir, int hashType);

protected:
    ExitCode Entry() override;

private:
    const wxString m_srcDir;
    const int m_hashType;
    const wxString m_txtNotEmptyWarning;
    const wxString m_txtNotEmptyCaption;
    const wxString m_txtHashingSource;
    const wxString m_txtHashingDestination;
    const wxString m_fmtProgress;
    const wxString m_fmtZeroProgress;
};


// What a view refresh needs of the dialog, taken on the GUI thread when it starts.
struct PathViewSnapshot
{
    int requestedView = 0;  // selection of the Displayed Path choice: 0 full, 1 relative
    bool fullViewNow = true; // the list shows full paths now
    bool hasSourcePaths = false;      // some row has a column 0
    bool hasDestinationPaths = false; // some row has a column 1
    std::vector<wxString> sourceCells;      // column 0 of every row
    std::vector<wxString> destinationCells; // column 1 of every row
    wxString sourceFile;
    wxString destinationFile;
    std::vector<wxString> recordedSourcePaths;
    std::vector<wxString> recordedDestinationPaths;
    wxString sourceFolder;
    wxString destinationFolder;
    int operation = 0;
    int target = 0;
};

// Switches the two path columns between full paths and paths relative to the chosen
// source and destination (detached). Ends with IVT_EVT_REFRESH_VIEW_END.
class RefreshViewThread : public MyThread
{
public:
    RefreshViewThread(IVTDialog* parent, const PathViewSnapshot& snapshot);

protected:
    ExitCode Entry() override;

private:
    void ToRelative();
    void ToFull();
    // Target Single File with an operation that reads a destination file.
    bool SingleFileCase() const;
    long Rows() const { return static_cast<long>(m_view.sourceCells.size()); }

    PathViewSnapshot m_view; // deep copies
};

// Deletes from the destination every file whose destination hash an earlier row
// already has (detached); the first row of each group keeps its file. Ends with
// IVT_EVT_NO_DUPLICATES_END after the user has closed its closing message.
class deleteDuplicatesThread : public MyThread
{
public:
    // One path and one hash per row (columns 1 and 4), full paths.
    deleteDuplicatesThread(IVTDialog* parent, const std::vector<wxString>& destinationPaths,
                           const std::vector<wxString>& destinationHashes, const wxString& removedPrefix);

protected:
    ExitCode Entry() override;

private:
    // The closing message on the GUI thread, then the normal cursor back; returns
    // when the user has closed it.
    void Finish(int removed, int failed);

    const std::vector<wxString> m_destinationPaths;
    const std::vector<wxString> m_destinationHashes;
    const wxString m_removedPrefix;
    const wxString m_notRemovedFormat;
    const wxString m_percentFormat;
    const wxString m_removedFormat;
    const wxString m_failedFormat;
    const wxString m_noDuplicatesCaption;
    const wxString m_noDuplicatesText;
};
