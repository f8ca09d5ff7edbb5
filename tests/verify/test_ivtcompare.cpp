// "Compare Source and Destination" run from the Run button on real trees: the rows,
// their order and texts, the hashes against coreutils, Stop in either pass, and the
// compare of two chosen files.

#include "ivtrun.h"

#include "korbase/hash.h"

#include <map>

using namespace kortest;

namespace
{

const wxColour green(25, 210, 87);

// Chooses the two folders and the compare.
void ChooseTrees(IVTDialog* d, const TempDir& src, const TempDir& dst)
{
    d->m_combo1->SetSelection(IVT_OP_COMPARE);
    Enter(d->m_tc1, src.Path());
    Enter(d->m_tc2, dst.Path());
}

bool IsRed(IVTDialog* d, long row)
{
    return d->m_listCtrl->GetRowTextColour(row) == *wxRED;
}

} // namespace

TEST_F(IvtRunTest, CompareOfIdenticalTreesPairsEveryFile)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    for (const TempDir* tree : {&src, &dst})
    {
        tree->WriteFile("a.mov", "alpha");
        tree->WriteFile("sub/b.mov", "beta");
        tree->WriteFile("sub/deeper/c.mov", "gamma");
    }
    ChooseTrees(d, src, dst);
    d->m_combo3->SetSelection(HASH_SHA256);
    // Whatever the view was, the compare shows full paths.
    d->m_combo2->SetSelection(1);
    d->m_fullPath = false;
    EventRecorder recorder(d);
    wxString labelAtEnd;
    recorder.onEvent = [&](const RecordedEvent& e) {
        if (e.id == IVT_EVT_COMPARE_END)
            labelAtEnd = Progress();
    };
    RunToEnd(d);

    ASSERT_EQ(d->m_listCtrl->RowCount(), 3);
    const wxString relative[] = {"a.mov", "sub/b.mov", "sub/deeper/c.mov"};
    for (long row = 0; row < 3; ++row)
    {
        const auto cells = Cells(row);
        EXPECT_EQ(cells[0], src / relative[row]);
        EXPECT_EQ(cells[1], dst / relative[row]);
        EXPECT_EQ(cells[2].utf8_string(), CoreutilsHash("sha256sum", cells[0]));
        EXPECT_EQ(cells[3], "Not needed");
        EXPECT_EQ(cells[4].utf8_string(), CoreutilsHash("sha256sum", cells[1]));
        EXPECT_EQ(cells[5], "Ok");
        EXPECT_FALSE(IsRed(d, row));
    }
    // Two hashes a pair: six progress steps, the last at 100 and green.
    EXPECT_EQ(recorder.ProgressTexts(),
              (std::vector<std::string>{"Progress: 16.67%", "Progress: 33.33%", "Progress: 50.00%", "Progress: 66.67%",
                                        "Progress: 83.33%", "Progress: 100.00%"}));
    EXPECT_EQ(recorder.WithId(IVT_EVT_PROGRESS).back().value, 100);
    EXPECT_EQ(labelAtEnd, "Progress: 100.00%");
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), green);
    // The worker starts in the full view from an empty list.
    const long start = recorder.IndexOf(IVT_EVT_FULL_PATH, IVT_FLAG_TRUE);
    ASSERT_GE(start, 0);
    ASSERT_GT(recorder.events.size(), static_cast<size_t>(start + 3));
    EXPECT_EQ(recorder.events[start + 1].id, IVT_EVT_SET_DISPLAYED_PATH);
    EXPECT_EQ(recorder.events[start + 1].value, 0);
    EXPECT_EQ(recorder.events[start + 2].id, IVT_EVT_DELETE_ALL_ITEMS);
    EXPECT_EQ(recorder.events[start + 3].id, IVT_EVT_INSERT_ITEM);
    EXPECT_TRUE(d->m_fullPath);
    EXPECT_EQ(d->m_combo2->GetSelection(), 0);

    EXPECT_TRUE(d->m_HashSrcHappened);
    EXPECT_TRUE(d->m_HashDstHappened);
    EXPECT_FALSE(d->m_compareThread.alive);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
}

TEST_F(IvtRunTest, CompareListsOneSidedFilesAndMarksDifferencesRed)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    src.WriteFile("same.mov", "same");
    dst.WriteFile("same.mov", "same");
    src.WriteFile("changed.mov", "0123456789");
    dst.WriteFile("changed.mov", "0123456788"); // one byte differs
    src.WriteFile("only-src.mov", "s");
    src.WriteFile("sub/A.txt", "case"); // differs from sub/a.txt only in letter case
    dst.WriteFile("sub/a.txt", "case");
    dst.WriteFile("extra/only-dst.mov", "d");
    ChooseTrees(d, src, dst);
    EventRecorder recorder(d);
    RunToEnd(d);

    // Source rows in source order, then the unmatched destination files in destination order.
    ASSERT_EQ(d->m_pathSource.size(), 4u);
    ASSERT_EQ(d->m_PathDestination.size(), 4u);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 6);
    std::map<wxString, long> rowOf;
    for (long row = 0; row < 4; ++row)
    {
        EXPECT_EQ(Cells(row)[0], d->m_pathSource[row]);
        rowOf[FilenameAbsoluteToRelative(Cells(row)[0], src.Path())] = row;
    }
    const auto md5 = [](const wxString& path) { return wxString(CoreutilsHash("md5sum", path)); };

    const long same = rowOf.at("same.mov");
    EXPECT_EQ(Cells(same), (std::vector<wxString>{src / "same.mov", dst / "same.mov", md5(src / "same.mov"),
                                                  "Not needed", md5(dst / "same.mov"), "Ok"}));
    EXPECT_FALSE(IsRed(d, same));

    const long changed = rowOf.at("changed.mov");
    EXPECT_EQ(Cells(changed), (std::vector<wxString>{src / "changed.mov", dst / "changed.mov",
                                                     md5(src / "changed.mov"), "Not needed",
                                                     md5(dst / "changed.mov"), "No"}));
    EXPECT_TRUE(IsRed(d, changed));

    for (const wxString& name : {wxString("only-src.mov"), wxString("sub/A.txt")})
    {
        const long row = rowOf.at(name);
        EXPECT_EQ(Cells(row), (std::vector<wxString>{src / name, "", md5(src / name), "Not needed", "",
                                                     "Only in Source"}));
        EXPECT_FALSE(IsRed(d, row));
    }
    // Rows 4 and 5: the destination files without a partner, in destination listing order.
    std::vector<wxString> unmatched;
    for (const wxString& file : d->m_PathDestination)
        if (file != dst / "same.mov" && file != dst / "changed.mov")
            unmatched.push_back(file);
    ASSERT_EQ(unmatched.size(), 2u);
    for (long row = 4; row < 6; ++row)
    {
        const wxString& file = unmatched[row - 4];
        EXPECT_EQ(Cells(row), (std::vector<wxString>{"", file, "", "Not needed", md5(file), "Only in Destination"}));
        EXPECT_FALSE(IsRed(d, row));
    }
    // 2 pairs and 4 one-sided files: 8 hashes.
    EXPECT_EQ(recorder.ProgressTexts().size(), 8u);
    EXPECT_EQ(recorder.ProgressTexts().back(), "Progress: 100.00%");
    EXPECT_EQ(recorder.WithId(IVT_EVT_SET_ITEM_RED).size(), 1u);
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
}

TEST_F(IvtRunTest, CompareAfterACopyReadsSuccess)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    src.WriteFile("a.mov", "a");
    dst.WriteFile("a.mov", "a");
    src.WriteFile("b.mov", "b");
    dst.WriteFile("c.mov", "c");
    ChooseTrees(d, src, dst);
    d->m_CopyStatus = true;
    d->m_dstDir = dst.Path();
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 3);
    EXPECT_EQ(Cells(0)[3], "Success"); // a pair
    EXPECT_EQ(Cells(0)[5], "Ok");
    EXPECT_EQ(Cells(1)[3], "Success"); // only in the source
    EXPECT_EQ(Cells(1)[5], "Only in Source");
    EXPECT_EQ(Cells(2)[3], "Not needed"); // only in the destination
    EXPECT_EQ(Cells(2)[5], "Only in Destination");
    EXPECT_TRUE(d->m_CopyStatus);
}

TEST_F(IvtRunTest, AFileThatCannotBeReadNeverComparesOk)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    // The same unreadable file on both sides gives the same error text twice.
    WriteUnreadableFile(src, "lost.mov");
    WriteUnreadableFile(dst, "lost.mov");
    src.WriteFile("fine.mov", "fine");
    dst.WriteFile("fine.mov", "fine");
    ChooseTrees(d, src, dst);
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 2);
    EXPECT_EQ(Cells(0)[0], src / "fine.mov");
    EXPECT_EQ(Cells(0)[5], "Ok");
    EXPECT_EQ(Cells(1)[0], src / "lost.mov");
    EXPECT_EQ(Cells(1)[2], "Unreadable: Input/output error");
    EXPECT_EQ(Cells(1)[4], "Unreadable: Input/output error");
    EXPECT_EQ(Cells(1)[5], "No");
    EXPECT_TRUE(IsRed(d, 1));
    EXPECT_FALSE(IsRed(d, 0));
    TakeDesktopLogs();

    // The same for two chosen files.
    Choose(d->m_combo4, IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_COMPARE);
    Enter(d->m_tc1, src / "lost.mov");
    Enter(d->m_tc2, dst / "lost.mov");
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0)[5], "No");
    EXPECT_TRUE(IsRed(d, 0));
}

TEST_F(IvtRunTest, CompareOfTwoChosenFiles)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString source = dir.WriteFile("s.mov", "identical");
    const wxString same = dir.WriteFile("same.mov", "identical");
    const wxString other = dir.WriteFile("other.mov", "different");
    Choose(d->m_combo4, IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_COMPARE);
    d->m_combo3->SetSelection(HASH_SHA1);
    Enter(d->m_tc1, source);
    Enter(d->m_tc2, same);
    d->m_listCtrl->InsertRow(0, "left from before");
    d->m_listCtrl->InsertRow(1, "left from before");
    EventRecorder recorder(d);
    wxString labelAtEnd;
    recorder.onEvent = [&](const RecordedEvent& e) {
        if (e.id == IVT_EVT_COMPARE_END)
            labelAtEnd = Progress();
    };
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    const wxString hash = CoreutilsHash("sha1sum", source);
    EXPECT_EQ(Cells(0), (std::vector<wxString>{source, same, hash, "Not needed", hash, "Ok"}));
    EXPECT_FALSE(IsRed(d, 0));
    EXPECT_EQ(labelAtEnd, "Progress: 100.00%");
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), green);
    EXPECT_EQ(recorder.ProgressTexts(), std::vector<std::string>{"Progress: 100.00%"});
    EXPECT_TRUE(d->m_HashSrcHappened);
    EXPECT_TRUE(d->m_HashDstHappened);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);

    Enter(d->m_tc2, other);
    RunToEnd(d);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0)[4], wxString(CoreutilsHash("sha1sum", other)));
    EXPECT_EQ(Cells(0)[5], "No");
    EXPECT_TRUE(IsRed(d, 0));
    TakeDesktopLogs();

    // No source file: the compare says so and changes nothing else.
    d->m_srcFile.clear();
    d->m_tc1->ChangeValue("");
    wxTEST_DIALOG(RunToEnd(d), ExpectMessage("Empty-Source-File Error message",
                                             "Error, source folder is empty. Please, choose a source file "));
    EXPECT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_TRUE(AllEnabled(d));
}

TEST_F(IvtRunTest, CompareWithAnEmptyDestinationOrSource)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst, empty;
    src.WriteFile("a.mov", "a");
    dst.WriteFile("b.mov", "b");

    // Nothing in the destination: nothing compared, the list and the progress reset.
    ChooseTrees(d, src, empty);
    d->m_progressText->SetForegroundColour(green);
    wxTEST_DIALOG(RunToEnd(d), ExpectMessage("Empty-Destination-Directory Error message",
                                             "Error, destination folder is empty. No comparison can be done "));
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(Progress(), "Progress: 0%  ");
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_TRUE(TakeDesktopLogs().empty());

    // Nothing in the source: no file can be paired, and the error row says so.
    ChooseTrees(d, empty, dst);
    wxTEST_DIALOG(RunToEnd(d), ExpectMessage("Empty-Directory. Error message",
                                             "Your source folder is empty, please: \n1)try selecting 'Include "
                                             "subfolders' under 'Target'.\n2)If you manually wrote the path (or "
                                             "copy-pasted it), try pressing Enter on your keyboard after adding the "
                                             "path."));
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0)[0], "Error: this shouldn't happen. Please report the bug\n to " + IVTDialog::SupportAddress());
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
}

TEST_F(IvtRunTest, StopDuringTheFirstPassOfACompare)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    for (const TempDir* tree : {&src, &dst})
    {
        WriteBigFile(*tree, "a_big.bin"); // the first pair; hashing it takes a while
        tree->WriteFile("b.mov", "b");
    }
    dst.WriteFile("c.mov", "c");
    ChooseTrees(d, src, dst);
    EventRecorder recorder(d);
    recorder.onEvent = [&](const RecordedEvent& e) {
        if (e.id == IVT_EVT_INSERT_ITEM && e.value == 0)
            Click(d->m_buttonStop);
    };
    RunToEnd(d);

    // The first row was finished, then the zero progress of the first pass.
    EXPECT_EQ(recorder.WithId(IVT_EVT_INSERT_ITEM).size(), 1u);
    const auto comparison = recorder.WithId(IVT_EVT_SET_COL5_HASH_COMPARISON);
    ASSERT_EQ(comparison.size(), 1u);
    EXPECT_EQ(comparison[0].text, "Ok");
    // Big files announce themselves at the percentage the pair started with.
    EXPECT_EQ(recorder.ProgressTexts(),
              (std::vector<std::string>{"Calculating Hash Source...(Progress: 0.00 % )", "Progress: 20.00%",
                                        "Calculating Hash Destination...(Progress: 0.00)%", "Progress: 40.00%",
                                        "Progress: 0.00%"}));
    EXPECT_LT(recorder.IndexOf(IVT_EVT_PROGRESS, 0), recorder.IndexOf(IVT_EVT_CLEAN, 1));
    EXPECT_EQ(recorder.events.back().id, IVT_EVT_COMPARE_END);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_FALSE(d->m_HashSrcHappened);
    EXPECT_FALSE(d->m_HashDstHappened);
    EXPECT_EQ(d->m_tc1->GetValue(), src.Path());
    EXPECT_EQ(d->m_pathSource.size(), 2u);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_TRUE(TakeDesktopLogs().empty()); // the log of a cleaned list is no log
}

TEST_F(IvtRunTest, StopDuringTheSecondPassOfACompare)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    src.WriteFile("a.mov", "a");
    dst.WriteFile("a.mov", "a");
    WriteBigFile(dst, "b_big.bin"); // only in the destination
    dst.WriteFile("c.mov", "c");
    ChooseTrees(d, src, dst);
    EventRecorder recorder(d);
    recorder.onEvent = [&](const RecordedEvent& e) {
        if (e.id == IVT_EVT_INSERT_ITEM && e.value == 1)
            Click(d->m_buttonStop);
    };
    RunToEnd(d);

    const auto inserts = recorder.WithId(IVT_EVT_INSERT_ITEM);
    ASSERT_EQ(inserts.size(), 2u);
    EXPECT_EQ(inserts[1].text, "");
    EXPECT_EQ(recorder.WithId(IVT_EVT_SET_COL5_HASH_COMPARISON).back().text, "Only in Destination");
    EXPECT_EQ(recorder.ProgressTexts(),
              (std::vector<std::string>{"Progress: 25.00%", "Progress: 50.00%",
                                        "Calculating Hash Destination...(Progress: 50.00)%", "Progress: 75.00%",
                                        "Progress: 0.00 % "}));
    EXPECT_EQ(recorder.events.back().id, IVT_EVT_COMPARE_END);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(d->m_tc1->GetValue(), src.Path());
    EXPECT_FALSE(stopPressed);
    EXPECT_TRUE(AllEnabled(d));
}
