#include "korgui/verify/listingworkers.h"

#include "korgui/verify/ivtprotocol.h"

#include "korverify/copydestination.h"
#include "korverify/listing.h"

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
    FolderListing listed = ListFolder(m_tmpSrcDir, recursive);
    IvtFolderListing listing{m_tmpSrcDir, recursive, std::move(listed.files), std::move(listed.problems)};
    const bool noFiles = listing.files.empty(); // the handler takes them
    Send(IVT_EVT_LIST_SOURCE, recursive ? IVT_LIST_RECURSIVE : IVT_LIST_TOP_LEVEL, wxString(), &listing);

    if (noFiles && !m_tc1Text.empty())
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
                                       const wxString& dstDir, size_t destinationCount)
    : MyThread(parent, wxTHREAD_JOINABLE),
      m_target(target),
      m_dstFile(DeepCopy(dstFile)),
      m_sourceCount(static_cast<long>(sourceCount)),
      m_operation(operation),
      m_itemCount(itemCount),
      m_tmpDstDir(DeepCopy(tmpDstDir)),
      m_dstDir(DeepCopy(dstDir)),
      m_destinationCount(destinationCount)
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
        // A copy refuses a destination that is not empty; what a killed copy left
        // there does not count.
        if (IvtIsCopyOperation(m_operation))
            PrepareCopyDestination(m_tmpDstDir);
        FolderListing listed = ListFolder(m_tmpDstDir, recursive);
        IvtFolderListing listing{m_tmpDstDir, recursive, std::move(listed.files), std::move(listed.problems)};
        m_destinationCount = listing.files.size(); // before the handler takes the files
        Send(IVT_EVT_LIST_DESTINATION, recursive ? IVT_LIST_RECURSIVE : IVT_LIST_TOP_LEVEL, wxString(), &listing);
    }

    if (!m_tmpDstDir.empty())
    {
        Send(IVT_EVT_DST_DIR, 0, m_tmpDstDir);
        m_dstDir = m_tmpDstDir;
    }

    // One row per destination file.
    const long n = static_cast<long>(m_destinationCount);
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
