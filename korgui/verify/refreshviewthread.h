#pragma once

#include "korgui/verify/mythread.h"

// What a view refresh needs of the dialog, taken on the GUI thread when it starts.
struct PathViewSnapshot
{
    int requestedView = 0;  // selection of the Displayed Path choice: 0 full, 1 relative
    bool fullViewNow = true; // the list shows full paths now
    bool hasSourcePaths = false;      // some row has a column 0
    bool hasDestinationPaths = false; // some row has a column 1
    std::vector<wxString> sourceCells;      // column 0 of every row
    std::vector<wxString> destinationCells; // column 1 of every row
    wxString sourceFile;
    wxString destinationFile;
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
    RefreshViewThread(IVTDialog* parent, const PathViewSnapshot& snapshot);

protected:
    ExitCode Entry() override;

private:
    void ToRelative();
    void ToFull();
    // Target Single File with an operation that reads a destination file.
    bool SingleFileCase() const;
    long Rows() const { return static_cast<long>(m_view.sourceCells.size()); }

    PathViewSnapshot m_view; // deep copies
};
