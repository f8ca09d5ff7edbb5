#include "korgui/verify/refreshviewthread.h"

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/recordedpaths.h"

#include "korbase/files.h"

#include <wx/filefn.h>

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
