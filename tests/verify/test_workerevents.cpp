// The channel from worker threads to the GUI thread: order, immediate delivery,
// back-pressure, and release of every waiting sender when the receiver goes away.

#include "harness/helpers.h"

#include "korgui/verify/workerevents.h"

#include <gtest/gtest.h>

#include <wx/utils.h>

#include <atomic>

#include <thread>

using namespace kortest;

namespace
{

// Records every protocol event it gets, with the thread it ran on.
class Recorder : public wxEvtHandler
{
public:
    Recorder() { Bind(wxEVT_TEXT, &Recorder::OnText, this); }

    struct Seen
    {
        int id;
        int value;
        wxString text;
        bool onMainThread;
    };
    std::vector<Seen> seen;
    std::atomic<int> handled{0};

private:
    void OnText(wxCommandEvent& event)
    {
        seen.push_back({event.GetId(), event.GetInt(), event.GetString(), wxIsMainThread()});
        ++handled;
    }
};

} // namespace

TEST(WorkerEvents, QueuedAndImmediateEventsArriveInOrderOnTheGuiThread)
{
    Recorder recorder;
    auto channel = WorkerEventChannel::Create(&recorder);
    std::atomic<bool> done{false};
    std::vector<int> handledWhenSendReturned;
    std::thread worker([&] {
        for (int i = 0; i < 3000; ++i)
        {
            if (i % 100 == 99)
            {
                EXPECT_TRUE(channel->Send(100046, i, wxString::Format("now %d", i)));
                // The handler has run, and so has everything sent before it.
                handledWhenSendReturned.push_back(recorder.handled.load());
            }
            else
            {
                EXPECT_TRUE(channel->Post(100014, i, wxString::Format("row %d", i)));
            }
        }
        done = true;
    });
    WaitDispatchingEvents([&] { return done.load() && channel->InFlight() == 0; });
    worker.join();

    ASSERT_EQ(recorder.seen.size(), 3000u);
    for (int i = 0; i < 3000; ++i)
    {
        const Recorder::Seen& s = recorder.seen[i];
        EXPECT_EQ(s.value, i);
        EXPECT_EQ(s.id, i % 100 == 99 ? 100046 : 100014);
        EXPECT_EQ(s.text, wxString::Format(i % 100 == 99 ? "now %d" : "row %d", i));
        EXPECT_TRUE(s.onMainThread);
    }
    ASSERT_EQ(handledWhenSendReturned.size(), 30u);
    for (size_t k = 0; k < handledWhenSendReturned.size(); ++k)
        EXPECT_EQ(handledWhenSendReturned[k], static_cast<int>(k + 1) * 100);
}

TEST(WorkerEvents, DetachReleasesWaitingSendersAndDropsLaterEvents)
{
    Recorder recorder;
    auto channel = WorkerEventChannel::Create(&recorder);
    std::atomic<bool> posterDone{false}, senderDone{false};
    std::atomic<int> postsAccepted{0};
    bool sendResult = true;
    std::thread poster([&] {
        while (channel->Post(100014, 1))
            ++postsAccepted;
        posterDone = true;
    });
    while (postsAccepted.load() < WorkerEventChannel::MAX_IN_FLIGHT)
        wxMilliSleep(1);
    std::thread sender([&] {
        sendResult = channel->Send(100046, 2); // waits for a handler that will never run
        senderDone = true;
    });
    wxMilliSleep(100);
    EXPECT_FALSE(posterDone.load());
    EXPECT_FALSE(senderDone.load());

    channel->Detach(); // what the dialog does when it is destroyed
    poster.join();
    sender.join();
    EXPECT_FALSE(sendResult);
    EXPECT_EQ(postsAccepted.load(), WorkerEventChannel::MAX_IN_FLIGHT);
    EXPECT_FALSE(channel->Post(100014, 3));
    EXPECT_FALSE(channel->Send(100014, 3));
    bool called = false;
    EXPECT_FALSE(channel->CallAndWait([&] { called = true; }));
    // Events still queued are dropped, not delivered to a receiver that is gone.
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_TRUE(recorder.seen.empty());
    EXPECT_FALSE(called);
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
