// The channel from worker threads to the GUI thread: every event applied in the order
// sent, on the GUI thread, also while a handler waits for another worker.

#include "harness/helpers.h"

#include "korgui/verify/workerevents.h"

#include <gtest/gtest.h>

#include <wx/utils.h>

#include <atomic>
#include <thread>

TEST(WorkerEvents, QueuedAndImmediateEventsArriveInOrderOnTheGuiThread)
{
    wxEvtHandler target;
    std::vector<wxString> seen; // "<id> <value> <text>", GUI thread only
    std::atomic<int> handled{0};
    bool allOnMainThread = true;
    target.Bind(wxEVT_TEXT, [&](wxCommandEvent& e) {
        seen.push_back(wxString::Format("%d %d ", e.GetId(), e.GetInt()) + e.GetString());
        allOnMainThread = allOnMainThread && wxIsMainThread();
        ++handled;
    });
    auto channel = WorkerEventChannel::Create(&target);
    std::atomic<bool> done{false};
    std::vector<int> handledWhenSendReturned;
    std::thread worker([&] {
        for (int i = 0; i < 3000; ++i)
        {
            if (i % 100 != 99)
            {
                EXPECT_TRUE(channel->Post(100014, i, wxString::Format("row %d", i)));
                continue;
            }
            EXPECT_TRUE(channel->Send(100046, i, "now"));
            // The handler has run, and so has everything sent before it.
            handledWhenSendReturned.push_back(handled.load());
        }
        done = true;
    });
    WaitDispatchingEvents([&] { return done.load() && channel->InFlight() == 0; });
    worker.join();

    ASSERT_EQ(seen.size(), 3000u);
    for (int i = 0; i < 3000; ++i)
        EXPECT_EQ(seen[i], i % 100 == 99 ? wxString::Format("100046 %d now", i)
                                         : wxString::Format("100014 %d row %d", i, i));
    EXPECT_TRUE(allOnMainThread);
    ASSERT_EQ(handledWhenSendReturned.size(), 30u);
    for (size_t k = 0; k < handledWhenSendReturned.size(); ++k)
        EXPECT_EQ(handledWhenSendReturned[k], static_cast<int>(k + 1) * 100);
}

TEST(WorkerEvents, EventsKeepFlowingWhileAHandlerWaitsForAnotherWorker)
{
    // As when an end handler starts the next step, which lists on a worker of its own.
    wxEvtHandler target;
    auto channel = WorkerEventChannel::Create(&target);
    std::vector<int> seen;
    target.Bind(wxEVT_TEXT, [&](wxCommandEvent& event) {
        seen.push_back(event.GetId());
        if (event.GetId() != 1)
            return;
        std::atomic<bool> innerDone{false};
        std::thread inner([&] {
            EXPECT_TRUE(channel->Send(2)); // needs the GUI thread while this handler still runs
            EXPECT_TRUE(channel->Post(3));
            innerDone = true;
        });
        WaitDispatchingEvents([&] { return innerDone.load() && channel->InFlight() == 0; });
        inner.join();
        seen.push_back(-1); // the handler of 1 returns
    });
    std::atomic<bool> done{false};
    std::thread outer([&] {
        channel->Post(1);
        channel->Post(4);
        done = true;
    });
    outer.join(); // both queued before any is handled
    WaitDispatchingEvents([&] { return done.load() && channel->InFlight() == 0 && seen.size() == 5; });
    EXPECT_EQ(seen, (std::vector<int>{1, 4, 2, 3, -1}));
}
