// Copying with the copy-and-verify dialog, on real trees: "Copy Source to
// Destination" and "Copy Source to Destination and Compare", checked against cmp,
// diff, stat and md5sum.

#include "ivtrun.h"

#include "korbase/files.h"
#include "korbase/hash.h"

#include <wx/dir.h>
#include <wx/filename.h>

#include <sys/resource.h>

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <random>
#include <regex>

using namespace kortest;

namespace
{

const wxColour progressDoneColour(25, 210, 87);

// Bytes that differ from file to file.
std::string Content(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

// A tree with sub-folders; the files carry old modification times of their own.
std::vector<wxString> MakeTree(const TempDir& dir)
{
    const std::vector<wxString> files = {dir.WriteFile("a.mov", Content(5000, 1)),
                                         dir.WriteFile("sub/b.wav", Content(70000, 2)),
                                         dir.WriteFile("sub/deeper/c.txt", Content(1, 3)),
                                         dir.WriteFile("sub/deeper/empty", "")};
    int day = 1;
    for (const wxString& file : files)
        Shell("touch -m -d '2019-03-0" + std::to_string(day++) + " 10:20:30.123456789' " + ShellQuote(file));
    return files;
}

bool SameTrees(const wxString& a, const wxString& b)
{
    return Shell("diff -r " + ShellQuote(a) + " " + ShellQuote(b) + " && echo same") == "same";
}

std::string ModificationTime(const wxString& path)
{
    return Shell("stat -c %y " + ShellQuote(path));
}

// Files (hidden ones too) anywhere under `folder`.
size_t FileCount(const wxString& folder)
{
    return std::stoul(Shell("find " + ShellQuote(folder) + " -type f | wc -l"));
}

// A message box whose caption is `caption` and whose text holds each of `parts`.
class ExpectMessageWith : public wxExpectModalBase<wxMessageDialog>
{
public:
    ExpectMessageWith(const wxString& caption, std::vector<wxString> parts)
        : m_caption(caption), m_parts(std::move(parts))
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        EXPECT_EQ(dlg->GetCaption().utf8_string(), m_caption.utf8_string());
        for (const wxString& part : m_parts)
            EXPECT_TRUE(dlg->GetMessage().Contains(part)) << dlg->GetMessage().utf8_string() << "\nlacks "
                                                          << part.utf8_string();
        EXPECT_TRUE(dlg->GetMessageDialogStyle() & wxSTAY_ON_TOP);
        return wxID_OK;
    }
    wxString GetDefaultDescription() const override { return "message \"" + m_caption + "\""; }

private:
    wxString m_caption;
    std::vector<wxString> m_parts;
};

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
    void SetUp() override
    {
        IvtDialogTest::SetUp();
        recorder = std::make_unique<EventRecorder>(dialog.get());
    }

    void TearDown() override
    {
        CopyWorker::SetAfterEachCopyForTesting({});
        recorder.reset();
        IvtDialogTest::TearDown();
    }

    // Chooses source, destination, operation and target the way the user does, and runs.
    void Run(const wxString& source, const wxString& destination, int operation,
             int target = IVT_TARGET_SUBFOLDERS)
    {
        IVTDialog* d = dialog.get();
        Choose(d->m_combo4, target);
        Choose(d->m_combo1, operation);
        Enter(d->m_tc1, source);
        if (!destination.empty())
            Enter(d->m_tc2, destination);
        Click(d->m_buttonRun);
    }

    void WaitForOperation(std::chrono::seconds timeout = std::chrono::seconds(60))
    {
        WaitUntilIdle(dialog.get(), timeout);
    }

    std::vector<RecordedEvent> ProgressEvents() const { return recorder->WithId(IVT_EVT_PROGRESS); }

    std::vector<wxString> Texts() const
    {
        std::vector<wxString> texts;
        for (const RecordedEvent& e : ProgressEvents())
            texts.push_back(e.text);
        return texts;
    }

    bool RowIsRed(long row) const { return dialog->m_listCtrl->GetRowTextColour(row) == *wxRED; }

    std::unique_ptr<EventRecorder> recorder;
};

TEST_F(IvtCopyTest, FolderCopyIntoTheDefaultDestination)
{
    IVTDialog* d = dialog.get();
    TempDir src;
    const std::vector<wxString> files = MakeTree(src);
    const wxString destination = d->m_dstDefaultDir;
    ASSERT_FALSE(wxDirExists(destination));

    Run(src.Path(), wxString(), IVT_OP_COPY);
    EXPECT_TRUE(NoneEnabled(d));
    WaitForOperation();

    EXPECT_TRUE(SameTrees(src.Path(), destination));
    for (const wxString& file : files)
    {
        const wxString copy = destination + "/" + FilenameAbsoluteToRelative(file, src.Path());
        EXPECT_EQ(ModificationTime(copy), ModificationTime(file)) << copy;
        EXPECT_EQ(Shell("cmp " + ShellQuote(file) + " " + ShellQuote(copy) + " && echo same"), "same");
    }

    // One row per source file, in listing order: source, destination and "Success".
    ASSERT_EQ(d->m_listCtrl->RowCount(), static_cast<long>(files.size()));
    ASSERT_EQ(d->m_pathSource.size(), files.size());
    for (long row = 0; row < d->m_listCtrl->RowCount(); ++row)
    {
        const wxString& source = d->m_pathSource[row];
        const wxString copy = destination + "/" + FilenameAbsoluteToRelative(source, src.Path());
        EXPECT_EQ(Cells(row), (std::vector<wxString>{source, copy, "", "Success", "", ""}));
        EXPECT_FALSE(RowIsRed(row));
    }
    EXPECT_EQ(d->m_PathDestination.size(), files.size());
    EXPECT_TRUE(d->m_CopyStatus);
    EXPECT_TRUE(d->m_CopyHappened);

    ASSERT_FALSE(ProgressEvents().empty());
    EXPECT_EQ(ProgressEvents().back().text, "File 4 of 4 ( Progress: 100.00 %)");
    EXPECT_EQ(ProgressEvents().back().value, 100);
    EXPECT_EQ(ProgressEvents().front().text, "File 1 of 4 ( Progress: 25.00 %)");
    EXPECT_EQ(ProgressEvents().front().value, 0);
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), progressDoneColour);
    EXPECT_EQ(Progress(), "Log has been saved on the desktop");
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
    EXPECT_TRUE(AllEnabled(d));
}

TEST_F(IvtCopyTest, FolderCopyIntoAChosenFolderWithoutSubFolders)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    MakeTree(src);

    wxTEST_DIALOG(Click(d->m_buttonDst), ExpectDirDialog(dst.Path()));
    Run(src.Path(), wxString(), IVT_OP_COPY, IVT_TARGET_FOLDER_ONLY);
    WaitForOperation();

    // Only the top-level file.
    EXPECT_EQ(FileCount(dst.Path()), 1u);
    EXPECT_EQ(Shell("cmp " + ShellQuote(src / "a.mov") + " " + ShellQuote(dst / "a.mov") + " && echo same"), "same");
    EXPECT_EQ(ModificationTime(dst / "a.mov"), ModificationTime(src / "a.mov"));
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0), (std::vector<wxString>{src / "a.mov", dst / "a.mov", "", "Success", "", ""}));
    EXPECT_EQ(ProgressEvents().back().text, "File 1 of 1 ( Progress: 100.00 %)");
    EXPECT_TRUE(AllEnabled(d));
}

TEST_F(IvtCopyTest, SingleFileCopy)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    const wxString file = src.WriteFile("clip.mov", Content(300000, 4));

    Run(file, dst.Path(), IVT_OP_COPY, IVT_TARGET_SINGLE_FILE);
    WaitForOperation();

    EXPECT_EQ(Shell("cmp " + ShellQuote(file) + " " + ShellQuote(dst / "clip.mov") + " && echo same"), "same");
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0), (std::vector<wxString>{file, dst / "clip.mov", "", "Success", "", ""}));
    EXPECT_EQ(d->m_PathDestination, std::vector<wxString>{dst / "clip.mov"});
    EXPECT_TRUE(d->m_CopyHappened);
    EXPECT_TRUE(AllEnabled(d));

    // Copied once: Run does nothing more until Clean.
    Click(d->m_buttonRun);
    EXPECT_EQ(d->m_runningThreads, 0);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
}

// Copy and compare of a single file: the copy, then the compare of the copy with its
// source, as one operation with one log.
TEST_F(IvtCopyTest, SingleFileCopyAndCompare)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    const wxString file = src.WriteFile("clip.mov", Content(300000, 8));
    bool idleBeforeTheEnd = true;
    recorder->onEvent = [&](const RecordedEvent& e) {
        if (e.id == IVT_EVT_COPY_END || e.id == IVT_EVT_COMPARE_END)
            idleBeforeTheEnd = idleBeforeTheEnd && !NoneEnabled(d);
    };

    Run(file, dst.Path(), IVT_OP_COPY_AND_COMPARE, IVT_TARGET_SINGLE_FILE);
    WaitForOperation();

    EXPECT_GE(recorder->IndexOf(IVT_EVT_COMPARE_END), 0);
    EXPECT_LT(recorder->IndexOf(IVT_EVT_COPY_END, IVT_COPY_END_SINGLE_FILE), recorder->IndexOf(IVT_EVT_COMPARE_END));
    EXPECT_FALSE(idleBeforeTheEnd); // the controls stayed disabled until the compare ended
    EXPECT_EQ(Shell("cmp " + ShellQuote(file) + " " + ShellQuote(dst / "clip.mov") + " && echo same"), "same");
    const wxString hash = CoreutilsHash("md5sum", file);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0), (std::vector<wxString>{file, dst / "clip.mov", hash, "Success", hash, "Ok"}));
    EXPECT_FALSE(RowIsRed(0));
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
    EXPECT_FALSE(d->m_singleFileCompareAfterCopy);
    EXPECT_TRUE(AllEnabled(d));
}

// A single file whose copy cannot be written: the copy fails and says why; only the
// compare is left.
TEST_F(IvtCopyTest, SingleFileThatCannotBeCopied)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    const wxString file = src.WriteFile("clip.mov", Content(2 << 20, 9));
    LimitFileSize(1 << 20);

    wxTEST_DIALOG(
        {
            Run(file, dst.Path(), IVT_OP_COPY_AND_COMPARE, IVT_TARGET_SINGLE_FILE);
            WaitForOperation();
        },
        ExpectMessageWith("Copy error message", {"could not be copied", file, "File too large"}),
        ExpectMessage("Info", "Only comparison has been done"),
        ExpectMessage("Empty-Destination-Directory Error message",
                      "Error, destination folder is empty. No comparison can be done "));
    EXPECT_EQ(FileCount(dst.Path()), 0u);
    EXPECT_FALSE(d->m_CopyHappened);
    EXPECT_TRUE(AllEnabled(d));
}

TEST_F(IvtCopyTest, ADestinationThatHoldsAFileIsRefused)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    MakeTree(src);
    const wxString old = dst.WriteFile("old.mov", "old");

    // Run refuses it before any worker starts...
    wxTEST_DIALOG(Run(src.Path(), dst.Path(), IVT_OP_COPY),
                  ExpectMessage("Not empty destination directory - error message",
                                "Copying to a non-empty destination directory is not allowed."));
    // ...and so does the copy worker itself.
    DisableCommandControls(d);
    wxTEST_DIALOG(
        {
            d->CopySrcToDstFn();
            WaitForOperation();
        },
        ExpectMessage("Not-Empty-Directory-Copy Error message",
                      "Error, you only can do a copy to an existing empty destination folder "));
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(FileCount(dst.Path()), 1u);
    EXPECT_EQ(ReadFileBytes(old), "old");
    EXPECT_FALSE(d->m_CopyStatus);
    EXPECT_TRUE(AllEnabled(d));

    // Copy and compare warns from its worker, on the GUI thread.
    wxTEST_DIALOG(
        {
            Run(src.Path(), dst.Path(), IVT_OP_COPY_AND_COMPARE);
            WaitForOperation();
        },
        ExpectMessage("Warning destination size", "Warning, the destination must be empty in order to do the copy!"));
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(FileCount(dst.Path()), 1u);
    EXPECT_TRUE(AllEnabled(d));
}

// The copy that cannot be written (larger than the process may write) fails; the
// others are copied.
TEST_F(IvtCopyTest, AFileThatFailsToCopyIsReportedAndLeavesNothing)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    src.WriteFile("1.mov", Content(1000, 5));
    const wxString big = src.WriteFile("2.mov", Content(3 << 20, 6));
    src.WriteFile("3.mov", Content(1000, 7));
    LimitFileSize(1 << 20);

    wxTEST_DIALOG(
        {
            Run(src.Path(), dst.Path(), IVT_OP_COPY);
            WaitForOperation();
        },
        ExpectMessageWith("Copy error message", {"could not be copied", big, "File too large"}));

    ASSERT_EQ(d->m_listCtrl->RowCount(), 3);
    for (long row = 0; row < 3; ++row)
    {
        const wxString name = wxFileName(d->m_pathSource[row]).GetFullName();
        EXPECT_EQ(Cells(row)[1], dst / name);
        EXPECT_EQ(Cells(row)[3], name == "2.mov" ? "Failed" : "Success") << name;
    }
    // No partial file, no temporary file.
    EXPECT_EQ(Shell("cd " + ShellQuote(dst.Path()) + " && find . | sort | tr '\\n' ' '"), ". ./1.mov ./3.mov ");
    EXPECT_EQ(Shell("cmp " + ShellQuote(src / "3.mov") + " " + ShellQuote(dst / "3.mov") + " && echo same"), "same");
    EXPECT_EQ(d->m_PathDestination.size(), 2u);
    EXPECT_EQ(ProgressEvents().back().text, "File 3 of 3 ( Progress: 100.00 %)");
    EXPECT_EQ(ProgressEvents().back().value, 100);
    EXPECT_TRUE(AllEnabled(d));

    // The same in copy and compare: the row is red and does not compare "Ok".
    TempDir dst2;
    d->CleanNoButton();
    wxTEST_DIALOG(
        {
            Run(src.Path(), dst2.Path(), IVT_OP_COPY_AND_COMPARE);
            WaitForOperation();
        },
        ExpectMessageWith("Copy error message", {big, "File too large"}));
    for (long row = 0; row < 3; ++row)
    {
        const bool failed = wxFileName(d->m_pathSource[row]).GetFullName() == "2.mov";
        EXPECT_EQ(Cells(row)[3], failed ? "Failed" : "Success");
        EXPECT_EQ(Cells(row)[4].empty(), failed);
        EXPECT_EQ(Cells(row)[5], failed ? "No" : "Ok");
        EXPECT_EQ(RowIsRed(row), failed);
    }
    EXPECT_EQ(FileCount(dst2.Path()), 2u);
}

TEST_F(IvtCopyTest, CopyAndCompareOfATree)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    MakeTree(src);
    Choose(d->m_combo3, HASH_MD5);

    Run(src.Path(), dst.Path(), IVT_OP_COPY_AND_COMPARE);
    WaitForOperation();

    EXPECT_TRUE(SameTrees(src.Path(), dst.Path()));
    ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
    for (long row = 0; row < 4; ++row)
    {
        const wxString& source = d->m_pathSource[row];
        const wxString copy = dst / FilenameAbsoluteToRelative(source, src.Path());
        const wxString hash = CoreutilsHash("md5sum", source);
        EXPECT_EQ(Cells(row), (std::vector<wxString>{source, copy, hash, "Success", hash, "Ok"}));
        EXPECT_EQ(ModificationTime(copy), ModificationTime(source));
        EXPECT_FALSE(RowIsRed(row));
    }
    EXPECT_EQ(ProgressEvents().back().text, "File 4 of 4(Progress: 100.00 %) ");
    EXPECT_EQ(ProgressEvents().back().value, 100);
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), progressDoneColour);
    EXPECT_TRUE(d->m_CopyStatus);
    EXPECT_EQ(d->m_PathDestination.size(), 4u);
    EXPECT_TRUE(AllEnabled(d));

    // A second copy is refused until Clean.
    wxTEST_DIALOG(Click(d->m_buttonRun),
                  ExpectMessage("Double copy - error message",
                                "Copy has been already done: press the Clean button if you want to copy files again."));
    Choose(d->m_combo1, IVT_OP_COPY);
    wxTEST_DIALOG(Click(d->m_buttonRun),
                  ExpectMessage("Not empty destination directory - error message",
                                "Copying to a non-empty destination directory is not allowed."));
    EXPECT_EQ(FileCount(dst.Path()), 4u);
    EXPECT_TRUE(AllEnabled(d));
    TempDir other;
    Click(d->m_buttonClean);
    Run(src.Path(), other.Path(), IVT_OP_COPY);
    WaitForOperation();
    EXPECT_TRUE(SameTrees(src.Path(), other.Path()));
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

    Run(src.Path(), dst.Path(), IVT_OP_COPY_AND_COMPARE);
    WaitForOperation();

    ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
    for (long row = 0; row < 4; ++row)
    {
        const bool spoilt = Cells(row)[0].EndsWith("b.wav");
        EXPECT_EQ(Cells(row)[2], CoreutilsHash("sha256sum", d->m_pathSource[row]));
        EXPECT_EQ(Cells(row)[4], CoreutilsHash("sha256sum", Cells(row)[1]));
        EXPECT_EQ(Cells(row)[3], "Success");
        EXPECT_EQ(Cells(row)[5], spoilt ? "No" : "Ok");
        EXPECT_EQ(RowIsRed(row), spoilt);
    }
}

// Stop is seen after the file being copied: the first of three here.
TEST_F(IvtCopyTest, StopAfterTheFirstOfThreeFiles)
{
    for (int operation : {IVT_OP_COPY, IVT_OP_COPY_AND_COMPARE})
    {
        SCOPED_TRACE(operation);
        IVTDialog* d = dialog.get();
        TempDir src, dst;
        src.WriteFile("1.mov", "1");
        src.WriteFile("2.mov", "2");
        src.WriteFile("3.mov", "3");
        recorder->events.clear();

        // The worker waits after its first copy until Stop has been pressed.
        std::mutex mutex;
        std::condition_variable changed;
        bool copied = false, stopped = false;
        CopyWorker::SetAfterEachCopyForTesting([&](const wxString&) {
            std::unique_lock<std::mutex> lock(mutex);
            copied = true;
            changed.notify_all();
            changed.wait(lock, [&] { return stopped; });
        });
        Run(src.Path(), dst.Path(), operation);
        ASSERT_TRUE(PumpUntil(
            [&] {
                std::lock_guard<std::mutex> lock(mutex);
                return copied;
            },
            std::chrono::seconds(30), "first copy"));
        Click(d->m_buttonStop);
        EXPECT_EQ(Progress(), "Please wait for the current operation to end...");
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopped = true;
        }
        changed.notify_all();
        WaitForOperation();
        CopyWorker::SetAfterEachCopyForTesting({});

        EXPECT_EQ(FileCount(dst.Path()), 1u);
        const std::vector<wxString> texts = Texts();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_TRUE(texts[0].StartsWith("File 1 of 3")) << texts[0];
        EXPECT_EQ(texts[1], operation == IVT_OP_COPY ? "Progress: 0.00 % " : "Progress: 0.00 %");
        // The dialog cleaned its list, kept the source and gave the controls back.
        EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
        EXPECT_EQ(d->m_tc1->GetValue(), src.Path());
        EXPECT_EQ(Progress(), "Progress 0%");
        EXPECT_TRUE(AllEnabled(d));
        EXPECT_FALSE(stopPressed);
        d->CleanNoButton();
    }
}

// Files over 200,000,000 bytes get texts of their own while they are hashed and copied.
TEST_F(IvtCopyTest, BigFilesShowTheirOwnProgress)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst, dst2;
    const wxString big = WriteBigFile(src, "big.mov");
    Shell("truncate -s 150000000 " + ShellQuote(src / "small.mov"));

    Run(src.Path(), dst.Path(), IVT_OP_COPY_AND_COMPARE);
    WaitForOperation(std::chrono::seconds(120));
    ASSERT_EQ(d->m_pathSource.size(), 2u);
    const int bigRow = d->m_pathSource[0] == big ? 0 : 1;
    const wxString bigNumber = wxString::Format("File %d of 2", bigRow + 1);
    const wxString before = bigRow == 0 ? "0.00" : "50.00";

    std::vector<wxString> hashing, copying;
    for (const wxString& text : Texts())
    {
        if (text.Contains("(Calculating"))
            hashing.push_back(text);
        if (text.Contains("Copying current file"))
            copying.push_back(text);
    }
    EXPECT_EQ(hashing, (std::vector<wxString>{bigNumber + "(Calculating Hash Source...)",
                                              bigNumber + "(Calculating Hash Destination...)"}));
    ASSERT_FALSE(copying.empty());
    const std::regex copyingText("Progress: " + before.ToStdString() +
                                 "% \\(Copying current file: [0-9]{1,3}\\.[0-9]{2}% \\)");
    for (const wxString& text : copying)
        EXPECT_TRUE(std::regex_match(text.ToStdString(), copyingText)) << text;
    EXPECT_EQ(Cells(bigRow)[5], "Ok");
    EXPECT_EQ(Cells(1 - bigRow)[5], "Ok");
    EXPECT_EQ(Shell("cmp " + ShellQuote(big) + " " + ShellQuote(dst / "big.mov") + " && echo same"), "same");

    // After Stop has been pressed, the text of the big file asks for patience.
    Click(d->m_buttonClean);
    recorder->events.clear();
    stopPressed = true;
    Run(src.Path(), dst2.Path(), IVT_OP_COPY);
    WaitForOperation(std::chrono::seconds(120));
    std::vector<wxString> waiting;
    for (const wxString& text : Texts())
        if (text.StartsWith("Please wait for the current operation to end: "))
            waiting.push_back(text);
    EXPECT_FALSE(waiting.empty());
    for (const wxString& text : Texts())
        EXPECT_FALSE(text.Contains("Copying current file")) << text;
    EXPECT_EQ(ProgressEvents().back().text, "File 2 of 2 ( Progress: 100.00 %)");
    EXPECT_TRUE(SameTrees(src.Path(), dst2.Path()));
}

} // namespace
