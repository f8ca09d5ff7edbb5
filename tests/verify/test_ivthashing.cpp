// "Hash Source" and "Hash Destination" run from the Run button on real trees; every
// hash checked against coreutils, every protocol event the dialog handled recorded.

#include "ivtrun.h"

#include "korbase/hash.h"

using namespace kortest;

namespace
{

const char* const emptySourceCaption = "Empty-Directory. Error message";
const char* const emptySourceText =
    "Your source folder is empty, please: \n1)try selecting 'Include subfolders' under 'Target'.\n2)If you manually "
    "wrote the path (or copy-pasted it), try pressing Enter on your keyboard after adding the path.";

const wxColour green(25, 210, 87);

// A small tree with a nested folder, an empty file and a name with blanks and accents.
void WriteTree(const TempDir& dir)
{
    dir.WriteFile("a.mov", "first clip");
    dir.WriteFile("empty.txt", "");
    dir.WriteFile("day 1/été.mov", std::string(300000, 'x') + "tail");
    dir.WriteFile("day 1/deeper/b.wav", "\x01\x02\x03");
}

} // namespace

TEST_F(IvtRunTest, HashSourceOfAFolderMatchesCoreutilsForEveryAlgorithm)
{
    IVTDialog* d = dialog.get();
    TempDir src;
    WriteTree(src);
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, src.Path());

    for (int hashType = 0; hashType < 5; ++hashType)
    {
        SCOPED_TRACE(DigestTool(hashType));
        d->m_combo3->SetSelection(hashType);
        EventRecorder recorder(d);
        RunToEnd(d);

        ASSERT_EQ(d->m_pathSource.size(), 4u);
        ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
        for (long row = 0; row < 4; ++row)
        {
            const auto cells = Cells(row);
            EXPECT_EQ(cells[0], d->m_pathSource[row]);
            EXPECT_TRUE(cells[0].StartsWith(src.Path()));
            EXPECT_EQ(cells[2].utf8_string(), CoreutilsHash(DigestTool(hashType), cells[0]));
            EXPECT_EQ(cells[1], "");
            EXPECT_EQ(cells[5], "");
            EXPECT_EQ(d->m_listCtrl->GetRowData(row), static_cast<wxUIntPtr>(row * 100));
        }
        EXPECT_TRUE(d->m_HashSrcHappened);
        EXPECT_TRUE(AllEnabled(d));
        EXPECT_FALSE(d->m_operationRunning);
        EXPECT_FALSE(d->m_hashSrcThread.alive);
        EXPECT_EQ(TakeDesktopLogs().size(), 1u);
        EXPECT_EQ(Progress(), "Log has been saved on the desktop");
        EXPECT_EQ(d->m_progressText->GetForegroundColour(), green);

        // One progress text per file, the last one at 100 with the int that turns it green.
        EXPECT_EQ(recorder.ProgressTexts(), (std::vector<std::string>{"Progress: 25.00 % ", "Progress: 50.00 % ",
                                                                      "Progress: 75.00 % ", "Progress: 100.00 % "}));
        EXPECT_EQ(recorder.WithId(IVT_EVT_PROGRESS).back().value, 100);
        EXPECT_EQ(recorder.WithId(IVT_EVT_PROGRESS).front().value, 0);
        // The first run appends its rows, the later ones rewrite the rows they find.
        EXPECT_EQ(recorder.WithId(IVT_EVT_INSERT_ITEM).size(), hashType == 0 ? 4u : 0u);
        // The flag is set after the last progress text and before the end.
        const long flag = recorder.IndexOf(IVT_EVT_HASH_SRC_HAPPENED, IVT_FLAG_TRUE);
        ASSERT_GE(flag, 0);
        EXPECT_GT(flag, recorder.IndexOf(IVT_EVT_PROGRESS, 100));
        EXPECT_EQ(recorder.events.back().id, IVT_EVT_HASH_SOURCE_END);
    }
}

TEST_F(IvtRunTest, HashSourceRewritesExistingRowsInPlaceAndAppendsTheMissingOnes)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    WriteTree(src);
    const wxString d1 = dst.WriteFile("one.mov", "1");
    const wxString d2 = dst.WriteFile("two.mov", "22");
    Enter(d->m_tc1, src.Path());
    Enter(d->m_tc2, dst.Path());

    // Hashing the destination first leaves two rows.
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 2);
    d->m_listCtrl->SetCell(1, 5, "No"); // an earlier comparison, emptied before hashing
    TakeDesktopLogs();

    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    d->m_combo3->SetSelection(HASH_SHA1);
    EventRecorder recorder(d);
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
    EXPECT_EQ(Cells(0)[1], d1);
    EXPECT_EQ(Cells(1)[1], d2);
    EXPECT_EQ(Cells(1)[5], "");
    EXPECT_EQ(Cells(2)[1], "");
    for (long row = 0; row < 4; ++row)
    {
        EXPECT_EQ(Cells(row)[0], d->m_pathSource[row]);
        EXPECT_EQ(Cells(row)[2].utf8_string(), CoreutilsHash("sha1sum", d->m_pathSource[row]));
        EXPECT_EQ(d->m_listCtrl->GetRowData(row), static_cast<wxUIntPtr>(row * 100));
    }
    // Rows 0 and 1 rewritten, rows 2 and 3 inserted.
    const auto inserts = recorder.WithId(IVT_EVT_INSERT_ITEM);
    ASSERT_EQ(inserts.size(), 2u);
    EXPECT_EQ(inserts[0].value, 2);
    EXPECT_EQ(inserts[1].value, 3);
    EXPECT_TRUE(d->m_HashSrcHappened);
    EXPECT_TRUE(d->m_HashDstHappened); // from the first run
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
}

TEST_F(IvtRunTest, HashSourceOfAOneFileFolderEndsGreenAt100)
{
    IVTDialog* d = dialog.get();
    TempDir src;
    const wxString only = src.WriteFile("only.mov", "only");
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, src.Path());
    EventRecorder recorder(d);
    // The log replaces the label's text when it is written; look at the label before.
    wxString labelAtEnd;
    recorder.onEvent = [&](const RecordedEvent& e) {
        if (e.id == IVT_EVT_HASH_SOURCE_END)
            labelAtEnd = Progress();
    };
    RunToEnd(d);
    EXPECT_EQ(labelAtEnd, "Progress: 100.00 % ");
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), green);
    EXPECT_EQ(Cells(0)[0], only);
    EXPECT_EQ(Cells(0)[2].utf8_string(), CoreutilsHash("md5sum", only));
}

TEST_F(IvtRunTest, StopDuringHashSourceFinishesTheFileCleansAndKeepsTheSource)
{
    IVTDialog* d = dialog.get();
    TempDir src;
    WriteBigFile(src, "a_big.bin"); // listed first; hashing it takes a while
    src.WriteFile("b.mov", "b");
    src.WriteFile("c/d.mov", "d");
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, src.Path());

    EventRecorder recorder(d);
    // Stop while the first file is being hashed.
    recorder.onEvent = [&](const RecordedEvent& e) {
        if (e.id == IVT_EVT_INSERT_ITEM && e.value == 0)
            Click(d->m_buttonStop);
    };
    RunToEnd(d);

    // The first file was finished, no other was started.
    const auto hashes = recorder.WithId(IVT_EVT_SET_COL2_HASH_SOURCE);
    ASSERT_EQ(hashes.size(), 1u);
    EXPECT_EQ(hashes[0].text.utf8_string(), CoreutilsHash("md5sum", src / "a_big.bin"));
    EXPECT_EQ(recorder.WithId(IVT_EVT_INSERT_ITEM).size(), 1u);
    EXPECT_EQ(recorder.ProgressTexts(), (std::vector<std::string>{"Progress: 33.33 % ", "Progress: 0.00 %"}));
    // Zero progress, the clean, then the end; never the flag.
    const long zero = recorder.IndexOf(IVT_EVT_PROGRESS);
    const long clean = recorder.IndexOf(IVT_EVT_CLEAN, 1);
    ASSERT_GE(clean, 0);
    EXPECT_LT(zero, clean);
    EXPECT_EQ(recorder.events.back().id, IVT_EVT_HASH_SOURCE_END);
    EXPECT_EQ(recorder.IndexOf(IVT_EVT_HASH_SRC_HAPPENED), -1);

    EXPECT_FALSE(d->m_HashSrcHappened);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(d->m_tc1->GetValue(), src.Path());
    EXPECT_EQ(d->m_pathSource.size(), 3u);
    EXPECT_EQ(d->m_srcDir, src.Path());
    EXPECT_EQ(Progress(), "Progress 0%");
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_FALSE(stopPressed);
    EXPECT_TRUE(TakeDesktopLogs().empty());

    // The source is still chosen: a second run hashes all of it.
    recorder.onEvent = nullptr;
    RunToEnd(d);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 3);
    EXPECT_TRUE(d->m_HashSrcHappened);
}

TEST_F(IvtRunTest, HashSourceWithoutSourceFiles)
{
    IVTDialog* d = dialog.get();
    TempDir empty, dst;
    dst.WriteFile("x.mov", "x");
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, empty.Path());

    // An empty list: the source field is emptied, no row, no log, no flag.
    {
        EventRecorder recorder(d);
        wxTEST_DIALOG(RunToEnd(d), ExpectMessage(emptySourceCaption, emptySourceText));
        EXPECT_EQ(d->m_tc1->GetValue(), "");
        EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
        EXPECT_FALSE(d->m_HashSrcHappened);
        EXPECT_EQ(recorder.IndexOf(IVT_EVT_SCROLL_LIST), -1);
        EXPECT_TRUE(AllEnabled(d));
        EXPECT_TRUE(TakeDesktopLogs().empty());
    }

    // With rows in the list (from hashing the destination) the run counts as hashed.
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    Enter(d->m_tc2, dst.Path());
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    TakeDesktopLogs();

    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, empty.Path());
    EventRecorder recorder(d);
    wxTEST_DIALOG(RunToEnd(d), ExpectMessage(emptySourceCaption, emptySourceText));
    EXPECT_GE(recorder.IndexOf(IVT_EVT_SCROLL_LIST, 1), 0);
    EXPECT_TRUE(d->m_HashSrcHappened);
    EXPECT_EQ(Cells(0)[2], "");
    EXPECT_TRUE(TakeDesktopLogs().empty()); // no source hash to log
    EXPECT_TRUE(AllEnabled(d));
}

TEST_F(IvtRunTest, HashDestinationOfAFolderFillsTheRowsTheListingMade)
{
    IVTDialog* d = dialog.get();
    TempDir dst;
    WriteTree(dst);
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    d->m_combo3->SetSelection(HASH_SHA256);
    Enter(d->m_tc2, dst.Path());
    EventRecorder recorder(d);
    RunToEnd(d);

    ASSERT_EQ(d->m_PathDestination.size(), 4u);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
    for (long row = 0; row < 4; ++row)
    {
        const auto cells = Cells(row);
        EXPECT_EQ(cells[0], "");
        EXPECT_EQ(cells[1], d->m_PathDestination[row]);
        EXPECT_EQ(cells[4].utf8_string(), CoreutilsHash("sha256sum", cells[1]));
    }
    EXPECT_EQ(recorder.ProgressTexts(), (std::vector<std::string>{"Progress: 25.00 %", "Progress: 50.00 %",
                                                                  "Progress: 75.00 %", "Progress: 100.00 %"}));
    EXPECT_EQ(recorder.WithId(IVT_EVT_PROGRESS).back().value, 100);
    EXPECT_TRUE(d->m_HashDstHappened);
    EXPECT_FALSE(d->m_HashSrcHappened);
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), green);
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
    EXPECT_TRUE(AllEnabled(d));
}

TEST_F(IvtRunTest, HashDestinationWithoutDestinationFiles)
{
    IVTDialog* d = dialog.get();
    TempDir src, empty;
    src.WriteFile("s.mov", "s");
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    Enter(d->m_tc2, empty.Path());

    // An empty list: the empty-destination message.
    wxTEST_DIALOG(RunToEnd(d),
                  ExpectMessage("Empty-Directory Error message", "Error, empty destination directory "));
    EXPECT_FALSE(d->m_HashDstHappened);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_TRUE(TakeDesktopLogs().empty());

    // Rows from the source: no message, no hash, the flag unchanged.
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, src.Path());
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    TakeDesktopLogs();
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    EventRecorder recorder(d);
    RunToEnd(d);
    EXPECT_EQ(recorder.IndexOf(IVT_EVT_SET_COL4_HASH_DESTINATION), -1);
    EXPECT_EQ(recorder.events.back().id, IVT_EVT_HASH_DESTINATION_END);
    EXPECT_FALSE(d->m_HashDstHappened);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_TRUE(TakeDesktopLogs().empty());
}

TEST_F(IvtRunTest, HashSingleFiles)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString source = dir.WriteFile("s.mov", "source bytes");
    const wxString destination = dir.WriteFile("d.mov", "destination bytes");
    Choose(d->m_combo4, IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    d->m_combo3->SetSelection(HASH_SHA512);
    Enter(d->m_tc1, source);
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0)[0], source);
    EXPECT_EQ(Cells(0)[2].utf8_string(), CoreutilsHash("sha512sum", source));
    EXPECT_TRUE(d->m_HashSrcHappened);
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);

    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    d->m_combo3->SetSelection(HASH_SHA384);
    Enter(d->m_tc2, destination);
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0)[0], source);
    EXPECT_EQ(Cells(0)[1], destination);
    EXPECT_EQ(Cells(0)[4].utf8_string(), CoreutilsHash("sha384sum", destination));
    EXPECT_TRUE(d->m_HashDstHappened);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);

    // No hash type chosen: the cell stays empty, and there is nothing to log.
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    d->m_combo3->SetSelection(wxNOT_FOUND);
    RunToEnd(d);
    EXPECT_EQ(Cells(0)[2], "");
    EXPECT_TRUE(TakeDesktopLogs().empty());
}

TEST_F(IvtRunTest, HashDestinationOfASingleFileAfterACopy)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString copy = dir.WriteFile("copied.mov", "copied");
    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_COPY);
    d->m_listCtrl->InsertRow(0, "source.mov");
    d->m_PathDestination = {copy};

    // A copy that failed made nothing to hash.
    d->m_CopyStatus = false;
    EventRecorder recorder(d);
    d->HashDestinationFn();
    PumpUntil([d] { return d->m_runningThreads == 0; });
    EXPECT_EQ(recorder.events.size(), 1u);
    EXPECT_EQ(Cells(0)[4], "");
    EXPECT_FALSE(d->m_HashDstHappened);

    // After a copy the copied file is hashed into row 0.
    d->m_CopyStatus = true;
    d->HashDestinationFn();
    PumpUntil([d] { return d->m_runningThreads == 0; });
    EXPECT_EQ(Cells(0)[1], copy);
    EXPECT_EQ(Cells(0)[4].utf8_string(), CoreutilsHash("md5sum", copy));
    EXPECT_TRUE(d->m_HashDstHappened);
    TakeDesktopLogs();

    // Hashing a destination file that was never chosen asks for one.
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    d->m_dstFile.clear();
    wxTEST_DIALOG(
        {
            d->HashDestinationFn();
            PumpUntil([d] { return d->m_runningThreads == 0; });
        },
        ExpectMessage("Destination file message", "Please choose a destination file"));
    EXPECT_TRUE(AllEnabled(d));
}

TEST_F(IvtRunTest, AFileThatCannotBeReadShowsWhyInItsHashCell)
{
    IVTDialog* d = dialog.get();
    TempDir src;
    src.WriteFile("a.mov", "a");
    const wxString unreadable = WriteUnreadableFile(src, "b.mov");
    src.WriteFile("c.mov", "c");
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, src.Path());
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 3);
    EXPECT_EQ(Cells(1)[0], unreadable);
    EXPECT_EQ(Cells(1)[2], "Unreadable: Input/output error");
    // The files around it are hashed as usual.
    EXPECT_EQ(Cells(0)[2].utf8_string(), CoreutilsHash("md5sum", src / "a.mov"));
    EXPECT_EQ(Cells(2)[2].utf8_string(), CoreutilsHash("md5sum", src / "c.mov"));
    EXPECT_TRUE(d->m_HashSrcHappened);
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
}

TEST_F(IvtRunTest, HelperEndWithAnUnknownCodeReportsAndGivesTheControlsBack)
{
    IVTDialog* d = dialog.get();
    DisableCommandControls(d);
    d->m_runningThreads = 1;
    d->m_listCtrl->InsertRow(0, "");
    wxTEST_DIALOG(RunScript(d, {Step(IVT_EVT_HASH_HELPER_END, 0)}),
                  ExpectMessage("HelperRunHash error", "Error HelperRunHashThread, please report the bug"));
    EXPECT_EQ(d->m_runningThreads, 0);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_TRUE(AllEnabled(d));
}
