#pragma once

// Running the dialog's operations end to end in tests: Run pressed, workers
// finished, every protocol event the dialog handled on the way recorded, and the
// logs the operation wrote taken off the desktop.

#include "ivtfixture.h"

#include "korbase/files.h"

#include <wx/dir.h>
#include <wx/filefn.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace kortest
{

// One protocol event as the dialog handled it.
struct RecordedEvent
{
    int id;
    int value;
    wxString text;
};

// Records the protocol events the dialog handles, in order, and lets a test act at
// a chosen event (before the dialog's own handler runs).
class EventRecorder
{
public:
    explicit EventRecorder(IVTDialog* dialog) : m_dialog(dialog)
    {
        // Bound handlers run before the dialog's static table, which still gets the event.
        dialog->Bind(wxEVT_TEXT, &EventRecorder::OnEvent, this);
    }
    ~EventRecorder()
    {
        if (IVTDialog* d = m_dialog.get())
            d->Unbind(wxEVT_TEXT, &EventRecorder::OnEvent, this);
    }
    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;

    std::vector<RecordedEvent> events;
    std::function<void(const RecordedEvent&)> onEvent;

    std::vector<RecordedEvent> WithId(int id) const
    {
        std::vector<RecordedEvent> found;
        std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                     [id](const RecordedEvent& e) { return e.id == id; });
        return found;
    }
    // The texts of the progress events, in order.
    std::vector<std::string> ProgressTexts() const
    {
        std::vector<std::string> texts;
        for (const RecordedEvent& e : WithId(IVT_EVT_PROGRESS))
            texts.push_back(e.text.utf8_string());
        return texts;
    }
    // Index of the first event with `id` (and `value`, when given), or -1.
    long IndexOf(int id, int value = -1) const
    {
        for (size_t i = 0; i < events.size(); ++i)
            if (events[i].id == id && (value < 0 || events[i].value == value))
                return static_cast<long>(i);
        return -1;
    }

private:
    void OnEvent(wxCommandEvent& event)
    {
        event.Skip();
        // The dialog's own text fields raise wxEVT_TEXT with generated ids.
        if (event.GetId() < IVT_EVT_INSERT_ITEM)
            return;
        events.push_back({event.GetId(), event.GetInt(), event.GetString()});
        if (onEvent)
            onEvent(events.back());
    }

    wxWeakRef<IVTDialog> m_dialog;
};

// Dispatches events until every worker has ended and been deleted and every event
// they sent has been handled.
inline void WaitUntilIdle(IVTDialog* d, std::chrono::seconds timeout = std::chrono::seconds(120))
{
    PumpUntil(
        [d] {
            return d->m_runningThreads == 0 && d->GetWorkerEvents()->InFlight() == 0 && MyThread::LiveCount() == 0;
        },
        timeout, "operation ended");
}

// Presses Run and waits until the operation it started has ended.
inline void RunToEnd(IVTDialog* d)
{
    Click(d->m_buttonRun);
    WaitUntilIdle(d);
}

// The logs on the desktop, removed from it so that the next operation's log stands alone.
inline std::vector<wxString> TakeDesktopLogs()
{
    wxArrayString found;
    wxDir::GetAllFiles(GetUserDesktopPath(), &found, "log*.tsv", wxDIR_FILES);
    std::vector<wxString> logs(found.begin(), found.end());
    for (const wxString& log : logs)
        wxRemoveFile(log);
    return logs;
}

// The dialog fixture for whole operations: each test starts from a desktop without
// logs, also when the cases of a binary run in one process.
class IvtRunTest : public IvtDialogTest
{
protected:
    void SetUp() override
    {
        IvtDialogTest::SetUp();
        TakeDesktopLogs();
    }
};

// The digest tools of coreutils, by the Hash Type choice's index.
inline const char* DigestTool(int hashType)
{
    static const char* const tools[] = {"md5sum", "sha1sum", "sha256sum", "sha384sum", "sha512sum"};
    return tools[hashType];
}

// A file that exists and lists as a regular file but cannot be read, even by root:
// a link to the reading process's own memory, whose first page is never mapped.
inline wxString WriteUnreadableFile(const TempDir& dir, const wxString& relative)
{
    const wxString path = dir / relative;
    Shell("mkdir -p " + ShellQuote(wxPathOnly(path)) + " && ln -s /proc/self/mem " + ShellQuote(path));
    return path;
}

// A sparse file over 200,000,000 bytes: a "big file" whose hashing takes a while.
inline wxString WriteBigFile(const TempDir& dir, const wxString& relative)
{
    const wxString path = dir / relative;
    Shell("mkdir -p " + ShellQuote(wxPathOnly(path)) + " && truncate -s 210M " + ShellQuote(path));
    return path;
}

} // namespace kortest
