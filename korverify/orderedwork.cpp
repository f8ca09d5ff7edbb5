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
    m_helperWake.notify_one();
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
    if (m_takerWaiting) // then this is the helper, done with the item the taker waits for
        m_takerWake.notify_one();
    return true;
}

void OrderedWork::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_cancelled && m_next < m_count)
    {
        if (!WorkAhead(lock))
        {
            m_helperWaiting = true;
            m_helperWake.wait(lock, [this] { return HelperMayGoOn(); });
            m_helperWaiting = false;
        }
    }
}

bool OrderedWork::Take(std::size_t index)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_taken = index;
    if (m_helperWaiting && HelperMayGoOn()) // the window moved on
        m_helperWake.notify_one();
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
        {
            m_takerWaiting = true;
            m_takerWake.wait(lock, [&] { return m_states[index % WINDOW] != State::Working; });
            m_takerWaiting = false;
        }
    }
}
