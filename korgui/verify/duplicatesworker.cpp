#include "korgui/verify/duplicatesworker.h"

#include "korgui/verify/ivtprotocol.h"

#include "korverify/duplicates.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

deleteDuplicatesThread::deleteDuplicatesThread(IVTDialog* parent, ResultRows rows, const wxString& removedPrefix)
    : MyThread(parent, wxTHREAD_DETACHED),
      m_rows(std::move(rows)),
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

    std::vector<wxString> paths;
    std::vector<wxString> hashes;
    paths.reserve(static_cast<std::size_t>(m_rows.Count()));
    hashes.reserve(static_cast<std::size_t>(m_rows.Count()));
    for (long row = 0; row < m_rows.Count(); ++row)
    {
        paths.push_back(m_rows.GetCell(row, IVT_COL_DESTINATION_PATH));
        hashes.push_back(m_rows.GetCell(row, IVT_COL_DESTINATION_HASH));
    }
    // The events below change these rows: without the snapshot the GUI thread need not copy them first.
    m_rows.Clear();
    const std::vector<DuplicateRow> plan = FindDuplicateRows(hashes, paths);
    const long long rows = static_cast<long long>(paths.size());
    int removed = 0;
    int failed = 0;
    std::size_t next = 0;
    wxString lastProgress;
    for (long long i = 0; i < rows && !DialogGone(); ++i)
    {
        for (; next < plan.size() && plan[next].keptRow == static_cast<std::size_t>(i); ++next)
        {
            const int row = static_cast<int>(plan[next].row);
            const wxString& path = paths[row];
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
            Post(IVT_EVT_SET_COL4_HASH_DESTINATION, row, hashes[row]);
        }
        // Whole percents: rows that do not move the label send nothing.
        const bool last = i + 1 == rows;
        const wxString progress = wxString::Format(m_percentFormat, static_cast<double>((i + 1) * 100 / rows));
        if (progress != lastProgress || last)
            Post(IVT_EVT_PROGRESS_DUPLICATES, last ? IVT_PROGRESS_DONE : 0, progress);
        lastProgress = progress;
    }
    Finish(removed, failed);
    Post(IVT_EVT_NO_DUPLICATES_END, IVT_NO_DUPLICATES_END_DONE);
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
