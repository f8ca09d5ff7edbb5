#include "korgui/workerevents.h"

#include <wx/app.h>
#include <wx/thread.h>
#include <wx/utils.h>

std::shared_ptr<WorkerEventChannel> WorkerEventChannel::Create(wxEvtHandler* target)
{
    return std::shared_ptr<WorkerEventChannel>(new WorkerEventChannel(target));
}

bool WorkerEventChannel::Post(int id, int value, const wxString& text)
{
    // A deep copy in a type without shared buffers: the GUI thread gets its own string.
    std::wstring payload = text.ToStdWstring();
    std::unique_lock<std::mutex> lock(m_mutex);
    // The GUI thread itself must never wait for the GUI thread.
    if (!wxIsMainThread())
        m_changed.wait(lock, [this] { return !m_target || m_inFlight < MAX_IN_FLIGHT; });
    if (!m_target)
        return false;
    ++m_inFlight;
    // Queued under the lock: Detach, and so the dialog's destruction, cannot come in between.
    m_target->CallAfter([self = shared_from_this(), id, value, payload = std::move(payload)]
                        {
                            {
                                std::lock_guard<std::mutex> guard(self->m_mutex);
                                --self->m_inFlight;
                            }
                            self->m_changed.notify_all();
                            self->Deliver(id, value, payload);
                        });
    return true;
}

bool WorkerEventChannel::Send(int id, int value, const wxString& text)
{
    std::wstring payload = text.ToStdWstring();
    return CallAndWait([this, id, value, payload = std::move(payload)] { Deliver(id, value, payload); });
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

    auto done = std::make_shared<bool>(false); // guarded by m_mutex
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_target)
        return false;
    m_target->CallAfter([self = shared_from_this(), done, call = std::move(call)]
                        {
                            call();
                            {
                                std::lock_guard<std::mutex> guard(self->m_mutex);
                                *done = true;
                            }
                            self->m_changed.notify_all();
                        });
    m_changed.wait(lock, [this, &done] { return *done || !m_target; });
    return *done;
}

void WorkerEventChannel::Deliver(int id, int value, const std::wstring& text)
{
    if (IsDetached())
        return;
    wxCommandEvent event(wxEVT_TEXT, id);
    event.SetInt(value);
    event.SetString(wxString(text));
    m_target->ProcessEvent(event);
}

void WorkerEventChannel::Detach()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_target = nullptr;
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
    return m_inFlight;
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
