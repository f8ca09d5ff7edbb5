#pragma once

#include "korgui/verify/mythread.h"
#include "korgui/verify/pathlist.h"

// Pairs source and destination files by their exact path relative to their
// folders, hashes both sides of each pair (the destination from storage) and
// compares them, and lists the files found on one side only (or compares the two
// chosen single files); then a row per entry the listings skipped. Starts from an
// empty list in the full-path view.
class CompareOnlySharedThread : public MyThread, private OperationObserver
{
public:
    CompareOnlySharedThread(IVTDialog* parent, int target, int operation, int hashType, const wxString& srcFile,
                            const wxString& dstFile, const wxString& srcDir, const wxString& dstDir,
                            PathList::Shared pathSource, PathList::Shared pathDestination,
                            bool copyStatus, const std::vector<ListingProblem>& sourceProblems = {},
                            const std::vector<ListingProblem>& destinationProblems = {});

protected:
    ExitCode Entry() override;

private:
    void CompareSingleFiles();
    void CompareTrees();
    // One more hash done: the progress text, green at the last one.
    void Count();
    double Percent() const;
    wxString ProgressText(double percent) const;
    const wxString& CopyStatusText() const { return m_copyStatus ? m_txtSuccess : m_txtNotNeeded; }
    const wxString& ComparisonText(bool match) const { return match ? m_txtOk : m_txtNo; }
    HashAlgorithm Algorithm() const { return static_cast<HashAlgorithm>(m_hashType); }

    void FileBegins(const FileTask& task) override;
    void HashBegins(const FileTask& task, FileSide side, std::uint64_t size) override;
    void Hashed(const FileTask& task, FileSide side, const wxString& hash) override;
    void FileEnds(const FileTask& task, const FileOutcome& outcome) override;
    void ProblemFound(const ListingProblem& problem, FileSide side) override;

    const wxString m_txtOnlyInSource;
    const wxString m_txtOnlyInDestination;
    const int m_target;
    const int m_operation;
    const int m_hashType;
    const wxString m_srcFile;
    const wxString m_dstFile;
    const wxString m_srcDir;
    const wxString m_dstDir;
    const PathList::Shared m_sourceList;      // shared with the dialog, read-only
    const PathList::Shared m_destinationList; // the same
    const std::vector<wxString>& m_pathSource = *m_sourceList;
    const std::vector<wxString>& m_pathDestination = *m_destinationList;
    const bool m_copyStatus;
    const std::vector<ListingProblem> m_sourceProblems;
    const std::vector<ListingProblem> m_destinationProblems;
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
    long m_row = 0;             // next row of the result list
    std::size_t m_hashes = 0;   // hashes computed so far
    std::size_t m_total = 0;    // hashes the run will compute
    double m_rowStartPercent = 0; // Percent() when the current row began
    std::uint64_t m_hashSize = 0; // of the file being hashed
};
