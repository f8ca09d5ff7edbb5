#pragma once

#include "korgui/verify/mythread.h"
#include "korgui/verify/resultrows.h"

#include "korverify/verifylog.h"

// Writes the dialog's log on a worker thread (detached), from a snapshot of the
// result list, so that the GUI thread never waits for 100,000 rows to be encoded,
// hashed and written. Hands the outcome to IVTDialog::LogWritten on the GUI thread.
class LogWriterThread : public MyThread
{
public:
    // `request` is complete but for its cells, which come from `rows`; its texts are
    // copied, so the GUI thread keeps nothing the worker reads.
    LogWriterThread(IVTDialog* parent, LogRequest request, ResultRows rows);

protected:
    ExitCode Entry() override;

private:
    ResultRows m_rows;
    LogRequest m_request;
};
