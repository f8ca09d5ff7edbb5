#pragma once

#include "korgui/ivtdialog.h"
#include "korgui/verify/workerevents.h"

#include "korverify/operation.h"
#include "korverify/stoptoken.h"
#include "korverify/throughput.h"

#include <wx/string.h>
#include <wx/thread.h>

#include <atomic>
#include <memory>
#include <vector>

class IVTDialog;

// A copy that shares no buffer with the GUI thread's strings.
std::vector<wxString> DeepCopy(const std::vector<wxString>& texts);
wxString DeepCopy(const wxString& text);
std::vector<ListingProblem> DeepCopy(const std::vector<ListingProblem>& problems);
// A translation of the worker's own, sharing nothing with the catalogue.
wxString Translated(const char* text);

// Percent done after file `index` (from 0) of `count`.
double PercentAfter(std::size_t index, std::size_t count);

// Big files get a progress text of their own, since they take a while.
constexpr std::uint64_t BIG_FILE_BYTES = 200000000;

// The base of every worker of the copy-and-verify tool. It reports to its dialog
// only through the dialog's event channel (never by calling into the dialog), and
// its texts are translated when it is created, on the GUI thread. The operation
// workers run an engine operation (korverify) and turn what it reports into events.
class MyThread : public wxThread
{
public:
    MyThread(IVTDialog* parent, wxThreadKind kind);
    ~MyThread() override;

    // Workers not yet deleted. Detached ones delete themselves, after their last event:
    // whoever shuts the toolkit down waits for 0.
    static int LiveCount() { return s_live.load(); }

    // Sets on Stop; polled by the stoppable workers between files.
    const StopFlag& GetStopFlag() const { return m_stopRequested; }
    bool StopRequested() const { return m_stopRequested->load(); }

    // True once Entry has returned (for joinable workers, which outlive their thread).
    bool HasEnded() const { return m_ended.load(); }

protected:
    // Queues a protocol event to the dialog. False once the dialog is gone.
    bool Post(int id, int value = 0, const wxString& text = wxString());
    // Sends a protocol event "immediately": returns after its handler has run, which
    // may take `handOver` (see WorkerEventChannel::Send).
    bool Send(int id, int value = 0, const wxString& text = wxString(), void* handOver = nullptr);
    // True when the dialog has gone away: the worker should end.
    bool DialogGone() const { return m_events->IsDetached(); }
    // The dialog's event channel, for calls that must run on the GUI thread.
    WorkerEventChannel& Events() const { return *m_events; }

    // The stop flag as the engine polls it.
    StopToken Stop() const { return StopToken(m_stopRequested); }
    // Ends the current file's operation once the dialog has gone away.
    void StopIfDialogGone() const;
    // The end of a stopped run: `zeroProgress`, the flag lowered, the dialog cleans,
    // what the worker adds (BeforeStoppedEnd), the end event.
    void EndStopped(const wxString& zeroProgress, int endId, int endValue = 0);
    virtual void BeforeStoppedEnd() {}

    // `text` followed by the operation's speed and time left, as last sampled (at
    // most ten times a second) from `m_tally`.
    wxString WithThroughput(const wxString& text);
    // The progress text after a file: the last one as it stands (green), the others
    // with speed and time left.
    void PostProgress(bool last, const wxString& text);

    // A row for an entry the listing could not take: its path in the path column of
    // its side, the reason in that side's hash cell, `status` as Copy Status, red.
    // `comparison` (when given) goes into Hash Comparison. The row is inserted.
    void PostProblemRow(long row, const ListingProblem& problem, FileSide side, const wxString& status,
                        const wxString& comparison = wxString());
    // "path\n    reason", as the end messages list entries.
    static wxString ListEntry(const wxString& path, const wxString& reason);
    // Shows `entries` (the first ten, then a count) under `intro`, on the GUI thread;
    // returns when the user has closed it. Nothing when there are none.
    void ShowList(const wxString& caption, const wxString& intro, const std::vector<wxString>& entries);
    // The end message of a hash or compare that skipped listed entries.
    void ShowProblems(const OperationSummary& summary);

    IVTDialog* const m_parent; // identity of the receiving dialog; never dereferenced on the worker thread
    const wxString m_emptyText;
    const wxString m_emptyText2;
    const wxString m_txtFailed;
    const wxString m_txtNotNeeded;
    const wxString m_txtNotPossible;
    const wxString m_txtNo;
    const wxString m_txtOk;
    const wxString m_txtSuccess;
    const StopFlag m_stopRequested = std::make_shared<std::atomic<bool>>(false);
    // What the operation has done so far; the worker feeds it from its observer calls.
    ProgressTally m_tally;

    void OnExit() override { m_ended = true; }

private:
    static std::atomic<int> s_live;

    const std::shared_ptr<WorkerEventChannel> m_events;
    const wxString m_fmtMoreEntries;
    const wxString m_txtProblemsCaption;
    const wxString m_txtProblemsIntro;
    const ThroughputWords m_throughputWords; // translated here, on the GUI thread
    wxString m_throughputSuffix;
    std::atomic<bool> m_ended{false};
};
