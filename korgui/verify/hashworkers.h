#pragma once

#include "korgui/verify/mythread.h"
#include "korgui/verify/pathlist.h"

// Hashing workers (detached: they delete themselves when they end). Each works on
// the dialog's lists as they were when it was created (shared read-only, see
// pathlist.h) and reports through events only; Stop acts between files.

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

// What both hashing workers do on folders: the files hashed into their rows, then a
// row per entry the listing skipped (`problems`), and the end message naming those.
class HashListWorker : public MyThread, private OperationObserver
{
protected:
    HashListWorker(IVTDialog* parent, FileSide side, int target, PathList::Shared files, long rowCount,
                   int hashType, const std::vector<ListingProblem>& problems);

    // The single file of Target "Single File", or the listed files.
    ExitCode Entry() override;
    virtual void HashSingleFile() = 0;
    virtual void HashFolder() = 0;

    // Hashes the files, then the skipped entries' rows from `firstProblemRow` on; the
    // flag event `happenedId` (unless stopped), then `endId`. Nothing once the dialog is gone.
    void HashList(long firstProblemRow, const wxString& stopProgress, int happenedId, int endId);
    // The progress text after a file.
    virtual wxString ProgressText(double percent) const = 0;
    HashAlgorithm Algorithm() const { return static_cast<HashAlgorithm>(m_hashType); }

    const FileSide m_side;
    const int m_target;
    const PathList::Shared m_fileList;          // shared with the dialog, read-only
    const std::vector<wxString>& m_files = *m_fileList;
    const long m_rowCount;
    const int m_hashType;
    const std::vector<ListingProblem> m_problems;

private:
    void FileBegins(const FileTask& task) override;
    void Hashed(const FileTask& task, FileSide side, const wxString& hash) override;
    void FileEnds(const FileTask& task, const FileOutcome& outcome) override;
    void ProblemFound(const ListingProblem& problem, FileSide side) override;

    long m_nextProblemRow = 0;
};

// Hashes the source files (or the single source file) into the "Source Hash"
// column, rewriting the rows that exist and appending the others.
class HashSourceThread : public HashListWorker
{
public:
    HashSourceThread(IVTDialog* parent, int target, PathList::Shared pathSource,
                     const wxString& srcFile, long rowCount, int hashType,
                     const std::vector<ListingProblem>& problems = {});

private:
    wxString ProgressText(double percent) const override;
    void HashSingleFile() override;
    void HashFolder() override;

    const wxString m_srcFile;
    const wxString m_progressFormat;     // "Progress: %4.2f %c "
    const wxString m_stopProgressFormat; // "Progress: %4.2f %%"
};

// Hashes the destination files (or the single destination file, or the file a
// single-file copy made) from storage into the "Destination Hash" column of the
// existing rows.
class HashDstThread : public HashListWorker
{
public:
    HashDstThread(IVTDialog* parent, int target, int operation, PathList::Shared pathDestination,
                  const wxString& dstFile, bool copyStatus, long rowCount, int hashType,
                  const std::vector<ListingProblem>& problems = {});

private:
    wxString ProgressText(double percent) const override;
    void HashSingleFile() override;
    void HashFolder() override;
    // Row 0 gets `file` and its hash; the destination counts as hashed.
    void HashOneFile(const wxString& file);

    const int m_operation;
    const wxString m_dstFile;
    const bool m_copyStatus;
    const wxString m_progressFormat; // "Progress: %4.2f %%"
};
