#include "korgui/verify/workerevents.h"

#include <wx/app.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <chrono>

std::shared_ptr<WorkerEventChannel> WorkerEventChannel::Create(wxEvtHandler* target)
{
    return std::shared_ptr<WorkerEventChannel>(new WorkerEventChannel(target));
}

WorkerEventChannel::WorkerEventChannel(wxEvtHandler* target) : m_target(target), m_resume(std::make_unique<wxTimer>())
{
    // The timer lives no longer than the channel (Detach ends it), so `this` is safe here.
    m_resume->Bind(wxEVT_TIMER, [this](wxTimerEvent&) { DeliverQueued(); });
}

bool WorkerEventChannel::Post(int id, int value, const wxString& text)
{
    Item item{id, value, text.ToStdWstring(), {}};
    std::unique_lock<std::mutex> lock(m_mutex);
    // The GUI thread itself must never wait for the GUI thread.
    if (!wxIsMainThread())
        m_changed.wait(lock, [this] { return !m_target || m_queue.size() < static_cast<size_t>(MAX_IN_FLIGHT); });
    if (!m_target)
        return false;
    EnqueueLocked(std::move(item));
    return true;
}

bool WorkerEventChannel::Send(int id, int value, const wxString& text, void* handOver)
{
    std::wstring payload = text.ToStdWstring();
    return CallAndWait([this, id, value, payload = std::move(payload), handOver] {
        Deliver(Item{id, value, payload, {}, handOver});
    });
}

bool WorkerEventChannel::CallAndWait(std::function<void()> call)
{
    if (wxIsMainThread())
    {
        if (IsDetached())
            return false;
        call();
        return true;
    }

    // Shared: when the dialog goes away during the call, this wait ends first.
    auto done = std::make_shared<bool>(false); // guarded by m_mutex
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_target)
        return false;
    EnqueueLocked(Item{0, 0, {}, [this, done, call = std::move(call)]
                       {
                           call();
                           {
                               std::lock_guard<std::mutex> guard(m_mutex);
                               *done = true;
                           }
                           m_changed.notify_all();
                       }});
    // Detach drops the call unrun and releases this wait.
    m_changed.wait(lock, [this, &done] { return *done || !m_target; });
    return *done;
}

void WorkerEventChannel::EnqueueLocked(Item item)
{
    m_queue.push_back(std::move(item));
    ScheduleDeliveryLocked();
}

void WorkerEventChannel::ScheduleDeliveryLocked()
{
    if (m_deliveryScheduled)
        return;
    m_deliveryScheduled = true;
    if (wxIsMainThread() && std::chrono::steady_clock::now() - m_mainLoopTurn >= MAIN_LOOP_TURN)
    {
        // A millisecond: the main loop gets its turn before the next pass.
        m_resume->StartOnce(1);
        return;
    }
    m_chained = wxIsMainThread();
    // Queued under the lock: Detach, and so the dialog's destruction, cannot come in between.
    m_target->CallAfter([self = shared_from_this()] { self->DeliverQueued(); });
}

void WorkerEventChannel::DeliverQueued()
{
    // A worker refills the queue as fast as it empties: one pass may not run until
    // the worker ends, or timers, painting and input would wait that long. The pass
    // scheduled below carries on with the rest.
    const auto now = std::chrono::steady_clock::now();
    const auto sliceEnd = now + DELIVERY_SLICE;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_deliveryScheduled = false;
    if (!m_chained) // called from the main loop
        m_mainLoopTurn = now;
    m_chained = false;
    while (m_target && !m_queue.empty() && std::chrono::steady_clock::now() < sliceEnd)
    {
        Item item = std::move(m_queue.front());
        m_queue.pop_front();
        // A handler may run a nested event loop (a message box, the wait for a listing
        // worker): the items behind this one must flow there too, still in order.
        if (!m_queue.empty())
            ScheduleDeliveryLocked();
        // Wake waiting senders when the queue is half empty, not on every item.
        const bool room = m_queue.size() == static_cast<size_t>(MAX_IN_FLIGHT / 2) || m_queue.empty();
        lock.unlock();
        if (room)
            m_changed.notify_all();
        Deliver(item);
        lock.lock();
    }
    if (m_target && !m_queue.empty())
        ScheduleDeliveryLocked();
}

void WorkerEventChannel::Deliver(const Item& item)
{
    if (item.call)
    {
        item.call();
        return;
    }
    if (!m_target) // only the GUI thread writes it
        return;
    wxCommandEvent event(wxEVT_TEXT, item.id);
    event.SetInt(item.value);
    event.SetString(wxString(item.text));
    event.SetClientData(item.handOver);
    m_target->ProcessEvent(event);
}

void WorkerEventChannel::Detach()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_target = nullptr;
        m_queue.clear();
        // Its handler may be the caller: the toolkit deletes it once it is idle.
        m_resume->Stop();
        if (wxTheApp)
            wxTheApp->ScheduleForDestruction(m_resume.release());
        else
            m_resume.reset();
    }
    m_changed.notify_all();
}

bool WorkerEventChannel::IsDetached() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_target == nullptr;
}

int WorkerEventChannel::InFlight() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_queue.size());
}

void WaitDispatchingEvents(const std::function<bool()>& done)
{
    while (!done())
    {
        // Yield refuses to nest; the queued events a worker waits for must flow anyway.
        if (!wxTheApp->Yield(true))
            wxTheApp->ProcessPendingEvents();
        if (!done())
            wxMilliSleep(1);
    }
}
