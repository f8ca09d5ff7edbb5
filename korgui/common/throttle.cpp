#include "korgui/common/throttle.h"

#include <utility>

Throttle::Throttle(std::chrono::milliseconds interval, std::function<void()> action)
    : m_interval(interval), m_action(std::move(action))
{
}

void Throttle::Request()
{
    if (IsRunning())
        return;
    const auto since = std::chrono::steady_clock::now() - m_lastRun;
    if (since >= m_interval)
        RunNow();
    else
        StartOnce(static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(m_interval - since).count()));
}

void Throttle::RunNow()
{
    Stop();
    Notify();
}

void Throttle::Notify()
{
    m_lastRun = std::chrono::steady_clock::now();
    m_action();
}
