// The dialog's life around its workers: destroyed while a listing worker waits or
// an operation runs, a worker that cannot be created, and closing while one runs.

#include "ivtfixture.h"

#include <wx/frame.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

using namespace kortest;

// A host closes its main window while Run waits for a listing worker: the dialog goes
// with it, inside the wait, and the waiting frames must return without touching it.
TEST(IvtDialogLife, DestroyedWhileRunWaitsForAListingWorker)
{
    UnexpectedModalGuard guard;
    TempDir src, dst;
    src.WriteFile("a.mov", "a");
    dst.WriteFile("a.mov", "a");
    auto* host = new wxFrame(nullptr, wxID_ANY, "host");
    wxWeakRef<IVTDialog> d = new IVTDialog(host, AppVersion(), "Copy and Verify");
    host->Show();
    d->Show();
    Choose(d->m_combo1, IVT_OP_COMPARE);
    Enter(d->m_tc1, src.Path());
    Enter(d->m_tc2, dst.Path());
    // The source listing's queued field event arrives while Run waits for that worker.
    bool closed = false;
    d->Bind(wxEVT_TEXT, [&](wxCommandEvent& event) {
        event.Skip();
        if (event.GetId() == IVT_EVT_SET_TC1 && !closed)
        {
            closed = true;
            host->Destroy();
        }
    });

    Click(d->m_buttonRun);

    EXPECT_TRUE(closed);
    EXPECT_FALSE(d);
    EXPECT_TRUE(PumpUntil([] { return MyThread::LiveCount() == 0; }, std::chrono::seconds(30), "workers ended"));
}

// An operation worker whose dialog goes away stops sending and ends.
TEST(IvtDialogLife, OperationWorkerOfADestroyedDialogEnds)
{
    UnexpectedModalGuard guard;
    TempDir src;
    for (int i = 0; i < 20; ++i)
        Shell("truncate -s 50M " + ShellQuote(src / wxString::Format("%02d.mov", i)));
    wxWeakRef<IVTDialog> d = new IVTDialog(nullptr, AppVersion(), "Copy and Verify");
    d->Show();
    Choose(d->m_combo1, IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, src.Path());
    Click(d->m_buttonRun);
    ASSERT_TRUE(PumpUntil([&] { return d->m_runningThreads > 0 && MyThread::LiveCount() > 0; }));
    delete d.get(); // as a parent window deletes its children
    EXPECT_TRUE(PumpUntil([] { return MyThread::LiveCount() == 0; }, std::chrono::seconds(30), "worker ended"));
}

TEST_F(IvtDialogTest, AWorkerThatCannotBeCreatedIsNotCountedAndLeavesNothingDisabled)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's reserved address space leaves no room for a limit";
#else
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString a = dir.WriteFile("a.mov", "same"), b = dir.WriteFile("b.mov", "same");
    Choose(d->m_combo4, IVT_TARGET_SINGLE_FILE);
    Choose(d->m_combo1, IVT_OP_COMPARE);
    Enter(d->m_tc1, a);
    Enter(d->m_tc2, b);

    // Threads that ended left their stacks for reuse: taken by sleepers, a new thread must map one.
    std::atomic<bool> release{false};
    std::vector<std::thread> sleepers;
    for (int i = 0; i < 16; ++i)
        sleepers.emplace_back([&release] {
            while (!release)
                wxMilliSleep(1);
        });
    // Too little address space left for a thread's stack: the compare worker cannot start.
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    const rlimit tight{static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (2 << 20), old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    wxTEST_DIALOG(Click(d->m_buttonRun), ExpectMessageBox().Text("Could not create thread"));
    ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);
    release = true;
    for (std::thread& sleeper : sleepers)
        sleeper.join();
    EXPECT_EQ(d->m_runningThreads, 0);
    EXPECT_FALSE(d->m_compareThread.alive);
    EXPECT_TRUE(AllEnabled(d));

    // With room again, the same Run works.
    Click(d->m_buttonRun);
    WaitUntilIdle(d);
    EXPECT_EQ(Cells(0)[IVT_COL_HASH_COMPARISON], "Ok");
#endif
}

TEST_F(IvtDialogTest, ClosingIsRefusedWhileAWorkerIsCounted)
{
    dialog->m_runningThreads = 1;
    wxTEST_DIALOG(EXPECT_FALSE(dialog->Close()),
                  ExpectMessageBox().ToolStyle().Text(
                      "The process is still running...please press the Stop Button\n and then close the window"));
    PumpFor(std::chrono::milliseconds(50));
    ASSERT_TRUE(dialog);
    dialog->m_runningThreads = 0;
    EXPECT_TRUE(dialog->Close());
    PumpUntil([this] { return !dialog; }, std::chrono::seconds(10), "dialog destroyed");
}

TEST_F(IvtDialogTest, RefusedPathsShowTheirMessageAndResetTheirField)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString file = dir.WriteFile("nested/sub/a.mov", "a");
    wxTEST_DIALOG(Enter(d->m_tc2, file), ExpectMessageBox("Invalid Path Error").ToolStyle());
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
    wxTEST_DIALOG(Enter(d->m_tc1, file), ExpectMessageBox("Invalid Path Error"));
    EXPECT_EQ(d->m_tc1->GetValue(), "");
    // A top-level-only source without files: Target switches to "Include Subfolders".
    Choose(d->m_combo4, IVT_TARGET_FOLDER_ONLY);
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectDirDialog(dir / "nested"), ExpectMessageBox("Error message"),
                  ExpectMessageBox().Containing("Now 'Include SubFolders' will be selected"));
    EXPECT_EQ(d->m_combo4->GetSelection(), IVT_TARGET_SUBFOLDERS);
    EXPECT_EQ(d->m_tc1->GetValue(), "");
}
