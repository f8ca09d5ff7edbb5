#pragma once

// Work on the items of a list by two threads, handed over in list order.
//
// Hashing many small files is mostly per-file work (open, read, hash, close). A
// helper thread works on the items ahead of the thread that takes them (the taker,
// which reports each item to an observer), so both cores share it while the taker
// still sees every item in list order. While the helper is on the very item the
// taker waits for, the taker works ahead too instead of idling.
//
// Items are worked on at most WINDOW places ahead of the one being taken, so memory
// stays flat however long the list. The window is wide because the taker also
// reports every item and, on two busy cores, loses the processor for milliseconds
// at a time: with small files a narrow window fills meanwhile and the helper idles. Results live in the caller's own ring of WINDOW
// slots: the work for item i writes slot i % WINDOW, and the taker reads it once Take
// has handed the item over; that slot is the taker's until its next Take.
//
// Work ahead may decline an item (return false), which leaves it to the taker in its
// turn. Hashing declines a big file so that its begin is reported before it is
// hashed (the dialog shows "Calculating Hash..." for it); meanwhile the helper goes on
// with the files after it.
//
// The helper thread stops and is joined when the object goes away; the item it is on
// then is finished first, and its result dropped.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class OrderedWork
{
public:
    static constexpr std::size_t WINDOW = 1024;

    // Works on item `index` ahead of its turn into slot index % WINDOW: true when done,
    // false to leave the item to the taker. Called on either thread, at most once per
    // index, for different indexes at the same time.
    using Work = std::function<bool(std::size_t index)>;

    OrderedWork(std::size_t count, Work work);
    ~OrderedWork();

    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // Hands item `index` over: true when it was worked on ahead (its slot holds the
    // result), false when the taker must do the whole item itself now (its slot is free
    // for that). Indexes go from 0 up by one.
    bool Take(std::size_t index);

private:
    enum class State
    {
        Working,
        Done,
        Left, // declined: the taker's
    };

    // Claims the next item if the window allows it, works on it outside the lock and
    // records the outcome. False when there was nothing to claim.
    bool WorkAhead(std::unique_lock<std::mutex>& lock);
    bool CanClaim() const { return m_next < m_count && m_next < m_taken + WINDOW; }
    // A helper that found the window full sleeps until half of it is free (or the
    // list's end is within reach): one wake-up for many files, not one per file.
    bool HelperMayGoOn() const
    {
        return m_cancelled || m_next >= m_count || m_taken + WINDOW >= m_next + std::min(WINDOW / 2, m_count - m_next);
    }
    void Run();

    const std::size_t m_count;
    const Work m_work;

    std::mutex m_mutex;
    std::condition_variable m_helperWake; // the window has room again, or cancelled
    std::condition_variable m_takerWake;  // the item the taker waits for is done
    bool m_helperWaiting = false;
    bool m_takerWaiting = false;
    std::size_t m_next = 0;  // the first item nobody has claimed
    std::size_t m_taken = 0; // the item last handed over (or about to be)
    std::vector<State> m_states = std::vector<State>(WINDOW, State::Working); // of claimed items, by slot
    bool m_cancelled = false;

    std::thread m_helper; // last: starts once everything above is set up
};
