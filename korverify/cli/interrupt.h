#pragma once

// Ctrl-C: the first SIGINT asks the running operation to stop (it stops between
// reads and leaves no partial file); a second one ends the program at once.

#include <atomic>
#include <functional>
#include <thread>

class InterruptWatch
{
public:
    // `onInterrupt` runs once, on a thread of the watch's own, after the first SIGINT.
    explicit InterruptWatch(std::function<void()> onInterrupt);
    ~InterruptWatch();

    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool Interrupted() const { return m_interrupted.load(); }

private:
    void Watch();

    std::function<void()> m_onInterrupt;
    std::atomic<bool> m_interrupted{false};
    int m_pipe[2] = {-1, -1};
    std::thread m_thread;
};
