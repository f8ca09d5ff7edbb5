#pragma once

#include "korgui/verify/mythread.h"
#include "korgui/verify/resultrows.h"

// Deletes from the destination every file whose destination hash an earlier row
// already has (detached); the first row of each group keeps its file. Ends with
// IVT_EVT_NO_DUPLICATES_END after the user has closed its closing message.
class deleteDuplicatesThread : public MyThread
{
public:
    // A snapshot of the list, full paths: each row's destination path and hash
    // (columns 1 and 4) are read from it on the worker thread.
    deleteDuplicatesThread(IVTDialog* parent, ResultRows rows, const wxString& removedPrefix);

protected:
    ExitCode Entry() override;

private:
    // The closing message on the GUI thread, then the normal cursor back; returns
    // when the user has closed it.
    void Finish(int removed, int failed);

    ResultRows m_rows; // dropped once read
    const wxString m_removedPrefix;
    const wxString m_notRemovedFormat;
    const wxString m_percentFormat;
    const wxString m_removedFormat;
    const wxString m_failedFormat;
    const wxString m_noDuplicatesCaption;
    const wxString m_noDuplicatesText;
};
