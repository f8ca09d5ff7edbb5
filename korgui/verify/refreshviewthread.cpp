#include "korgui/verify/refreshviewthread.h"

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/recordedpaths.h"

#include "korbase/files.h"

#include <wx/filefn.h>

RefreshViewThread::RefreshViewThread(IVTDialog* parent, PathViewSnapshot snapshot)
    : MyThread(parent, wxTHREAD_DETACHED), m_view(std::move(snapshot))
{
    m_view.sourceFile = DeepCopy(m_view.sourceFile);
    m_view.destinationFile = DeepCopy(m_view.destinationFile);
    m_view.sourceFolder = DeepCopy(m_view.sourceFolder);
    m_view.destinationFolder = DeepCopy(m_view.destinationFolder);
}

bool RefreshViewThread::SingleFileCase() const
{
    return m_view.target == IVT_TARGET_SINGLE_FILE && !IvtIsCopyOperation(m_view.operation);
}

bool RefreshViewThread::ReturnRecordings()
{
    const std::size_t rows = static_cast<std::size_t>(m_view.rows.Count());
    m_view.recordedSourcePaths = LatestRecording(m_view.sourceRecording, rows);
    m_view.recordedDestinationPaths = LatestRecording(m_view.destinationRecording, rows);
    IVTDialog* dialog = m_parent;
    return Events().CallAndWait(
        [this, dialog]
        {
            dialog->m_tmp_SrcName = std::move(m_view.sourceRecording);
            dialog->m_tmp_DstName = std::move(m_view.destinationRecording);
        });
}

wxThread::ExitCode RefreshViewThread::Entry()
{
    if (!ReturnRecordings())
        return nullptr;
    const long rows = m_view.rows.Count();
    m_sourceCells.reserve(static_cast<std::size_t>(rows));
    m_destinationCells.reserve(static_cast<std::size_t>(rows));
    for (long row = 0; row < rows; ++row)
    {
        m_sourceCells.push_back(m_view.rows.GetCell(row, IVT_COL_SOURCE_PATH));
        m_destinationCells.push_back(m_view.rows.GetCell(row, IVT_COL_DESTINATION_PATH));
        m_hasSourcePaths = m_hasSourcePaths || !m_sourceCells.back().empty();
        m_hasDestinationPaths = m_hasDestinationPaths || !m_destinationCells.back().empty();
    }
    // Let go of the snapshot before the first event: the rows those events change are
    // then the GUI thread's alone, and it changes them without copying them.
    m_view.rows.Clear();
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
    if (!m_hasSourcePaths && !m_hasDestinationPaths)
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_FULL_VIEW_FIRST);
        return;
    }
    Post(IVT_EVT_FULL_PATH, IVT_FLAG_FALSE);

    if (SingleFileCase())
    {
        if (m_hasSourcePaths)
            Post(IVT_EVT_SET_COL0_TEXT, 0, FilenameAbsoluteToRelative(m_sourceCells[0], wxPathOnly(m_view.sourceFile)));
        if (m_hasDestinationPaths)
            Post(IVT_EVT_SET_COL1_FILE_DST, 0,
                 FilenameAbsoluteToRelative(m_destinationCells[0], wxPathOnly(m_view.destinationFile)));
        return;
    }

    if (m_hasSourcePaths)
        for (const wxString& cell : m_sourceCells)
            Post(IVT_EVT_APPEND_TMP_SRC_NAME, 0, cell);
    if (m_hasDestinationPaths)
        for (const wxString& cell : m_destinationCells)
            Post(IVT_EVT_APPEND_TMP_DST_NAME, 0, cell);
    if (m_hasSourcePaths)
        for (long row = 0; row < Rows(); ++row)
            Post(IVT_EVT_SET_COL0_TEXT, row, FilenameAbsoluteToRelative(m_sourceCells[row], m_view.sourceFolder));
    if (m_hasDestinationPaths)
        for (long row = 0; row < Rows(); ++row)
            Post(IVT_EVT_SET_COL1_FILE_DST, row,
                 FilenameAbsoluteToRelative(m_destinationCells[row], m_view.destinationFolder));
}

void RefreshViewThread::ToFull()
{
    if (m_view.fullViewNow)
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_VIEW_ALREADY_SET);
        return;
    }
    if (!m_hasSourcePaths && !m_hasDestinationPaths)
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_FULL_VIEW_FIRST);
        return;
    }
    Post(IVT_EVT_FULL_PATH, IVT_FLAG_TRUE);

    if (SingleFileCase())
    {
        if (m_hasSourcePaths)
            Post(IVT_EVT_SET_COL0_TEXT, 0, m_view.sourceFile);
        if (m_hasDestinationPaths)
            Post(IVT_EVT_SET_COL1_FILE_DST, 0, m_view.destinationFile);
        return;
    }

    if (m_hasSourcePaths)
    {
        const std::vector<wxString> paths =
            RestoredFullPaths(m_view.recordedSourcePaths, m_sourceCells, m_view.sourceFolder);
        for (long row = 0; row < Rows(); ++row)
            Post(IVT_EVT_SET_COL0_TEXT, row, paths[row]);
    }
    if (m_hasDestinationPaths)
    {
        const std::vector<wxString> paths =
            RestoredFullPaths(m_view.recordedDestinationPaths, m_destinationCells, m_view.destinationFolder);
        for (long row = 0; row < Rows(); ++row)
            Post(IVT_EVT_SET_COL1_FILE_DST, row, paths[row]);
    }
}
