#include "korgui/ivtworkers.h"

#include "korgui/ivtdialog.h"
#include "korgui/ivtprotocol.h"

#include "korgui/duplicates.h"
#include "korgui/recordedpaths.h"

#include "korbase/files.h"

#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

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

// View refresh

RefreshViewThread::RefreshViewThread(IVTDialog* parent, const PathViewSnapshot& snapshot)
    : MyThread(parent, wxTHREAD_DETACHED), m_view(snapshot)
{
    m_view.sourceCells = DeepCopy(snapshot.sourceCells);
    m_view.destinationCells = DeepCopy(snapshot.destinationCells);
    m_view.sourceFile = DeepCopy(snapshot.sourceFile);
    m_view.destinationFile = DeepCopy(snapshot.destinationFile);
    m_view.recordedSourcePaths = DeepCopy(snapshot.recordedSourcePaths);
    m_view.recordedDestinationPaths = DeepCopy(snapshot.recordedDestinationPaths);
    m_view.sourceFolder = DeepCopy(snapshot.sourceFolder);
    m_view.destinationFolder = DeepCopy(snapshot.destinationFolder);
}

bool RefreshViewThread::SingleFileCase() const
{
    return m_view.target == IVT_TARGET_SINGLE_FILE && !IvtIsCopyOperation(m_view.operation);
}

wxThread::ExitCode RefreshViewThread::Entry()
{
    if (m_view.requestedView == 1)
        ToRelative();
    else if (m_view.requestedView == 0)
        ToFull();
    else
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_FULL_VIEW_FIRST);
    Post(IVT_EVT_REFRESH_VIEW_END);
    return nullptr;
}

void RefreshViewThread::ToRelative()
{
    if (!m_view.fullViewNow)
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_VIEW_ALREADY_SET);
        return;
    }
    if (!m_view.hasSourcePaths && !m_view.hasDestinationPaths)
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_FULL_VIEW_FIRST);
        return;
    }
    Post(IVT_EVT_FULL_PATH, IVT_FLAG_FALSE);

    if (SingleFileCase())
    {
        if (m_view.hasSourcePaths)
            Post(IVT_EVT_SET_COL0_TEXT, 0, FilenameAbsoluteToRelative(m_view.sourceCells[0], wxPathOnly(m_view.sourceFile)));
        if (m_view.hasDestinationPaths)
            Post(IVT_EVT_SET_COL1_FILE_DST, 0,
                 FilenameAbsoluteToRelative(m_view.destinationCells[0], wxPathOnly(m_view.destinationFile)));
        return;
    }

    if (m_view.hasSourcePaths)
        for (const wxString& cell : m_view.sourceCells)
            Post(IVT_EVT_APPEND_TMP_SRC_NAME, 0, cell);
    if (m_view.hasDestinationPaths)
        for (const wxString& cell : m_view.destinationCells)
            Post(IVT_EVT_APPEND_TMP_DST_NAME, 0, cell);
    if (m_view.hasSourcePaths)
        for (long row = 0; row < Rows(); ++row)
            Post(IVT_EVT_SET_COL0_TEXT, row, FilenameAbsoluteToRelative(m_view.sourceCells[row], m_view.sourceFolder));
    if (m_view.hasDestinationPaths)
        for (long row = 0; row < Rows(); ++row)
            Post(IVT_EVT_SET_COL1_FILE_DST, row,
                 FilenameAbsoluteToRelative(m_view.destinationCells[row], m_view.destinationFolder));
}

void RefreshViewThread::ToFull()
{
    if (m_view.fullViewNow)
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_VIEW_ALREADY_SET);
        return;
    }
    if (!m_view.hasSourcePaths && !m_view.hasDestinationPaths)
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_FULL_VIEW_FIRST);
        return;
    }
    Post(IVT_EVT_FULL_PATH, IVT_FLAG_TRUE);

    if (SingleFileCase())
    {
        if (m_view.hasSourcePaths)
            Post(IVT_EVT_SET_COL0_TEXT, 0, m_view.sourceFile);
        if (m_view.hasDestinationPaths)
            Post(IVT_EVT_SET_COL1_FILE_DST, 0, m_view.destinationFile);
        return;
    }

    if (m_view.hasSourcePaths)
    {
        const std::vector<wxString> paths =
            RestoredFullPaths(m_view.recordedSourcePaths, m_view.sourceCells, m_view.sourceFolder);
        for (long row = 0; row < Rows(); ++row)
            Post(IVT_EVT_SET_COL0_TEXT, row, paths[row]);
    }
    if (m_view.hasDestinationPaths)
    {
        const std::vector<wxString> paths =
            RestoredFullPaths(m_view.recordedDestinationPaths, m_view.destinationCells, m_view.destinationFolder);
        for (long row = 0; row < Rows(); ++row)
            Post(IVT_EVT_SET_COL1_FILE_DST, row, paths[row]);
    }
}

// Duplicate removal

deleteDuplicatesThread::deleteDuplicatesThread(IVTDialog* parent, const std::vector<wxString>& destinationPaths,
                                               const std::vector<wxString>& destinationHashes,
                                               const wxString& removedPrefix)
    : MyThread(parent, wxTHREAD_DETACHED),
      m_destinationPaths(DeepCopy(destinationPaths)),
      m_destinationHashes(DeepCopy(destinationHashes)),
      m_removedPrefix(DeepCopy(removedPrefix)),
      m_notRemovedFormat(Translated(wxTRANSLATE("Not removed (%s): %s"))),
      m_percentFormat(Translated(wxTRANSLATE("%4.2f "))),
      m_removedFormat(Translated(wxTRANSLATE("Removed %d files from the destination folder"))),
      m_failedFormat(
          Translated(wxTRANSLATE("%d duplicate files could not be removed: their rows are red and say why."))),
      m_noDuplicatesCaption(Translated(wxTRANSLATE("Duplicate file message"))),
      m_noDuplicatesText(Translated(wxTRANSLATE("Warning, you have not duplicates: \nNo item will be deleted")))
{
}

wxThread::ExitCode deleteDuplicatesThread::Entry()
{
    if (!Events().CallAndWait([] { wxBeginBusyCursor(); }))
        return nullptr;

    const std::vector<DuplicateRow> plan = FindDuplicateRows(m_destinationHashes, m_destinationPaths);
    const long long rows = static_cast<long long>(m_destinationPaths.size());
    int removed = 0;
    int failed = 0;
    std::size_t next = 0;
    wxString lastProgress;
    for (long long i = 0; i < rows && !DialogGone(); ++i)
    {
        for (; next < plan.size() && plan[next].keptRow == static_cast<std::size_t>(i); ++next)
        {
            const int row = static_cast<int>(plan[next].row);
            const wxString& path = m_destinationPaths[row];
            const RemoveResult result = RemoveFileNoFollow(path);
            if (result.outcome == RemoveOutcome::NothingThere)
                continue; // gone already: nothing to remove, nothing to count
            if (result.outcome == RemoveOutcome::Removed)
            {
                Post(IVT_EVT_SET_COL1_FILE_DST, row, m_removedPrefix + path);
                ++removed;
                Post(IVT_EVT_SET_ITEM_RED, row);
                Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, m_emptyText);
                Post(IVT_EVT_SET_COL3_COPY_STATUS, row, m_txtNotPossible);
            }
            else
            {
                // Still there, its copy and comparison still true: the row says why it
                // stayed, and the count leaves it out.
                Post(IVT_EVT_SET_COL1_FILE_DST, row, wxString::Format(m_notRemovedFormat, result.error, path));
                ++failed;
                Post(IVT_EVT_SET_ITEM_RED, row);
            }
            Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, m_destinationHashes[row]);
        }
        // Whole percents: rows that do not move the label send nothing.
        const bool last = i + 1 == rows;
        const wxString progress = wxString::Format(m_percentFormat, static_cast<double>((i + 1) * 100 / rows));
        if (progress != lastProgress || last)
            Post(IVT_EVT_PROGRESS_DUPLICATES, last ? 100 : 0, progress);
        lastProgress = progress;
    }
    Finish(removed, failed);
    Post(IVT_EVT_NO_DUPLICATES_END, 4);
    return nullptr;
}

void deleteDuplicatesThread::Finish(int removed, int failed)
{
    wxString caption;
    wxString text;
    if (removed > 0 || failed > 0)
    {
        text = wxString::Format(m_removedFormat, removed);
        if (failed > 0)
            text += "\n" + wxString::Format(m_failedFormat, failed);
    }
    else
    {
        caption = m_noDuplicatesCaption;
        text = m_noDuplicatesText;
    }
    IVTDialog* dialog = m_parent;
    const bool shown = Events().CallAndWait(
        [dialog, caption, text]
        {
            wxMessageBox(text, caption, wxSTAY_ON_TOP, dialog);
            wxEndBusyCursor();
        });
    // The dialog went away meanwhile: the cursor must still come back.
    if (!shown && wxTheApp)
        wxTheApp->CallAfter([] { wxEndBusyCursor(); });
}
