#pragma once

#include "korgui/verify/mythread.h"
#include "korgui/verify/resultrows.h"

#include <deque>
#include <vector>

// What a view refresh needs of the dialog, taken on the GUI thread when it starts.
struct PathViewSnapshot
{
    int requestedView = 0;  // selection of the Displayed Path choice: 0 full, 1 relative
    bool fullViewNow = true; // the list shows full paths now
    ResultRows rows; // a snapshot of the list, dropped once its path cells are read
    wxString sourceFile;
    wxString destinationFile;
    // The dialog's recordings (recordedpaths.h), lent to the worker so that the GUI
    // thread copies none of them: the worker takes the latest ones and hands these
    // back before anything else.
    std::deque<wxString> sourceRecording;
    std::deque<wxString> destinationRecording;
    // The latest recordings (at most one entry per row: older ones are never read).
    std::vector<wxString> recordedSourcePaths;
    std::vector<wxString> recordedDestinationPaths;
    wxString sourceFolder;
    wxString destinationFolder;
    int operation = 0;
    int target = 0;
};

// Switches the two path columns between full paths and paths relative to the chosen
// source and destination (detached). Ends with IVT_EVT_REFRESH_VIEW_END.
class RefreshViewThread : public MyThread
{
public:
    // The snapshot is the thread's own from here on: the GUI thread keeps no reference into it.
    RefreshViewThread(IVTDialog* parent, PathViewSnapshot snapshot);

protected:
    ExitCode Entry() override;

private:
    // Takes the latest recordings, then gives the dialog its recordings back (GUI
    // thread, waiting for it). False when the dialog has gone away.
    bool ReturnRecordings();
    void ToRelative();
    void ToFull();
    // Target Single File with an operation that reads a destination file.
    bool SingleFileCase() const;
    long Rows() const { return static_cast<long>(m_sourceCells.size()); }

    PathViewSnapshot m_view;
    std::vector<wxString> m_sourceCells;      // column 0 of every row
    std::vector<wxString> m_destinationCells; // column 1 of every row
    bool m_hasSourcePaths = false;            // some row has a column 0
    bool m_hasDestinationPaths = false;       // some row has a column 1
};
