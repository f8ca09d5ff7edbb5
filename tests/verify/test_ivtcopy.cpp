// Copying from the Run button on real trees, checked with cmp, find and md5sum.

#include "ivtfixture.h"

#include <sys/resource.h>

#include <atomic>
#include <csignal>

using namespace kortest;

namespace
{

// Bytes that differ from file to file.
std::string Content(size_t size, unsigned seed)
{
    return std::string(size, static_cast<char>('a' + seed));
}

void MakeTree(const TempDir& dir)
{
    dir.WriteFile("a.mov", Content(5000, 1));
    dir.WriteFile("sub/b.wav", Content(70000, 2));
    dir.WriteFile("sub/deeper/c.txt", Content(1, 3));
    dir.WriteFile("sub/deeper/empty", "");
}

// Every path under `folder`, relative and sorted, on one line.
std::string Listing(const wxString& folder)
{
    return Shell("cd " + ShellQuote(folder) + " && find . | sort | tr '\\n' ' '");
}

// Files this test process writes cannot grow past `bytes` (each test runs in a
// process of its own): a copy larger than that fails, for real, on its write.
void LimitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
}

class IvtCopyTest : public IvtDialogTest
{
protected:
    void TearDown() override
    {
        CopyWorker::SetAfterEachCopyForTesting({});
        IvtDialogTest::TearDown();
    }
};

} // namespace

TEST_F(IvtCopyTest, CopyAndCompareOfATreeMatchesCoreutils)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    MakeTree(src);
    Choose(d->m_combo3, HASH_MD5);

    RunToEnd(src.Path(), dst.Path(), IVT_OP_COPY_AND_COMPARE);

    EXPECT_EQ(Listing(dst.Path()), Listing(src.Path()));
    ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
    for (long row = 0; row < 4; ++row)
    {
        const wxString& source = d->m_pathSource[row];
        const wxString copy = dst / FilenameAbsoluteToRelative(source, src.Path());
        const wxString hash = CoreutilsHash("md5sum", source);
        EXPECT_EQ(Cells(row), (std::vector<wxString>{source, copy, hash, "Success", hash, "Ok"}));
        EXPECT_TRUE(SameBytes(source, copy)) << copy;
        EXPECT_FALSE(RowIsRed(row));
    }
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
    EXPECT_TRUE(AllEnabled(d));
}

// A copy spoilt between its copy and its hash compares "No" and turns red.
TEST_F(IvtCopyTest, ACorruptedCopyComparesNo)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    MakeTree(src);
    Choose(d->m_combo3, HASH_SHA256);
    CopyWorker::SetAfterEachCopyForTesting([](const wxString& destination) {
        if (destination.EndsWith("b.wav"))
            Shell("printf X | dd of=" + ShellQuote(destination) + " bs=1 seek=100 conv=notrunc status=none");
    });

    RunToEnd(src.Path(), dst.Path(), IVT_OP_COPY_AND_COMPARE);

    ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
    for (long row = 0; row < 4; ++row)
    {
        const bool spoilt = Cells(row)[IVT_COL_SOURCE_PATH].EndsWith("b.wav");
        EXPECT_EQ(Cells(row)[IVT_COL_SOURCE_HASH], CoreutilsHash("sha256sum", d->m_pathSource[row]));
        EXPECT_EQ(Cells(row)[IVT_COL_DESTINATION_HASH],
                  CoreutilsHash("sha256sum", Cells(row)[IVT_COL_DESTINATION_PATH]));
        EXPECT_EQ(Cells(row)[IVT_COL_HASH_COMPARISON], spoilt ? "No" : "Ok");
        EXPECT_EQ(RowIsRed(row), spoilt);
    }
}

// The copy that cannot be written (larger than the process may write) fails and
// leaves nothing; the others are copied. In both copy operations.
TEST_F(IvtCopyTest, AFileThatFailsToCopyIsReportedAndLeavesNothing)
{
    IVTDialog* d = dialog.get();
    TempDir src;
    src.WriteFile("1.mov", Content(1000, 5));
    const wxString big = src.WriteFile("2.mov", Content(3 << 20, 6));
    src.WriteFile("3.mov", Content(1000, 7));
    LimitFileSize(1 << 20);

    for (int operation : {IVT_OP_COPY, IVT_OP_COPY_AND_COMPARE})
    {
        SCOPED_TRACE(operation);
        TempDir dst;
        wxTEST_DIALOG(RunToEnd(src.Path(), dst.Path(), operation),
                      ExpectMessageBox("Copy error message").Containing(big).Containing("File too large"));
        ASSERT_EQ(d->m_listCtrl->RowCount(), 3);
        for (long row = 0; row < 3; ++row)
        {
            const bool failed = d->m_pathSource[row] == big;
            EXPECT_EQ(Cells(row)[IVT_COL_COPY_STATUS], failed ? "Failed" : "Success");
            if (operation == IVT_OP_COPY_AND_COMPARE)
            {
                EXPECT_EQ(Cells(row)[IVT_COL_HASH_COMPARISON], failed ? "No" : "Ok");
                EXPECT_EQ(RowIsRed(row), failed);
            }
        }
        // No partial file, no temporary file.
        EXPECT_EQ(Listing(dst.Path()), ". ./1.mov ./3.mov ");
        EXPECT_TRUE(SameBytes(src / "3.mov", dst / "3.mov"));
        EXPECT_TRUE(AllEnabled(d));
        d->CleanNoButton();
    }
}

// Stop is seen after the file being copied: the first of three here. The dialog
// cleans its list, keeps the source and gives the controls back.
TEST_F(IvtCopyTest, StopAfterTheFirstOfThreeFiles)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    for (const char* name : {"1.mov", "2.mov", "3.mov"})
        src.WriteFile(name, name);
    std::atomic<bool> copied{false}, stopped{false};
    CopyWorker::SetAfterEachCopyForTesting([&](const wxString&) {
        copied = true;
        while (!stopped)
            wxMilliSleep(1);
    });
    Choose(d->m_combo1, IVT_OP_COPY);
    Enter(d->m_tc1, src.Path());
    Enter(d->m_tc2, dst.Path());
    Click(d->m_buttonRun);
    ASSERT_TRUE(PumpUntil([&] { return copied.load(); }));
    Click(d->m_buttonStop);
    stopped = true;
    WaitUntilIdle(d);

    EXPECT_EQ(Shell("find " + ShellQuote(dst.Path()) + " -type f | wc -l"), "1");
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(d->m_tc1->GetValue(), src.Path());
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_FALSE(stopPressed);
}
