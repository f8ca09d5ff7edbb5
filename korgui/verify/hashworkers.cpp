#include "korgui/verify/hashworkers.h"

#include "korgui/verify/ivtprotocol.h"

#include "korverify/hashlist.h"

#include <algorithm>

HelperRunHashComparisonEmpty::HelperRunHashComparisonEmpty(IVTDialog* parent, long rowCount, int operation,
                                                           wxThreadKind kind)
    : MyThread(parent, kind), m_rowCount(rowCount), m_operation(operation)
{
}

wxThread::ExitCode HelperRunHashComparisonEmpty::Entry()
{
    for (long row = 0; row < m_rowCount; ++row)
    {
        if (!Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, m_emptyText))
            return nullptr;
    }
    // The end handler goes on with the hashing that the code names.
    int next = 0;
    if (m_operation == IVT_OP_HASH_SOURCE)
        next = IVT_HASH_HELPER_END_SOURCE;
    else if (m_operation == IVT_OP_HASH_DESTINATION)
        next = IVT_HASH_HELPER_END_DESTINATION;
    Post(IVT_EVT_HASH_HELPER_END, next);
    return nullptr;
}

HashListWorker::HashListWorker(IVTDialog* parent, FileSide side, int target, PathList::Shared files,
                               long rowCount, int hashType, const std::vector<ListingProblem>& problems)
    : MyThread(parent, wxTHREAD_DETACHED),
      m_side(side),
      m_target(target),
      m_fileList(std::move(files)),
      m_rowCount(rowCount),
      m_hashType(hashType),
      m_problems(DeepCopy(problems))
{
}

wxThread::ExitCode HashListWorker::Entry()
{
    if (m_target == IVT_TARGET_SINGLE_FILE)
        HashSingleFile();
    else
        HashFolder();
    return nullptr;
}

void HashListWorker::HashList(long firstProblemRow, const wxString& stopProgress, int happenedId, int endId)
{
    Post(IVT_EVT_SCROLL_LIST, IVT_SCROLL_TO_TOP);
    m_nextProblemRow = firstProblemRow;
    m_tally.Start(m_files.size(), {m_fileList});
    const OperationSummary summary = HashFiles({m_files, Algorithm(), m_side, m_problems}, *this, Stop());
    if (DialogGone())
        return;
    if (summary.stopped)
        return EndStopped(stopProgress, endId);
    ShowProblems(summary);
    Send(happenedId, IVT_FLAG_TRUE);
    Post(endId);
}

void HashListWorker::FileBegins(const FileTask& task)
{
    const long row = static_cast<long>(task.index);
    if (m_side == FileSide::Destination)
        Post(IVT_EVT_SET_COL1_FILE_DST, row, task.destination); // the listing made a row per file
    else if (m_rowCount == 0 || row >= m_rowCount)
        Post(IVT_EVT_INSERT_ITEM, row, task.source);
    else
        Post(IVT_EVT_SET_COL0_TEXT, row, task.source); // rows from the listing are rewritten in place
}

void HashListWorker::Hashed(const FileTask& task, FileSide side, const wxString& hash)
{
    Post(side == FileSide::Source ? IVT_EVT_SET_COL2_HASH_SOURCE : IVT_EVT_SET_COL4_HASH_DESTINATION,
         static_cast<long>(task.index), hash);
}

void HashListWorker::FileEnds(const FileTask& task, const FileOutcome&)
{
    m_tally.FileDone(task.size);
    PostProgress(task.index + 1 == task.count, ProgressText(PercentAfter(task.index, task.count)));
    StopIfDialogGone();
}

void HashListWorker::ProblemFound(const ListingProblem& problem, FileSide side)
{
    PostProblemRow(m_nextProblemRow++, problem, side, m_txtNotPossible);
}

HashSourceThread::HashSourceThread(IVTDialog* parent, int target, PathList::Shared pathSource,
                                   const wxString& srcFile, long rowCount, int hashType,
                                   const std::vector<ListingProblem>& problems)
    : HashListWorker(parent, FileSide::Source, target, std::move(pathSource), rowCount, hashType, problems),
      m_srcFile(DeepCopy(srcFile)),
      m_progressFormat(Translated(wxTRANSLATE("Progress: %4.2f %c "))),
      m_stopProgressFormat(Translated(wxTRANSLATE("Progress: %4.2f %%")))
{
}

wxString HashSourceThread::ProgressText(double percent) const
{
    return wxString::Format(m_progressFormat, percent, '%');
}

void HashSourceThread::HashSingleFile()
{
    Post(IVT_EVT_SET_COL0_TEXT, 0, m_srcFile);
    Post(IVT_EVT_SET_COL2_HASH_SOURCE, 0, HashFileOnSide(m_srcFile, Algorithm(), FileSide::Source));
    Send(IVT_EVT_HASH_SRC_HAPPENED, IVT_FLAG_TRUE);
    Post(IVT_EVT_HASH_SOURCE_END);
}

void HashSourceThread::HashFolder()
{
    if (m_files.empty() && m_rowCount == 0 && m_problems.empty())
    {
        Post(IVT_EVT_SET_TC1, 0, m_emptyText);
        Post(IVT_EVT_HASH_SOURCE_END);
        return;
    }
    HashList(static_cast<long>(m_files.size()), wxString::Format(m_stopProgressFormat, 0.0), IVT_EVT_HASH_SRC_HAPPENED,
             IVT_EVT_HASH_SOURCE_END);
}

HashDstThread::HashDstThread(IVTDialog* parent, int target, int operation,
                             PathList::Shared pathDestination, const wxString& dstFile, bool copyStatus,
                             long rowCount, int hashType, const std::vector<ListingProblem>& problems)
    : HashListWorker(parent, FileSide::Destination, target, std::move(pathDestination), rowCount, hashType, problems),
      m_operation(operation),
      m_dstFile(DeepCopy(dstFile)),
      m_copyStatus(copyStatus),
      m_progressFormat(Translated(wxTRANSLATE("Progress: %4.2f %%")))
{
}

wxString HashDstThread::ProgressText(double percent) const
{
    return wxString::Format(m_progressFormat, percent);
}

void HashDstThread::HashOneFile(const wxString& file)
{
    Post(IVT_EVT_SET_COL1_FILE_DST, 0, file);
    Post(IVT_EVT_SET_COL4_HASH_DESTINATION, 0, HashFileOnSide(file, Algorithm(), FileSide::Destination));
    Send(IVT_EVT_HASH_DST_HAPPENED, IVT_FLAG_TRUE);
}

void HashDstThread::HashSingleFile()
{
    if (IvtIsCopyOperation(m_operation))
    {
        // The destination is the file the copy made; a failed copy made none.
        if (m_copyStatus && !m_files.empty())
            HashOneFile(m_files.front());
    }
    else if (m_dstFile.empty())
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_CHOOSE_DESTINATION_FILE);
    }
    else
    {
        HashOneFile(m_dstFile);
    }
    Post(IVT_EVT_HASH_DESTINATION_END);
}

void HashDstThread::HashFolder()
{
    if (m_files.empty() && m_problems.empty())
    {
        // Rows without destination files (from the source) are no error.
        if (m_rowCount == 0)
            Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_EMPTY_DESTINATION_DIR);
        Post(IVT_EVT_HASH_DESTINATION_END);
        return;
    }
    // The listing made a row for every destination file; skipped entries go below all rows.
    HashList(std::max(m_rowCount, static_cast<long>(m_files.size())), wxString::Format(m_progressFormat, 0.0),
             IVT_EVT_HASH_DST_HAPPENED, IVT_EVT_HASH_DESTINATION_END);
}
