#include "korgui/verify/copyworkers.h"

#include "korgui/verify/ivtprotocol.h"

#include "korbase/files.h"

#include <wx/filefn.h>
#include <wx/msgdlg.h>

namespace
{

// Big files get a per-file text at most this often: the label stays readable and the
// copy is not slowed down.
constexpr std::chrono::milliseconds FILE_PROGRESS_INTERVAL(100);

} // namespace

std::atomic<bool> stopPressed{false};

std::function<void(const wxString&)> CopyWorker::s_afterEachCopy;

bool CopyProgressRoutine(const CopyProgressState& state, std::uint64_t totalBytes, std::uint64_t bytesCopied)
{
    // The size the copy started from is the file's size: small files get no per-file progress.
    if (totalBytes <= BIG_FILE_BYTES)
        return true;
    const double filePercent = 100.0 * static_cast<double>(bytesCopied) / static_cast<double>(totalBytes);
    state.thread->ReportCurrentFileProgress(filePercent, IVT_EVT_PROGRESS, state.currentFile,
                                            state.thread->OverallPercent(), stopPressed.load());
    return true;
}

CopyWorker::CopyWorker(IVTDialog* parent, const wxString& dstDir, const wxString& dstFieldText,
                       PathList::Shared pathSource, const std::vector<wxString>& pathDestination,
                       const std::vector<ListingProblem>& problems, const wxString& problemComparison)
    : MyThread(parent, wxTHREAD_DETACHED),
      m_dstDir(DeepCopy(dstDir)),
      m_dstFieldText(DeepCopy(dstFieldText)),
      m_sourceList(std::move(pathSource)),
      m_pathDestination(DeepCopy(pathDestination)),
      m_problems(DeepCopy(problems)),
      m_problemComparison(problemComparison),
      m_fmtFileOf(Translated(wxTRANSLATE("File %d of %d"))),
      m_fmtCopyingFile(Translated(wxTRANSLATE("Progress: %4.2f%% (Copying current file: %4.2f%% )"))),
      m_fmtWaitCurrentFile(Translated(wxTRANSLATE("Please wait for the current operation to end: %4.2f%%"))),
      m_txtCopyErrorCaption(Translated(wxTRANSLATE("Copy error message"))),
      m_txtCopyErrorIntro(Translated(wxTRANSLATE("These files could not be copied (their rows read \"Failed\"):")))
{
}

void CopyWorker::SetAfterEachCopyForTesting(std::function<void(const wxString&)> hook)
{
    s_afterEachCopy = std::move(hook);
}

void CopyWorker::ReportCurrentFileProgress(double filePercent, int eventId, const wxString& file,
                                           double overallPercent, bool stopPressed)
{
    m_currentFilePercent = filePercent;
    const auto now = std::chrono::steady_clock::now();
    if (file == m_progressFile && now - m_lastFileProgress < FILE_PROGRESS_INTERVAL)
        return;
    m_progressFile = file;
    m_lastFileProgress = now;
    Post(eventId, 0,
         stopPressed ? wxString::Format(m_fmtWaitCurrentFile, m_currentFilePercent)
                     : WithThroughput(wxString::Format(m_fmtCopyingFile, overallPercent, m_currentFilePercent)));
}

bool CopyWorker::CopyOneFile(const wxString& source, const wxString& destination)
{
    FileTask task;
    task.source = source;
    task.destination = destination;
    const FileCopyResult result =
        CopyFileWithProgress(source, destination, [&](std::uint64_t total, std::uint64_t copied) {
            CopyWorker::CopyProgress(task, total, copied);
            return true;
        });
    if (result.ok && s_afterEachCopy)
        s_afterEachCopy(destination);
    NoteCopyOutcome(task, result);
    return result.ok;
}

void CopyWorker::CopyProgress(const FileTask& task, std::uint64_t total, std::uint64_t copied)
{
    m_tally.PassAt(copied);
    CopyProgressRoutine({this, task.source}, total, copied);
}

void CopyWorker::NoteCopyOutcome(const FileTask& task, const FileCopyResult& result)
{
    if (!result.ok)
        m_failures.push_back(ListEntry(task.source, result.error));
}

void CopyWorker::FileBegins(const FileTask& task)
{
    Post(IVT_EVT_INSERT_ITEM, static_cast<long>(task.index), task.source);
}

void CopyWorker::Copied(const FileTask& task, const FileCopyResult& result)
{
    m_tally.PassDone(task.size);
    NoteCopyOutcome(task, result);
    if (result.ok)
    {
        m_pathDestination.push_back(task.destination);
        Post(IVT_EVT_APPEND_PATH_DESTINATION, 0, task.destination);
    }
    NoteCopyFlags(result.ok);
    const long row = static_cast<long>(task.index);
    Post(IVT_EVT_SET_COL3_COPY_STATUS, row, result.ok ? m_txtSuccess : m_txtFailed);
    Post(IVT_EVT_SET_COL1_FILE_DST, row, task.destination);
}

void CopyWorker::FileEnds(const FileTask& task, const FileOutcome&)
{
    const double percent = PercentAfter(task.index, task.count);
    m_tally.FileDone(task.size);
    PostProgress(task.index + 1 == task.count, ProgressText(task, percent));
    m_overallPercent = percent;
    StopIfDialogGone();
}

void CopyWorker::ProblemFound(const ListingProblem& problem, FileSide side)
{
    m_failures.push_back(ListEntry(problem.path, problem.reason));
    // Below the rows of the files.
    PostProblemRow(static_cast<long>(m_pathSource.size()) + m_problemRows++, problem, side, m_txtFailed,
                   m_problemComparison);
}

void CopyWorker::StartTally(unsigned passes)
{
    m_tally.Start(m_pathSource.size(), {m_sourceList}, passes);
}

CopyJob CopyWorker::Job(const wxString& sourceBase) const
{
    CopyJob job{m_pathSource, sourceBase, m_dstDir, true, m_problems};
    job.afterEachCopy = s_afterEachCopy; // runs where the engine has the copy, before verifying it
    return job;
}

wxString CopyWorker::FileOf(size_t index, size_t count) const
{
    return wxString::Format(m_fmtFileOf, static_cast<int>(index + 1), static_cast<int>(count));
}

void CopyWorker::ReportFailures()
{
    ShowList(m_txtCopyErrorCaption, m_txtCopyErrorIntro, m_failures);
    m_failures.clear();
}

void CopyWorker::BeforeStoppedEnd()
{
    m_overallPercent = 0;
    ReportFailures();
}

CopySrcToDstThread::CopySrcToDstThread(IVTDialog* parent, int operation, int target, const wxString& srcFile,
                                       const wxString& srcDir, const wxString& dstDir, const wxString& dstFieldText,
                                       PathList::Shared pathSource,
                                       const std::vector<wxString>& pathDestination, bool copyStatus,
                                       bool copyHappened, const std::vector<ListingProblem>& problems)
    : CopyWorker(parent, dstDir, dstFieldText, std::move(pathSource), pathDestination, problems, wxString()),
      m_operation(operation),
      m_target(target),
      m_srcFile(DeepCopy(srcFile)),
      m_srcDir(DeepCopy(srcDir)),
      m_fmtCopyProgress(Translated(wxTRANSLATE("File %d of %d ( Progress: %4.2f %%)"))),
      m_fmtZeroProgress(Translated(wxTRANSLATE("Progress: %4.2f %% "))),
      m_CopyStatus(copyStatus),
      m_CopyHappened(copyHappened)
{
}

wxThread::ExitCode CopySrcToDstThread::Entry()
{
    if (m_target != IVT_TARGET_SINGLE_FILE)
        CopyFolders();
    else if (IvtIsCopyOperation(m_operation))
        CopySingleFile();
    else
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_COPY_NOT_FOR_COMPARE);
        Post(IVT_EVT_COPY_END);
    }
    return nullptr;
}

void CopySrcToDstThread::NoteCopied()
{
    // The dialog's flags only ever go to true here: a repeated send would change nothing
    // and cost a round trip to the GUI thread per file.
    if (!m_CopyStatus)
    {
        m_CopyStatus = true;
        Send(IVT_EVT_COPY_STATUS, IVT_FLAG_TRUE);
    }
    if (!m_CopyHappened)
    {
        m_CopyHappened = true;
        Send(IVT_EVT_COPY_HAPPENED, IVT_FLAG_TRUE);
    }
}

void CopySrcToDstThread::CopySingleFile()
{
    const wxString destination = CopyDestinationOf(m_srcFile, wxPathOnly(m_srcFile), m_dstDir);
    // The file's own row, so that its outcome is seen and logged like a folder copy's.
    Post(IVT_EVT_INSERT_ITEM, 0, m_srcFile);
    wxString status = m_txtFailed;
    m_tally.Start(1, FileSizeOf(m_srcFile));
    if (CopyOneFile(m_srcFile, destination))
    {
        m_pathDestination.push_back(destination);
        Post(IVT_EVT_APPEND_PATH_DESTINATION, 0, destination);
        Post(IVT_EVT_SET_COL1_FILE_DST, 0, destination);
        status = m_txtSuccess;
        NoteCopied();
    }
    else
    {
        Post(IVT_EVT_SET_COL1_FILE_DST, 0, destination);
    }
    Post(IVT_EVT_SET_COL3_COPY_STATUS, 0, status);
    ReportFailures();
    Post(IVT_EVT_COPY_END, IVT_COPY_END_SINGLE_FILE);
}

void CopySrcToDstThread::CopyFolders()
{
    if (m_pathSource.empty() && m_problems.empty())
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_COPY_EMPTY_SOURCE);
        Post(IVT_EVT_COPY_END);
        return;
    }
    const auto refuse = [this] {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_DESTINATION_NOT_EMPTY);
        Post(IVT_EVT_COPY_END);
    };
    if (!m_pathDestination.empty() || m_dstFieldText.empty())
        return refuse();
    StartTally(1);
    const OperationSummary summary = CopyTree(Job(m_srcDir), *this, Stop());
    if (DialogGone())
        return;
    if (summary.refused)
        return refuse();
    if (summary.stopped)
        return EndStopped(wxString::Format(m_fmtZeroProgress, 0.0), IVT_EVT_COPY_END);
    ReportFailures();
    Post(IVT_EVT_COPY_END);
}

void CopySrcToDstThread::NoteCopyFlags(bool copied)
{
    if (copied)
        NoteCopied();
}

wxString CopySrcToDstThread::ProgressText(const FileTask& task, double percent) const
{
    return wxString::Format(m_fmtCopyProgress, static_cast<int>(task.index + 1), static_cast<int>(task.count), percent);
}

CopySrcToDstAndCompareThread::CopySrcToDstAndCompareThread(IVTDialog* parent,
                                                           PathList::Shared pathSource,
                                                           const std::vector<wxString>& pathDestination,
                                                           const wxString& srcDir, const wxString& dstDir,
                                                           int hashType, const std::vector<ListingProblem>& problems)
    : CopyWorker(parent, dstDir, dstDir, std::move(pathSource), pathDestination, problems, Translated(wxTRANSLATE("No"))),
      m_srcDir(DeepCopy(srcDir)),
      m_hashType(hashType),
      m_txtNotEmptyWarning(Translated(wxTRANSLATE("Warning, the destination must be empty in order to do the copy!"))),
      m_txtNotEmptyCaption(Translated(wxTRANSLATE("Warning destination size"))),
      m_txtHashingSource(Translated(wxTRANSLATE("(Calculating Hash Source...)"))),
      m_txtHashingDestination(Translated(wxTRANSLATE("(Calculating Hash Destination...)"))),
      m_fmtProgress(Translated(wxTRANSLATE("(Progress: %4.2f %%) "))),
      m_fmtZeroProgress(Translated(wxTRANSLATE("Progress: %4.2f %%")))
{
}

void CopySrcToDstAndCompareThread::RefuseNotEmpty()
{
    IVTDialog* dialog = m_parent;
    Events().CallAndWait([dialog, text = m_txtNotEmptyWarning, caption = m_txtNotEmptyCaption] {
        wxMessageBox(text, caption, wxSTAY_ON_TOP, dialog);
    });
    Post(IVT_EVT_COPY_COMPARE_END, IVT_COPY_COMPARE_END_DONE);
}

wxThread::ExitCode CopySrcToDstAndCompareThread::Entry()
{
    if (!m_pathDestination.empty())
    {
        RefuseNotEmpty();
        return nullptr;
    }
    StartTally(3); // the source hashed, copied, the copy hashed
    const OperationSummary summary = CopyTreeAndVerify(Job(m_srcDir), static_cast<HashAlgorithm>(m_hashType), *this, Stop());
    if (DialogGone())
        return nullptr;
    if (summary.refused)
        RefuseNotEmpty();
    else if (summary.stopped)
        EndStopped(wxString::Format(m_fmtZeroProgress, 0.0), IVT_EVT_COPY_COMPARE_END, IVT_COPY_COMPARE_END_DONE);
    else
    {
        ReportFailures();
        Post(IVT_EVT_COPY_COMPARE_END, IVT_COPY_COMPARE_END_DONE);
    }
    return nullptr;
}

void CopySrcToDstAndCompareThread::NoteCopyFlags(bool copied)
{
    if (copied)
        Post(IVT_EVT_COPY_HAPPENED, IVT_FLAG_TRUE);
    Post(IVT_EVT_COPY_STATUS, IVT_FLAG_TRUE);
    Post(IVT_EVT_COPY_HAPPENED, IVT_FLAG_TRUE);
}

wxString CopySrcToDstAndCompareThread::ProgressText(const FileTask& task, double percent) const
{
    return FileOf(task.index, task.count) + wxString::Format(m_fmtProgress, percent);
}

void CopySrcToDstAndCompareThread::HashBegins(const FileTask& task, FileSide side, std::uint64_t size)
{
    if (size > BIG_FILE_BYTES)
        Post(IVT_EVT_PROGRESS, 0,
             WithThroughput(FileOf(task.index, task.count) +
                            (side == FileSide::Source ? m_txtHashingSource : m_txtHashingDestination)));
}

void CopySrcToDstAndCompareThread::Hashed(const FileTask& task, FileSide side, const wxString& hash)
{
    m_tally.PassDone(task.size);
    const long row = static_cast<long>(task.index);
    if (side == FileSide::Source)
        Post(IVT_EVT_SET_COL2_HASH_SOURCE, row, hash);
    else if (!hash.empty())
        Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, hash);
}

void CopySrcToDstAndCompareThread::FileEnds(const FileTask& task, const FileOutcome& outcome)
{
    // A file that was not copied has no hash and reads "No".
    Post(IVT_EVT_SET_COL5_HASH_COMPARISON, static_cast<long>(task.index), outcome.match ? m_txtOk : m_txtNo);
    CopyWorker::FileEnds(task, outcome);
}
