#pragma once

#include <wx/timer.h>

#include <chrono>
#include <functional>

// Runs an action on the GUI thread at most once per interval. A request within the
// interval after the last run is served when the interval has passed, and the
// requests that come in between merge into that one run. For screen updates driven
// by a worker's events, which can come thousands of times a second.
// Screen updates driven by a worker (progress text, list rows, scrolling) happen at
// most this often: ten a second look live and cost next to nothing.
constexpr std::chrono::milliseconds SCREEN_UPDATE_INTERVAL{100};

class Throttle : private wxTimer
{
public:
    Throttle(std::chrono::milliseconds interval, std::function<void()> action);

    // Runs the action now, or at the end of the interval when it ran less than an
    // interval ago.
    void Request();
    // Runs the action now; a run waiting for the end of the interval is dropped.
    void RunNow();

private:
    void Notify() override;

    const std::chrono::milliseconds m_interval;
    const std::function<void()> m_action;
    std::chrono::steady_clock::time_point m_lastRun;
};
