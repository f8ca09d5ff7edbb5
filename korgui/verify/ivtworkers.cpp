#include "korgui/verify/ivtworkers.h"

#include "korgui/ivtdialog.h"
#include "korgui/verify/ivtprotocol.h"

#include "korverify/duplicates.h"
#include "korverify/filecopy.h"
#include "korverify/hashreadahead.h"
#include "korgui/verify/recordedpaths.h"
#include "korverify/treematch.h"

#include "korbase/files.h"
#include "korbase/hash.h"

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
    ++s_live;
}

MyThread::~MyThread()
{
    --s_live;
}

std::atomic<int> MyThread::s_live{0};

bool MyThread::Post(int id, int value, const wxString& text)
{
    return m_events->Post(id, value, text);
}

bool MyThread::Send(int id, int value, const wxString& text, void* handOver)
{
    return m_events->Send(id, value, text, handOver);
}

std::atomic<bool> stopPressed{false};

// Hashing and comparing workers

namespace
{

// The file's hash with the algorithm of the Hash Type choice; without a selection
// no hash is computed. A file that cannot be read gives its "Unreadable: ..." text.
wxString HashWithChoice(const wxString& file, int hashType)
{
    if (hashType < HASH_MD5 || hashType > HASH_SHA512)
        return wxString();
    return KcvCalcHashFromFile(file, static_cast<HashAlgorithm>(hashType), true);
}

// Percent done after file `index` (from 0) of `count`.
double PercentAfter(std::size_t index, std::size_t count)
{
    return 100.0 * static_cast<double>(index + 1) / static_cast<double>(count);
}

// Big files get a progress text of their own before they are hashed. One stat, as
// every file of a compare is asked.
constexpr std::uint64_t BIG_FILE_BYTES = 200000000;

bool IsBigFile(const wxString& file)
{
    wxStructStat st;
    return wxStat(file, &st) == 0 && static_cast<std::uint64_t>(st.st_size) > BIG_FILE_BYTES;
}

} // namespace

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
        next = 7;
    else if (m_operation == IVT_OP_HASH_DESTINATION)
        next = 8;
    Post(IVT_EVT_HASH_HELPER_END, next);
    return nullptr;
}

HashSourceThread::HashSourceThread(IVTDialog* parent, int target, const std::vector<wxString>& pathSource,
                                   const wxString& srcFile, long rowCount, int hashType)
    : MyThread(parent, wxTHREAD_DETACHED),
      m_target(target),
      m_pathSource(DeepCopy(pathSource)),
      m_srcFile(DeepCopy(srcFile)),
      m_rowCount(rowCount),
      m_hashType(hashType),
      m_progressFormat(Translated(wxTRANSLATE("Progress: %4.2f %c "))),
      m_stopProgressFormat(Translated(wxTRANSLATE("Progress: %4.2f %%")))
{
}

wxThread::ExitCode HashSourceThread::Entry()
{
    if (m_target == IVT_TARGET_SINGLE_FILE)
        HashSingleFile();
    else
        HashFolder();
    return nullptr;
}

void HashSourceThread::HashSingleFile()
{
    Post(IVT_EVT_SET_COL0_TEXT, 0, m_srcFile);
    Post(IVT_EVT_SET_COL2_HASH_SOURCE, 0, HashWithChoice(m_srcFile, m_hashType));
    Send(IVT_EVT_HASH_SRC_HAPPENED, IVT_FLAG_TRUE);
    Post(IVT_EVT_HASH_SOURCE_END);
}

void HashSourceThread::HashFolder()
{
    const std::size_t n = m_pathSource.size();
    if (n == 0 && m_rowCount == 0)
    {
        Post(IVT_EVT_SET_TC1, 0, m_emptyText);
        Post(IVT_EVT_HASH_SOURCE_END);
        return;
    }
    Post(IVT_EVT_SCROLL_LIST, 1);
    for (std::size_t i = 0; i < n; ++i)
    {
        const long row = static_cast<long>(i);
        // Rows that exist (from the listing) are rewritten in place, the others appended.
        const bool append = m_rowCount == 0 || row >= m_rowCount;
        Post(append ? IVT_EVT_INSERT_ITEM : IVT_EVT_SET_COL0_TEXT, row, m_pathSource[i]);
        Post(IVT_EVT_SET_COL2_HASH_SOURCE, row, HashWithChoice(m_pathSource[i], m_hashType));
        const bool last = i + 1 == n;
        Post(IVT_EVT_PROGRESS, last ? 100 : 0, wxString::Format(m_progressFormat, PercentAfter(i, n), '%'));
        if (DialogGone())
            return;
        if (StopRequested())
        {
            Post(IVT_EVT_PROGRESS, 0, wxString::Format(m_stopProgressFormat, 0.0));
            *m_stopRequested = false;
            Post(IVT_EVT_CLEAN, 1);
            Post(IVT_EVT_HASH_SOURCE_END);
            return;
        }
    }
    Send(IVT_EVT_HASH_SRC_HAPPENED, IVT_FLAG_TRUE);
    Post(IVT_EVT_HASH_SOURCE_END);
}

HashDstThread::HashDstThread(IVTDialog* parent, int target, int operation,
                             const std::vector<wxString>& pathDestination, const wxString& dstFile, bool copyStatus,
                             long rowCount, int hashType)
    : MyThread(parent, wxTHREAD_DETACHED),
      m_target(target),
      m_operation(operation),
      m_pathDestination(DeepCopy(pathDestination)),
      m_dstFile(DeepCopy(dstFile)),
      m_copyStatus(copyStatus),
      m_rowCount(rowCount),
      m_hashType(hashType),
      m_progressFormat(Translated(wxTRANSLATE("Progress: %4.2f %%")))
{
}

wxThread::ExitCode HashDstThread::Entry()
{
    if (m_target == IVT_TARGET_SINGLE_FILE)
        HashSingleFile();
    else
        HashFolder();
    return nullptr;
}

void HashDstThread::HashOneFile(const wxString& file)
{
    Post(IVT_EVT_SET_COL1_FILE_DST, 0, file);
    Post(IVT_EVT_SET_COL4_HASH_DESTINATION, 0, HashWithChoice(file, m_hashType));
    Send(IVT_EVT_HASH_DST_HAPPENED, IVT_FLAG_TRUE);
}

void HashDstThread::HashSingleFile()
{
    if (IvtIsCopyOperation(m_operation))
    {
        // The destination is the file the copy made; a failed copy made none.
        if (m_copyStatus && !m_pathDestination.empty())
            HashOneFile(m_pathDestination.front());
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
    const std::size_t n = m_pathDestination.size();
    if (n == 0)
    {
        // Rows without destination files (from the source) are no error.
        if (m_rowCount == 0)
            Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_EMPTY_DESTINATION_DIR);
        Post(IVT_EVT_HASH_DESTINATION_END);
        return;
    }
    Post(IVT_EVT_SCROLL_LIST, 1);
    for (std::size_t i = 0; i < n; ++i)
    {
        // The listing made a row for every destination file.
        const long row = static_cast<long>(i);
        Post(IVT_EVT_SET_COL1_FILE_DST, row, m_pathDestination[i]);
        Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, HashWithChoice(m_pathDestination[i], m_hashType));
        const bool last = i + 1 == n;
        Post(IVT_EVT_PROGRESS, last ? 100 : 0, wxString::Format(m_progressFormat, PercentAfter(i, n)));
        if (DialogGone())
            return;
        if (StopRequested())
        {
            Post(IVT_EVT_PROGRESS, 0, wxString::Format(m_progressFormat, 0.0));
            Post(IVT_EVT_CLEAN, 1);
            Post(IVT_EVT_HASH_DESTINATION_END);
            return;
        }
    }
    Send(IVT_EVT_HASH_DST_HAPPENED, IVT_FLAG_TRUE);
    Post(IVT_EVT_HASH_DESTINATION_END);
}

CompareOnlySharedThread::CompareOnlySharedThread(IVTDialog* parent, int target, int operation, int hashType,
                                                 const wxString& srcFile, const wxString& dstFile,
                                                 const wxString& srcDir, const wxString& dstDir,
                                                 const std::vector<wxString>& pathSource,
                                                 const std::vector<wxString>& pathDestination, bool copyStatus)
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
      m_pathSource(DeepCopy(pathSource)),
      m_pathDestination(DeepCopy(pathDestination)),
      m_copyStatus(copyStatus),
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

const wxString& CompareOnlySharedThread::ComparisonText(const wxString& a, const wxString& b) const
{
    // A file that could not be read never verifies.
    return KcvHashesMatch(a, b) ? m_txtOk : m_txtNo;
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
    Post(IVT_EVT_PROGRESS, m_hashes == m_total ? 100 : 0, ProgressText(Percent()));
}

void CompareOnlySharedThread::CompareSingleFiles()
{
    if (m_srcFile.empty())
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_COMPARE_EMPTY_SOURCE);
        Post(IVT_EVT_COMPARE_END);
        return;
    }
    Post(IVT_EVT_DELETE_ALL_ITEMS, 100);
    Post(IVT_EVT_INSERT_ITEM, 0, m_srcFile);
    Post(IVT_EVT_SET_COL1_FILE_DST, 0, m_dstFile);
    if (IsBigFile(m_srcFile))
        Post(IVT_EVT_PROGRESS, 0, m_txtCalculatingSource);
    const wxString sourceHash = HashWithChoice(m_srcFile, m_hashType);
    Post(IVT_EVT_SET_COL2_HASH_SOURCE, 0, sourceHash);
    Post(IVT_EVT_SET_COL3_COPY_STATUS, 0, m_txtNotNeeded);
    if (IsBigFile(m_dstFile))
        Post(IVT_EVT_PROGRESS, 0, m_txtCalculatingDestination);
    const wxString destinationHash = HashWithChoice(m_dstFile, m_hashType);
    Post(IVT_EVT_SET_COL4_HASH_DESTINATION, 0, destinationHash);
    const wxString& comparison = ComparisonText(sourceHash, destinationHash);
    Post(IVT_EVT_SET_COL5_HASH_COMPARISON, 0, comparison);
    if (comparison == m_txtNo)
        Post(IVT_EVT_SET_ITEM_RED, 0);
    Post(IVT_EVT_PROGRESS, 100, ProgressText(100));
    Post(IVT_EVT_COMPARE_END);
}

void CompareOnlySharedThread::CompareTrees()
{
    if (m_pathDestination.empty() && m_dstFile.empty())
    {
        Post(IVT_EVT_MESSAGE_BOX, IVT_MSG_COMPARE_EMPTY_DESTINATION);
        Post(IVT_EVT_COMPARE_END);
        return;
    }
    Post(IVT_EVT_DELETE_ALL_ITEMS, 100);
    m_row = 0;
    m_hashes = 0;
    m_total = m_pathSource.size() + m_pathDestination.size();

    // Source rows first (pairs and files only in the source, in source order), then
    // the destination files no source file matched. Stop acts between rows; its text
    // tells which of the two passes it ended.
    const wxString firstPassStop = "%";
    const wxString secondPassStop = " % ";
    bool secondPass = false;
    for (const TreeMatchRow& match : MatchTrees(m_pathSource, m_srcDir, m_pathDestination, m_dstDir))
    {
        bool emitted = false;
        switch (match.kind)
        {
        case TreeMatchKind::Pair:
            emitted = EmitPair(m_pathSource[match.source], m_pathDestination[match.destination]);
            break;
        case TreeMatchKind::OnlyInSource:
            emitted = EmitOnlyInSource(m_pathSource[match.source]);
            break;
        case TreeMatchKind::OnlyInDestination:
            if (!secondPass)
            {
                secondPass = true;
                if (StopRequested())
                {
                    EndStopped(secondPassStop);
                    return;
                }
            }
            emitted = EmitOnlyInDestination(m_pathDestination[match.destination]);
            break;
        }
        if (!emitted)
            return; // the dialog has gone away
        if (StopRequested())
        {
            EndStopped(secondPass ? secondPassStop : firstPassStop);
            return;
        }
    }
    // The destination side is still looked through when every file had a partner.
    if (!secondPass && !m_pathSource.empty() && !m_pathDestination.empty() && StopRequested())
    {
        EndStopped(secondPassStop);
        return;
    }
    if (m_row == 0)
        Post(IVT_EVT_INSERT_ITEM, 0, m_txtNoRows);
    Post(IVT_EVT_COMPARE_END);
}

bool CompareOnlySharedThread::EmitPair(const wxString& source, const wxString& destination)
{
    const double startPercent = Percent();
    const long row = m_row++;
    Post(IVT_EVT_INSERT_ITEM, row, source);
    Post(IVT_EVT_SET_COL1_FILE_DST, row, destination);
    if (IsBigFile(source))
        Post(IVT_EVT_PROGRESS, 0, wxString::Format(m_pairSourceProgressFormat, startPercent, '%'));
    const wxString sourceHash = HashWithChoice(source, m_hashType);
    Post(IVT_EVT_SET_COL2_HASH_SOURCE, row, sourceHash);
    Count();
    if (IsBigFile(destination))
        Post(IVT_EVT_PROGRESS, 0, wxString::Format(m_destinationProgressFormat, startPercent) + "%");
    const wxString destinationHash = HashWithChoice(destination, m_hashType);
    Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, destinationHash);
    Count();
    Post(IVT_EVT_SET_COL3_COPY_STATUS, row, CopyStatusText());
    const wxString& comparison = ComparisonText(sourceHash, destinationHash);
    Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, comparison);
    if (comparison == m_txtNo)
        Post(IVT_EVT_SET_ITEM_RED, row);
    return !DialogGone();
}

bool CompareOnlySharedThread::EmitOnlyInSource(const wxString& source)
{
    const long row = m_row++;
    Post(IVT_EVT_INSERT_ITEM, row, source);
    Post(IVT_EVT_SET_COL1_FILE_DST, row, m_emptyText);
    if (IsBigFile(source))
        Post(IVT_EVT_PROGRESS, 0, wxString::Format(m_sourceProgressFormat, Percent()) + "%");
    Post(IVT_EVT_SET_COL2_HASH_SOURCE, row, HashWithChoice(source, m_hashType));
    Count();
    Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, m_emptyText);
    Post(IVT_EVT_SET_COL3_COPY_STATUS, row, CopyStatusText());
    Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, m_txtOnlyInSource);
    return !DialogGone();
}

bool CompareOnlySharedThread::EmitOnlyInDestination(const wxString& destination)
{
    const long row = m_row++;
    Post(IVT_EVT_INSERT_ITEM, row, m_emptyText);
    Post(IVT_EVT_SET_COL1_FILE_DST, row, destination);
    Post(IVT_EVT_SET_COL2_HASH_SOURCE, row, m_emptyText);
    Post(IVT_EVT_SET_COL3_COPY_STATUS, row, m_txtNotNeeded);
    if (IsBigFile(destination))
        Post(IVT_EVT_PROGRESS, 0, wxString::Format(m_destinationProgressFormat, Percent()) + "%");
    Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, HashWithChoice(destination, m_hashType));
    Count();
    Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, m_txtOnlyInDestination);
    return !DialogGone();
}

void CompareOnlySharedThread::EndStopped(const wxString& percentSuffix)
{
    Post(IVT_EVT_PROGRESS, 0, wxString::Format(m_progressFormat, 0.0) + percentSuffix);
    *m_stopRequested = false;
    Post(IVT_EVT_CLEAN, 1);
    Post(IVT_EVT_COMPARE_END);
}

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
    IvtFolderListing listing{m_tmpSrcDir, recursive, GetAllFiles(m_tmpSrcDir, AllFilesFilter(), recursive)};
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
        IvtFolderListing listing{m_tmpDstDir, recursive, GetAllFiles(m_tmpDstDir, AllFilesFilter(), recursive)};
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

// Copy workers

namespace
{

// Big files get a per-file text at most this often: the label stays readable and the
// copy is not slowed down.
constexpr std::chrono::milliseconds FILE_PROGRESS_INTERVAL(100);

// Source files up to this size are hashed ahead on a second thread during a
// copy-and-verify (many small files); bigger ones are read by the worker alone.
constexpr std::uint64_t READ_AHEAD_MAX_BYTES = 8 * 1024 * 1024;

// Files listed by name in the copy error message; the rest are counted.
constexpr size_t LISTED_FAILURES = 10;

} // namespace

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

void CopyWorker::CreateFolderOf(const wxString& destination)
{
    // Files come folder by folder: one look at the disk per folder, not per file.
    const wxString folder = wxPathOnly(destination);
    if (folder != m_lastFolder)
        CreateDirIfNotExists(folder);
    m_lastFolder = folder;
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
        CreateFolderOf(destination);
        if (CopyOneFile(source, destination))
        {
            m_pathDestination.push_back(destination);
            Post(IVT_EVT_APPEND_PATH_DESTINATION, 0, destination);
            status = m_txtSuccess;
            NoteCopied();
        }
        Post(IVT_EVT_SET_COL3_COPY_STATUS, row, status);
        Post(IVT_EVT_SET_COL1_FILE_DST, row, destination);
        const double percent = PercentAfter(i, n);
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
    const size_t n = m_pathSource.size();
    HashReadAhead sourceHashes(
        DeepCopy(m_pathSource), [hashType = m_hashType](const wxString& file) { return HashWithChoice(file, hashType); },
        READ_AHEAD_MAX_BYTES);
    for (size_t i = 0; i < n && !DialogGone(); ++i)
    {
        const wxString& source = m_pathSource[i];
        const int row = static_cast<int>(i);
        Post(IVT_EVT_INSERT_ITEM, row, source);
        // A file hashed ahead was small; the worker looks at the others itself.
        wxString sourceHash;
        bool big = false; // and so its copy
        if (!sourceHashes.Take(i, sourceHash))
        {
            big = IsBigFile(source);
            if (big)
                Post(IVT_EVT_PROGRESS, 0, FileOf(i, n) + m_txtHashingSource);
            sourceHash = HashWithChoice(source, m_hashType);
        }
        Post(IVT_EVT_SET_COL2_HASH_SOURCE, row, sourceHash);

        const wxString destination = DestinationOf(FilenameAbsoluteToRelative(source, m_srcDir));
        CreateFolderOf(destination);
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
            if (big)
                Post(IVT_EVT_PROGRESS, 0, FileOf(i, n) + m_txtHashingDestination);
            destinationHash = HashWithChoice(destination, m_hashType);
            if (!destinationHash.empty())
                Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, destinationHash);
        }
        Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row,
             KcvHashesMatch(sourceHash, destinationHash) ? m_txtOk : m_txtNo);

        const double percent = PercentAfter(i, n);
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
