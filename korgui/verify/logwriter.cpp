#include "korgui/verify/logwriter.h"

#include <malloc.h>

#include <mutex>

LogWriterThread::LogWriterThread(IVTDialog* parent, LogRequest request, ResultRows rows)
    : MyThread(parent, wxTHREAD_DETACHED), m_rows(std::move(rows)), m_request(std::move(request))
{
    m_request.folder = DeepCopy(m_request.folder);
    for (wxString& heading : m_request.headings)
        heading = DeepCopy(heading);
    m_request.operationName = DeepCopy(m_request.operationName);
    m_request.masterHashFormat = DeepCopy(m_request.masterHashFormat);
    m_request.masterHashNote = DeepCopy(m_request.masterHashNote);
    m_request.closingLines = DeepCopy(m_request.closingLines);
    m_request.rowCount = static_cast<std::size_t>(m_rows.Count());
    m_request.cell = [this](std::size_t row, int column) { return m_rows.CellUtf8(static_cast<long>(row), column); };
}

wxThread::ExitCode LogWriterThread::Entry()
{
    // WriteVerifyLog runs on one thread at a time.
    static std::mutex writing;
    LogOutcome outcome;
    {
        std::lock_guard<std::mutex> lock(writing);
        outcome = WriteVerifyLog(m_request);
    }
    // The log is the last step of an operation: the snapshot and the worker's file
    // lists are free now. Their pages go back to the system, or the
    // process would keep the size of the operation's peak for as long as it runs.
    m_rows.Clear();
    malloc_trim(0);
    IVTDialog* dialog = m_parent;
    Events().CallAndWait([dialog, outcome] { dialog->LogWritten(outcome); });
    return nullptr;
}
