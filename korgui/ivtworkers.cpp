#include "korgui/ivtworkers.h"

#include "korgui/ivtdialog.h"
#include "korgui/ivtprotocol.h"

#include "korgui/filecopy.h"

#include "korbase/files.h"
#include "korbase/hash.h"

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>

namespace
{

// A copy that shares no buffer with the GUI thread's strings.
std::vector<wxString> DeepCopy(const std::vector<wxString>& texts)
{
    std::vector<wxString> copy;
    copy.reserve(texts.size());
    for (const wxString& t : texts)
        copy.emplace_back(t.wc_str());
    return copy;
}

wxString DeepCopy(const wxString& text)
{
    return wxString(text.wc_str());
}

// A translation of the worker's own, sharing nothing with the catalogue.
wxString Translated(const char* text)
{
    return DeepCopy(wxGetTranslation(text));
}

} // namespace

MyThread::MyThread(IVTDialog* parent, wxThreadKind kind)
    : wxThread(kind),
      m_parent(parent),
      m_txtFailed(Translated(wxTRANSLATE("Failed"))),
      m_txtNotNeeded(Translated(wxTRANSLATE("Not needed"))),
      m_txtNotPossible(Translated(wxTRANSLATE("Not possible"))),
      m_txtNo(Translated(wxTRANSLATE("No"))),
      m_txtOk(Translated(wxTRANSLATE("Ok"))),
      m_txtSuccess(Translated(wxTRANSLATE("Success"))),
      m_events(parent->GetWorkerEvents())
{
}

bool MyThread::Post(int id, int value, const wxString& text)
{
    return m_events->Post(id, value, text);
}

bool MyThread::Send(int id, int value, const wxString& text)
{
    return m_events->Send(id, value, text);
}

std::atomic<bool> stopPressed{false};

// Listing workers

SourceChoiceT::SourceChoiceT(IVTDialog* parent, int target, const wxString& srcFile, const wxString& tc1Text,
                             int operation, long itemCount, const wxString& tmpSrcDir)
    : MyThread(parent, wxTHREAD_JOINABLE),
      m_target(target),
      m_srcFile(DeepCopy(srcFile)),
      m_tc1Text(DeepCopy(tc1Text)),
      m_operation(operation),
      m_itemCount(itemCount),
      m_tmpSrcDir(DeepCopy(tmpSrcDir))
{
}

void SourceChoiceT::ClearSourceColumns()
{
    for (long row = 0; row < m_itemCount; ++row)
    {
        Post(IVT_EVT_SET_COL0_TEXT, row, m_emptyText);
        Post(IVT_EVT_SET_COL2_HASH_SOURCE, row, m_emptyText);
        Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, m_emptyText);
    }
}

wxThread::ExitCode SourceChoiceT::Entry()
{
    if (m_target == IVT_TARGET_SINGLE_FILE)
    {
        if (IvtIsCopyOperation(m_operation))
        {
            // The copy takes the chosen file's path as its source folder entry.
            Send(IVT_EVT_TMP_SRC_DIR, 0, m_tc1Text);
            return nullptr;
        }
        if (m_itemCount > 0 && m_operation == IVT_OP_HASH_SOURCE)
            ClearSourceColumns();
        Post(m_itemCount == 0 ? IVT_EVT_INSERT_ITEM : IVT_EVT_SET_COL0_TEXT, 0, m_srcFile);
        return nullptr;
    }

    const bool recursive = m_target == IVT_TARGET_SUBFOLDERS;
    const std::vector<wxString> files = GetAllFiles(m_tmpSrcDir, AllFilesFilter(), recursive);
    Send(IVT_EVT_LIST_SOURCE, recursive ? IVT_LIST_RECURSIVE : IVT_LIST_TOP_LEVEL);

    if (files.empty() && !m_tc1Text.empty())
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_SOURCE_FOLDER_EMPTY);
        Send(IVT_EVT_LIST_SOURCE, IVT_LIST_EMPTY);
    }
    else
    {
        Send(IVT_EVT_SRC_DIR, 0, m_tmpSrcDir);
        Post(IVT_EVT_SET_TC1, 0, m_tmpSrcDir);
    }

    if (m_itemCount > 0 && m_operation == IVT_OP_HASH_SOURCE)
        ClearSourceColumns();
    return nullptr;
}

DestinationChoiceT::DestinationChoiceT(IVTDialog* parent, int target, const wxString& dstFile, size_t sourceCount,
                                       int operation, long itemCount, const wxString& tmpDstDir,
                                       const wxString& dstDir, const std::vector<wxString>& pathDestination)
    : MyThread(parent, wxTHREAD_JOINABLE),
      m_target(target),
      m_dstFile(DeepCopy(dstFile)),
      m_sourceCount(static_cast<long>(sourceCount)),
      m_operation(operation),
      m_itemCount(itemCount),
      m_tmpDstDir(DeepCopy(tmpDstDir)),
      m_dstDir(DeepCopy(dstDir)),
      m_pathDestination(DeepCopy(pathDestination))
{
}

wxThread::ExitCode DestinationChoiceT::Entry()
{
    if (m_target == IVT_TARGET_SINGLE_FILE && !IvtIsCopyOperation(m_operation))
    {
        Post(IVT_EVT_SET_COL1_FILE_DST, 0, m_dstFile);
        return nullptr;
    }

    if (m_target != IVT_TARGET_SINGLE_FILE)
    {
        const bool recursive = m_target == IVT_TARGET_SUBFOLDERS;
        m_pathDestination = GetAllFiles(m_tmpDstDir, AllFilesFilter(), recursive);
        Send(IVT_EVT_LIST_DESTINATION, recursive ? IVT_LIST_RECURSIVE : IVT_LIST_TOP_LEVEL);
    }

    if (!m_tmpDstDir.empty())
    {
        Send(IVT_EVT_DST_DIR, 0, m_tmpDstDir);
        m_dstDir = m_tmpDstDir;
    }

    // One row per destination file.
    const long n = static_cast<long>(m_pathDestination.size());
    const long s = m_sourceCount;
    if (s < n && s != 0 && m_itemCount > 0)
    {
        for (long row = s; row < n; ++row)
            Post(IVT_EVT_INSERT_ITEM, row, m_emptyText);
    }
    else if (m_itemCount == 0 && m_operation == IVT_OP_HASH_DESTINATION)
    {
        for (long row = 0; row < n; ++row)
            Post(IVT_EVT_INSERT_ITEM, row, m_emptyText);
    }

    if (n == 0)
    {
        Post(IVT_EVT_SET_TC2, 0, m_tmpDstDir);
        if (!m_tmpDstDir.empty())
            Send(IVT_EVT_DST_DIR, 0, m_tmpDstDir);
        return nullptr;
    }

    Post(IVT_EVT_SET_TC2, 0, m_dstDir);
    if (m_operation == IVT_OP_HASH_DESTINATION && m_itemCount > 0)
    {
        // Hashing the destination again: its columns start empty.
        for (long row = 0; row < m_itemCount; ++row)
        {
            Post(IVT_EVT_SET_COL1_FILE_DST, row, m_emptyText);
            Post(IVT_EVT_SET_COL3_COPY_STATUS, row, m_emptyText);
            Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, m_emptyText);
            Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, m_emptyText);
        }
    }
    return nullptr;
}

// Copy workers

namespace
{

bool IsBigFile(const wxString& path)
{
    const wxULongLong size = wxFileName::GetSize(path);
    return size != wxInvalidSize && size.GetValue() > CopyWorker::BIG_FILE_BYTES;
}

// Big files get a per-file text at most this often: the label stays readable and the
// copy is not slowed down.
constexpr std::chrono::milliseconds FILE_PROGRESS_INTERVAL(100);

// Files listed by name in the copy error message; the rest are counted.
constexpr size_t LISTED_FAILURES = 10;

} // namespace

std::atomic<int> CopyWorker::s_live{0};
std::function<void(const wxString&)> CopyWorker::s_afterEachCopy;

bool CopyProgressRoutine(const CopyProgressState& state, std::uint64_t totalBytes, std::uint64_t bytesCopied)
{
    const double filePercent =
        totalBytes ? 100.0 * static_cast<double>(bytesCopied) / static_cast<double>(totalBytes) : 100.0;
    state.thread->ReportCurrentFileProgress(filePercent, IVT_EVT_PROGRESS, state.currentFile,
                                            state.thread->OverallPercent(), stopPressed.load());
    return true;
}

CopyWorker::CopyWorker(IVTDialog* parent, const wxString& dstDir, const wxString& dstFieldText,
                       const std::vector<wxString>& pathSource, const std::vector<wxString>& pathDestination)
    : MyThread(parent, wxTHREAD_DETACHED),
      m_dstDir(DeepCopy(dstDir)),
      m_dstFieldText(DeepCopy(dstFieldText)),
      m_pathSource(DeepCopy(pathSource)),
      m_pathDestination(DeepCopy(pathDestination)),
      m_fmtFileOf(Translated(wxTRANSLATE("File %d of %d"))),
      m_fmtCopyingFile(Translated(wxTRANSLATE("Progress: %4.2f%% (Copying current file: %4.2f%% )"))),
      m_fmtWaitCurrentFile(Translated(wxTRANSLATE("Please wait for the current operation to end: %4.2f%%"))),
      m_txtCopyErrorCaption(Translated(wxTRANSLATE("Copy error message"))),
      m_txtCopyErrorIntro(Translated(wxTRANSLATE("These files could not be copied (their rows read \"Failed\"):"))),
      m_fmtMoreErrors(Translated(wxTRANSLATE("... and %d more.")))
{
    ++s_live;
}

CopyWorker::~CopyWorker()
{
    --s_live;
}

void CopyWorker::SetAfterEachCopyForTesting(std::function<void(const wxString&)> hook)
{
    s_afterEachCopy = std::move(hook);
}

void CopyWorker::ReportCurrentFileProgress(double filePercent, int eventId, const wxString& file,
                                           double overallPercent, bool stopPressed)
{
    if (!IsBigFile(file))
        return;
    m_currentFilePercent = filePercent;
    const auto now = std::chrono::steady_clock::now();
    if (file == m_progressFile && now - m_lastFileProgress < FILE_PROGRESS_INTERVAL)
        return;
    m_progressFile = file;
    m_lastFileProgress = now;
    Post(eventId, 0,
         stopPressed ? wxString::Format(m_fmtWaitCurrentFile, m_currentFilePercent)
                     : wxString::Format(m_fmtCopyingFile, overallPercent, m_currentFilePercent));
}

bool CopyWorker::CopyOneFile(const wxString& source, const wxString& destination)
{
    const CopyProgressState state{this, source};
    const FileCopyResult result =
        CopyFileWithProgress(source, destination, [&state](std::uint64_t total, std::uint64_t copied) {
            return CopyProgressRoutine(state, total, copied);
        });
    if (!result.ok)
    {
        m_failures.push_back(source + "\n    " + result.error);
        return false;
    }
    if (s_afterEachCopy)
        s_afterEachCopy(destination);
    return true;
}

wxString CopyWorker::DestinationOf(const wxString& rel) const
{
    return m_dstDir + wxFILE_SEP_PATH + rel;
}

wxString CopyWorker::FileOf(size_t index, size_t count) const
{
    return wxString::Format(m_fmtFileOf, static_cast<int>(index + 1), static_cast<int>(count));
}

void CopyWorker::ReportFailures()
{
    if (m_failures.empty())
        return;
    wxString text = m_txtCopyErrorIntro + "\n";
    for (size_t i = 0; i < m_failures.size() && i < LISTED_FAILURES; ++i)
        text += "\n" + m_failures[i];
    if (m_failures.size() > LISTED_FAILURES)
        text += "\n\n" + wxString::Format(m_fmtMoreErrors, static_cast<int>(m_failures.size() - LISTED_FAILURES));
    m_failures.clear();
    IVTDialog* dialog = m_parent;
    Events().CallAndWait([dialog, text, caption = m_txtCopyErrorCaption] {
        wxMessageBox(text, caption, wxSTAY_ON_TOP, dialog);
    });
}

void CopyWorker::EndStopped(const wxString& zeroProgress, int endId, int endValue)
{
    Post(IVT_EVT_PROGRESS, 0, wxString::Format(zeroProgress, 0.0));
    m_stopRequested->store(false);
    Post(IVT_EVT_CLEAN, 1);
    m_overallPercent = 0;
    ReportFailures();
    Post(endId, endValue);
}

CopySrcToDstThread::CopySrcToDstThread(IVTDialog* parent, int operation, int target, const wxString& srcFile,
                                       const wxString& srcDir, const wxString& dstDir, const wxString& dstFieldText,
                                       const std::vector<wxString>& pathSource,
                                       const std::vector<wxString>& pathDestination, bool copyStatus,
                                       bool copyHappened)
    : CopyWorker(parent, dstDir, dstFieldText, pathSource, pathDestination),
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
    const wxString destination = DestinationOf(FilenameAbsoluteToRelative(m_srcFile, wxPathOnly(m_srcFile)));
    // The file's own row, so that its outcome is seen and logged like a folder copy's.
    Post(IVT_EVT_INSERT_ITEM, 0, m_srcFile);
    wxString status = m_txtFailed;
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
    const size_t n = m_pathSource.size();
    if (n == 0)
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_COPY_EMPTY_SOURCE);
        Post(IVT_EVT_COPY_END);
        return;
    }
    if (!m_pathDestination.empty() || m_dstFieldText.empty())
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_DESTINATION_NOT_EMPTY);
        Post(IVT_EVT_COPY_END);
        return;
    }
    for (size_t i = 0; i < n && !DialogGone(); ++i)
    {
        const wxString& source = m_pathSource[i];
        const int row = static_cast<int>(i);
        Post(IVT_EVT_INSERT_ITEM, row, source);
        const wxString destination = DestinationOf(FilenameAbsoluteToRelative(source, m_srcDir));
        wxString status = m_txtFailed;
        CreateDirIfNotExists(wxPathOnly(destination));
        if (CopyOneFile(source, destination))
        {
            m_pathDestination.push_back(destination);
            Post(IVT_EVT_APPEND_PATH_DESTINATION, 0, destination);
            status = m_txtSuccess;
            NoteCopied();
        }
        Post(IVT_EVT_SET_COL3_COPY_STATUS, row, status);
        Post(IVT_EVT_SET_COL1_FILE_DST, row, destination);
        const double percent = 100.0 * static_cast<double>(i + 1) / static_cast<double>(n);
        Post(IVT_EVT_PROGRESS, i + 1 == n ? 100 : 0,
             wxString::Format(m_fmtCopyProgress, row + 1, static_cast<int>(n), percent));
        m_overallPercent = percent;
        if (StopRequested())
        {
            EndStopped(m_fmtZeroProgress, IVT_EVT_COPY_END, 0);
            return;
        }
    }
    ReportFailures();
    Post(IVT_EVT_COPY_END);
}

CopySrcToDstAndCompareThread::CopySrcToDstAndCompareThread(IVTDialog* parent,
                                                           const std::vector<wxString>& pathSource,
                                                           const std::vector<wxString>& pathDestination,
                                                           const wxString& srcDir, const wxString& dstDir,
                                                           int hashType)
    : CopyWorker(parent, dstDir, dstDir, pathSource, pathDestination),
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

wxThread::ExitCode CopySrcToDstAndCompareThread::Entry()
{
    if (!m_pathDestination.empty())
    {
        IVTDialog* dialog = m_parent;
        Events().CallAndWait([dialog, text = m_txtNotEmptyWarning, caption = m_txtNotEmptyCaption] {
            wxMessageBox(text, caption, wxSTAY_ON_TOP, dialog);
        });
        Post(IVT_EVT_COPY_COMPARE_END, IVT_COPY_COMPARE_END_DONE);
        return nullptr;
    }
    const auto algorithm = static_cast<HashAlgorithm>(m_hashType);
    const size_t n = m_pathSource.size();
    for (size_t i = 0; i < n && !DialogGone(); ++i)
    {
        const wxString& source = m_pathSource[i];
        const int row = static_cast<int>(i);
        Post(IVT_EVT_INSERT_ITEM, row, source);
        if (IsBigFile(source))
            Post(IVT_EVT_PROGRESS, 0, FileOf(i, n) + m_txtHashingSource);
        const wxString sourceHash = KcvCalcHashFromFile(source, algorithm, true);
        Post(IVT_EVT_SET_COL2_HASH_SOURCE, row, sourceHash);

        const wxString destination = DestinationOf(FilenameAbsoluteToRelative(source, m_srcDir));
        CreateDirIfNotExists(wxPathOnly(destination));
        wxString status = m_txtFailed;
        const bool copied = CopyOneFile(source, destination);
        if (copied)
        {
            m_pathDestination.push_back(destination);
            Post(IVT_EVT_APPEND_PATH_DESTINATION, 0, destination);
            status = m_txtSuccess;
            Post(IVT_EVT_COPY_HAPPENED, IVT_FLAG_TRUE);
        }
        Post(IVT_EVT_COPY_STATUS, IVT_FLAG_TRUE);
        Post(IVT_EVT_COPY_HAPPENED, IVT_FLAG_TRUE);
        Post(IVT_EVT_SET_COL3_COPY_STATUS, row, status);
        Post(IVT_EVT_SET_COL1_FILE_DST, row, destination);

        // The row's own copy is hashed; a file that was not copied has no hash and reads "No".
        wxString destinationHash;
        if (copied)
        {
            if (IsBigFile(destination))
                Post(IVT_EVT_PROGRESS, 0, FileOf(i, n) + m_txtHashingDestination);
            destinationHash = KcvCalcHashFromFile(destination, algorithm, true);
            if (!destinationHash.empty())
                Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, destinationHash);
        }
        Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row,
             KcvHashesMatch(sourceHash, destinationHash) ? m_txtOk : m_txtNo);

        const double percent = 100.0 * static_cast<double>(i + 1) / static_cast<double>(n);
        Post(IVT_EVT_PROGRESS, i + 1 == n ? 100 : 0, FileOf(i, n) + wxString::Format(m_fmtProgress, percent));
        m_overallPercent = percent;
        if (StopRequested())
        {
            EndStopped(m_fmtZeroProgress, IVT_EVT_COPY_COMPARE_END, IVT_COPY_COMPARE_END_DONE);
            return nullptr;
        }
    }
    ReportFailures();
    Post(IVT_EVT_COPY_COMPARE_END, IVT_COPY_COMPARE_END_DONE);
    return nullptr;
}
