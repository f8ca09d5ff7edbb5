#include "korverify/orderedwork.h"

#include <utility>

OrderedWork::OrderedWork(std::size_t count, Work work) : m_count(count), m_work(std::move(work))
{
    // One item leaves nothing to do ahead.
    if (m_count > 1)
        m_helper = std::thread([this] { Run(); });
}

OrderedWork::~OrderedWork()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cancelled = true;
    }
    m_changed.notify_all();
    if (m_helper.joinable())
        m_helper.join();
}

bool OrderedWork::WorkAhead(std::unique_lock<std::mutex>& lock)
{
    if (m_cancelled || !CanClaim())
        return false;
    const std::size_t index = m_next++;
    m_states[index % WINDOW] = State::Working;
    lock.unlock();
    const bool done = m_work(index);
    lock.lock();
    m_states[index % WINDOW] = done ? State::Done : State::Left;
    m_changed.notify_all();
    return true;
}

void OrderedWork::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_cancelled && m_next < m_count)
    {
        if (!WorkAhead(lock))
            m_changed.wait(lock, [this] { return m_cancelled || CanClaim(); });
    }
}

bool OrderedWork::Take(std::size_t index)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_taken = index;
    m_changed.notify_all(); // the window moved on
    for (;;)
    {
        if (index >= m_next)
        {
            m_next = index + 1; // nobody got to it: the taker's
            return false;
        }
        const State state = m_states[index % WINDOW];
        if (state != State::Working)
            return state == State::Done;
        // The helper is on it: work on a later item meanwhile, or wait.
        if (!WorkAhead(lock))
            m_changed.wait(lock, [&] { return m_states[index % WINDOW] != State::Working || CanClaim(); });
    }
}
