#pragma once

#include <wx/event.h>
#include <wx/string.h>
#include <wx/timer.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// The road from worker threads to the copy-and-verify dialog. A worker hands each
// protocol event (a wxEVT_TEXT command event: id, int, string) to the channel, which
// delivers it to the dialog's handler on the GUI thread, in the order sent. The
// channel keeps its own queue and asks the toolkit for one delivery pass per burst
// rather than one toolkit event per protocol event: 100,000 rows are 600,000 events.
//
// Pacing: a sender waits only while too many of the events sent through the channel
// are still unhandled, so a fast worker cannot flood the GUI, and a worker that the
// GUI keeps up with never waits at all.
//
// Lifetime: the dialog and its workers share the channel. When the dialog goes away
// it detaches the channel; from then on sending does nothing and returns false, and
// every sender that was waiting is released, so a worker can never hang on a dialog
// that no longer exists.
class WorkerEventChannel : public std::enable_shared_from_this<WorkerEventChannel>
{
public:
    // Queued events that may be unhandled before a sender waits.
    static constexpr int MAX_IN_FLIGHT = 4096;
    // How long one delivery pass may run before the GUI thread's other work gets a turn.
    static constexpr std::chrono::milliseconds DELIVERY_SLICE{15};
    // How long passes may follow one another before the toolkit's main loop (timers,
    // painting, input) gets its turn.
    static constexpr std::chrono::milliseconds MAIN_LOOP_TURN{50};

    static std::shared_ptr<WorkerEventChannel> Create(wxEvtHandler* target);

    // Queues the event. Returns false when the dialog is gone.
    bool Post(int id, int value = 0, const wxString& text = wxString());

    // "Immediate" event: its handler runs on the GUI thread and this returns only
    // after the handler has returned. Returns false when the dialog is gone.
    // `handOver`, when given, is the event's client data: sender-owned data the
    // handler may take, since the sender waits while it runs.
    bool Send(int id, int value = 0, const wxString& text = wxString(), void* handOver = nullptr);

    // Runs `call` on the GUI thread (after every event sent before it) and returns
    // when it has returned; for message boxes a worker must show. False when the
    // dialog is gone (then `call` does not run).
    bool CallAndWait(std::function<void()> call);

    // Called by the dialog when it is destroyed (GUI thread).
    void Detach();
    bool IsDetached() const;

    // Events queued and not yet handled.
    int InFlight() const;

private:
    // A protocol event, or a call to run on the GUI thread.
    struct Item
    {
        int id = 0;
        int value = 0;
        std::wstring text; // a copy sharing nothing with the sender's strings
        std::function<void()> call;
        void* handOver = nullptr; // immediate events only
    };

    explicit WorkerEventChannel(wxEvtHandler* target);

    // Queues `item` and makes sure a delivery pass will run; m_mutex held.
    void EnqueueLocked(Item item);
    void ScheduleDeliveryLocked();
    // GUI thread: delivers queued items in order until none is left.
    void DeliverQueued();
    void Deliver(const Item& item);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed; // room in the queue, a call returned, or the dialog went away
    wxEvtHandler* m_target;            // written under m_mutex on the GUI thread only
    std::deque<Item> m_queue;
    bool m_deliveryScheduled = false; // a DeliverQueued call is queued to the target, or m_resume runs
    // GUI thread only, until Detach: the next delivery pass once the main loop has had
    // its turn. The toolkit runs every queued call before it returns to its main loop,
    // so passes that only queued the next one would keep timers, painting and input
    // waiting until the worker stops sending.
    std::unique_ptr<wxTimer> m_resume;
    std::chrono::steady_clock::time_point m_mainLoopTurn; // GUI thread: the main loop's last turn
    bool m_chained = false; // under m_mutex: the pass scheduled was queued by the pass before it
};

// Keeps dispatching events on the GUI thread until `done` returns true; the way the
// dialog waits for a listing worker, whose events must flow while it waits.
void WaitDispatchingEvents(const std::function<bool()>& done);
