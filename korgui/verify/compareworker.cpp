#include "korgui/verify/compareworker.h"

#include "korgui/verify/ivtprotocol.h"

#include "korverify/backgroundhash.h"
#include "korverify/treecompare.h"

CompareOnlySharedThread::CompareOnlySharedThread(IVTDialog* parent, int target, int operation, int hashType,
                                                 const wxString& srcFile, const wxString& dstFile,
                                                 const wxString& srcDir, const wxString& dstDir,
                                                 PathList::Shared pathSource, PathList::Shared pathDestination,
                                                 bool copyStatus,
                                                 const std::vector<ListingProblem>& sourceProblems,
                                                 const std::vector<ListingProblem>& destinationProblems)
    : MyThread(parent, wxTHREAD_DETACHED),
      m_txtOnlyInSource(Translated(wxTRANSLATE("Only in Source"))),
      m_txtOnlyInDestination(Translated(wxTRANSLATE("Only in Destination"))),
      m_target(target),
      m_operation(operation),
      m_hashType(hashType),
      m_srcFile(DeepCopy(srcFile)),
      m_dstFile(DeepCopy(dstFile)),
      m_srcDir(DeepCopy(srcDir)),
      m_dstDir(DeepCopy(dstDir)),
      m_sourceList(std::move(pathSource)),
      m_destinationList(std::move(pathDestination)),
      m_copyStatus(copyStatus),
      m_sourceProblems(DeepCopy(sourceProblems)),
      m_destinationProblems(DeepCopy(destinationProblems)),
      m_progressFormat(Translated(wxTRANSLATE("Progress: %4.2f"))),
      m_pairSourceProgressFormat(Translated(wxTRANSLATE("Calculating Hash Source...(Progress: %4.2f %c )"))),
      m_sourceProgressFormat(Translated(wxTRANSLATE("Calculating Hash Source...(Progress: %4.2f)"))),
      m_destinationProgressFormat(Translated(wxTRANSLATE("Calculating Hash Destination...(Progress: %4.2f)"))),
      m_txtCalculatingSource(Translated(wxTRANSLATE("(Calculating Hash Source...)"))),
      m_txtCalculatingDestination(Translated(wxTRANSLATE("(Calculating Hash Destination...)"))),
      m_txtNoRows(Translated(wxTRANSLATE("Error: this shouldn't happen. Please report the bug\n to ")) +
                  IVTDialog::SupportAddress())
{
}

wxThread::ExitCode CompareOnlySharedThread::Entry()
{
    // The rows show full paths, whatever the list showed before.
    Post(IVT_EVT_FULL_PATH, IVT_FLAG_TRUE);
    Post(IVT_EVT_SET_DISPLAYED_PATH, 0);
    if (m_target == IVT_TARGET_SINGLE_FILE && !IvtIsCopyOperation(m_operation))
        CompareSingleFiles();
    else
        CompareTrees(); // a single-file copy's two lists hold the source file and its copy
    return nullptr;
}

double CompareOnlySharedThread::Percent() const
{
    return 100.0 * static_cast<double>(m_hashes) / static_cast<double>(m_total);
}

wxString CompareOnlySharedThread::ProgressText(double percent) const
{
    return wxString::Format(m_progressFormat, percent) + "%";
}

void CompareOnlySharedThread::Count()
{
    ++m_hashes;
    PostProgress(m_hashes == m_total, ProgressText(Percent()));
}

void CompareOnlySharedThread::CompareSingleFiles()
{
    if (m_srcFile.empty())
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_COMPARE_EMPTY_SOURCE);
        Post(IVT_EVT_COMPARE_END);
        return;
    }
    Post(IVT_EVT_DELETE_ALL_ITEMS, IVT_DELETE_ALL);
    Post(IVT_EVT_INSERT_ITEM, 0, m_srcFile);
    Post(IVT_EVT_SET_COL1_FILE_DST, 0, m_dstFile);
    if (FileSizeOf(m_srcFile) > BIG_FILE_BYTES)
        Post(IVT_EVT_PROGRESS, 0, m_txtCalculatingSource);
    // The destination is read while the source is hashed; its text shows once the
    // source is done and the (slower, storage-read) destination goes on.
    BackgroundHash destination(m_dstFile, Algorithm(), FileSide::Destination);
    const wxString sourceHash = HashFileOnSide(m_srcFile, Algorithm(), FileSide::Source);
    Post(IVT_EVT_SET_COL2_HASH_SOURCE, 0, sourceHash);
    Post(IVT_EVT_SET_COL3_COPY_STATUS, 0, m_txtNotNeeded);
    if (FileSizeOf(m_dstFile) > BIG_FILE_BYTES)
        Post(IVT_EVT_PROGRESS, 0, m_txtCalculatingDestination);
    const wxString destinationHash = destination.Result();
    Post(IVT_EVT_SET_COL4_HASH_DESTINATION, 0, destinationHash);
    // A file that could not be read never verifies.
    const bool match = KcvHashesMatch(sourceHash, destinationHash);
    Post(IVT_EVT_SET_COL5_HASH_COMPARISON, 0, ComparisonText(match));
    if (!match)
        Post(IVT_EVT_SET_ITEM_RED, 0);
    Post(IVT_EVT_PROGRESS, 100, ProgressText(100));
    Post(IVT_EVT_COMPARE_END);
}

void CompareOnlySharedThread::CompareTrees()
{
    if (m_pathDestination.empty() && m_dstFile.empty() && m_destinationProblems.empty())
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_COMPARE_EMPTY_DESTINATION);
        Post(IVT_EVT_COMPARE_END);
        return;
    }
    Post(IVT_EVT_DELETE_ALL_ITEMS, IVT_DELETE_ALL);
    m_row = 0;
    m_hashes = 0;
    m_total = m_pathSource.size() + m_pathDestination.size();
    m_tally.Start(m_total, {m_sourceList, m_destinationList});

    // Source rows first (pairs and files only in the source, in source order), then
    // the destination files no source file matched. Stop acts between rows; its text
    // tells which of the two passes it ended.
    const OperationSummary summary = CompareListedTrees(
        {m_pathSource, m_srcDir, m_pathDestination, m_dstDir, m_sourceProblems, m_destinationProblems}, Algorithm(),
        *this, Stop());
    if (DialogGone())
        return;
    if (summary.stopped)
        return EndStopped(wxString::Format(m_progressFormat, 0.0) + (summary.stoppedInDestinationPass ? " % " : "%"),
                          IVT_EVT_COMPARE_END);
    if (m_row == 0)
        Post(IVT_EVT_INSERT_ITEM, 0, m_txtNoRows);
    ShowProblems(summary);
    Post(IVT_EVT_COMPARE_END);
}

void CompareOnlySharedThread::FileBegins(const FileTask& task)
{
    m_rowStartPercent = Percent();
    const long row = m_row++;
    const bool onlyInDestination = task.kind == TreeMatchKind::OnlyInDestination;
    Post(IVT_EVT_INSERT_ITEM, row, onlyInDestination ? m_emptyText : task.source);
    Post(IVT_EVT_SET_COL1_FILE_DST, row, task.destination); // empty for a source-only row
    if (onlyInDestination)
    {
        Post(IVT_EVT_SET_COL2_HASH_SOURCE, row, m_emptyText);
        Post(IVT_EVT_SET_COL3_COPY_STATUS, row, m_txtNotNeeded);
    }
}

void CompareOnlySharedThread::HashBegins(const FileTask& task, FileSide side, std::uint64_t size)
{
    m_hashSize = size;
    if (size <= BIG_FILE_BYTES)
        return;
    wxString text;
    if (side == FileSide::Destination)
        text = wxString::Format(m_destinationProgressFormat, m_rowStartPercent) + "%";
    else if (task.kind == TreeMatchKind::Pair)
        text = wxString::Format(m_pairSourceProgressFormat, m_rowStartPercent, '%');
    else
        text = wxString::Format(m_sourceProgressFormat, m_rowStartPercent) + "%";
    Post(IVT_EVT_PROGRESS, 0, WithThroughput(text));
}

void CompareOnlySharedThread::Hashed(const FileTask&, FileSide side, const wxString& hash)
{
    m_tally.FileDone(m_hashSize); // each file hashed counts as one
    const long row = m_row - 1;
    Post(side == FileSide::Source ? IVT_EVT_SET_COL2_HASH_SOURCE : IVT_EVT_SET_COL4_HASH_DESTINATION, row, hash);
    Count();
}

void CompareOnlySharedThread::FileEnds(const FileTask& task, const FileOutcome& outcome)
{
    const long row = m_row - 1;
    switch (task.kind)
    {
    case TreeMatchKind::Pair:
        Post(IVT_EVT_SET_COL3_COPY_STATUS, row, CopyStatusText());
        Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, ComparisonText(outcome.match));
        if (!outcome.match)
            Post(IVT_EVT_SET_ITEM_RED, row);
        break;
    case TreeMatchKind::OnlyInSource:
        Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, m_emptyText);
        Post(IVT_EVT_SET_COL3_COPY_STATUS, row, CopyStatusText());
        Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, m_txtOnlyInSource);
        break;
    case TreeMatchKind::OnlyInDestination:
        Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, m_txtOnlyInDestination);
        break;
    }
    StopIfDialogGone();
}

void CompareOnlySharedThread::ProblemFound(const ListingProblem& problem, FileSide side)
{
    PostProblemRow(m_row++, problem, side, m_txtNotPossible, m_txtNo);
}
