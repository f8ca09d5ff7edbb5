// The worker-to-dialog protocol: every event id sent from a real worker thread, in
// order, and what the dialog makes of it.

#include "ivtfixture.h"

#include "korbase/files.h"

#include <wx/button.h>

using namespace kortest;

namespace
{

const wxColour green(25, 210, 87);

// Rows "/src/0", "/src/1", ... sent by a worker, once the control has laid them out:
// it learns of new rows a moment later, and lays them out when idle.
void InsertRowsAndLayOut(IVTDialog* d, int count)
{
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i)
        steps.push_back({IVT_EVT_INSERT_ITEM, i, wxString::Format("/src/%d", i)});
    RunScript(d, steps);
    EXPECT_TRUE(PumpUntil([&] { return d->m_listCtrl->GetItemCount() == count; }, std::chrono::seconds(5)));
    PumpFor(std::chrono::milliseconds(50));
}

} // namespace

TEST_F(IvtDialogTest, ListEventsFillRowsInTheOrderSent)
{
    IVTDialog* d = dialog.get();
    RunScript(d, {
                     // Column events on an empty list do nothing; 100068 is passed on and ignored.
                     {IVT_EVT_SET_COL1_FILE_DST, 0, "lost"},
                     {IVT_EVT_SET_COL2_HASH_SOURCE, 0, "lost"},
                     {IVT_EVT_SET_COL3_COPY_STATUS, 0, "lost"},
                     {IVT_EVT_SET_COL4_HASH_DESTINATION, 0, "lost"},
                     {IVT_EVT_SET_COL5_HASH_COMPARISON, 0, "lost"},
                     {IVT_EVT_SET_COL0_TEXT, 0, "lost"},
                     {IVT_EVT_INSERT_ITEM, 0, "/src/a"},
                     {IVT_EVT_SET_COL1_FILE_DST, 0, "/dst/a"},
                     {IVT_EVT_SET_COL2_HASH_SOURCE, 0, "aaaa"},
                     {IVT_EVT_SET_COL3_COPY_STATUS, 0, "Success"},
                     {IVT_EVT_SET_COL4_HASH_DESTINATION, 0, "aaaa"},
                     {IVT_EVT_SET_COL5_HASH_COMPARISON, 0, "Ok"},
                     {IVT_EVT_INSERT_ITEM, 1, wxString::FromUTF8("/src/ünï cødé")},
                     {IVT_EVT_SET_COL3_COPY_STATUS, 1, "Failed"},
                     {IVT_EVT_SET_ITEM_RED, 1},
                     {IVT_EVT_INSERT_ITEM, 2, "/src/c"},
                     {IVT_EVT_SET_COL0_TEXT, 2, "/src/c renamed"},
                     // An insert before an existing row moves it down, with its colour.
                     {IVT_EVT_INSERT_ITEM, 1, "/src/inserted"},
                     // Past the end: appended.
                     {IVT_EVT_INSERT_ITEM, 9, "/src/late"},
                     {IVT_EVT_SET_COL5_HASH_COMPARISON, 42, "out of range"},
                 });
    ResultListCtrl* list = d->m_listCtrl;
    ASSERT_EQ(list->RowCount(), 5);
    // The control learns of new rows a moment later: a worker adds thousands a second.
    EXPECT_TRUE(PumpUntil([&] { return list->GetItemCount() == 5; }, std::chrono::seconds(5)));
    EXPECT_EQ(Cells(0), (std::vector<wxString>{"/src/a", "/dst/a", "aaaa", "Success", "aaaa", "Ok"}));
    EXPECT_EQ(Cells(1), (std::vector<wxString>{"/src/inserted", "", "", "", "", ""}));
    EXPECT_EQ(Cells(2), (std::vector<wxString>{wxString::FromUTF8("/src/ünï cødé"), "", "", "Failed", "", ""}));
    EXPECT_EQ(Cells(3), (std::vector<wxString>{"/src/c renamed", "", "", "", "", ""}));
    EXPECT_EQ(Cells(4)[0], "/src/late");
    // Item data: the row index sent, times 100.
    EXPECT_EQ(list->GetRowData(0), 0u);
    EXPECT_EQ(list->GetRowData(1), 100u);
    EXPECT_EQ(list->GetRowData(2), 100u);
    EXPECT_EQ(list->GetRowData(3), 200u);
    EXPECT_EQ(list->GetRowData(4), 900u);
    EXPECT_EQ(list->GetRowTextColour(2), *wxRED);
    for (long row : {0, 1, 3, 4})
        EXPECT_EQ(list->GetRowTextColour(row), wxNullColour) << row;
}

TEST_F(IvtDialogTest, HashColumnsScrollTheListAndDeleteNeedsItsCode)
{
    IVTDialog* d = dialog.get();
    InsertRowsAndLayOut(d, 400);
    EXPECT_EQ(d->m_listCtrl->GetTopItem(), 0);
    RunScript(d, {{IVT_EVT_SET_COL2_HASH_SOURCE, 399, "ffff"}, {IVT_EVT_DELETE_ALL_ITEMS, 99}});
    EXPECT_GT(d->m_listCtrl->GetTopItem(), 0); // ScrollList(0, 399) moved the view down
    EXPECT_EQ(d->m_listCtrl->RowCount(), 400);
    EXPECT_EQ(d->m_listCtrl->GetCell(399, 2), "ffff");

    RunScript(d, {{IVT_EVT_SCROLL_LIST, 1}, {IVT_EVT_DELETE_ALL_ITEMS, 100}});
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(d->m_listCtrl->GetItemCount(), 0);
}

TEST_F(IvtDialogTest, ABurstOfHashCellsScrollsAsFarAsOneScrollPerCell)
{
    IVTDialog* d = dialog.get();
    InsertRowsAndLayOut(d, 400);

    // Each cell scrolls by its row: together far more than the list is long.
    std::vector<Step> steps;
    for (int i = 0; i < 400; ++i)
        steps.push_back({IVT_EVT_SET_COL4_HASH_DESTINATION, i, "ffff"});
    RunScript(d, steps);
    ResultListCtrl* list = d->m_listCtrl;
    EXPECT_TRUE(PumpUntil([&] { return list->GetTopItem() + list->GetCountPerPage() >= 399; },
                          std::chrono::seconds(5), "the last rows in view"));
}

TEST_F(IvtDialogTest, TextAndChoiceEvents)
{
    IVTDialog* d = dialog.get();
    int choiceEvents = 0;
    d->m_combo2->Bind(wxEVT_CHOICE, [&](wxCommandEvent&) { ++choiceEvents; });
    RunScript(d, {{IVT_EVT_SET_TC1, 0, "/from/worker/src"},
                  {IVT_EVT_SET_TC2, 0, "/from/worker/dst"},
                  {IVT_EVT_SET_DISPLAYED_PATH, 1}});
    EXPECT_EQ(d->m_tc1->GetValue(), "/from/worker/src");
    EXPECT_EQ(d->m_tc2->GetValue(), "/from/worker/dst");
    EXPECT_EQ(d->m_combo2->GetSelection(), 1);
    EXPECT_EQ(choiceEvents, 0);
}

TEST_F(IvtDialogTest, ProgressTurnsGreenOnlyAtHundred)
{
    IVTDialog* d = dialog.get();
    const wxColour defaultColour = d->m_progressText->GetForegroundColour();
    RunScript(d, {{IVT_EVT_PROGRESS, 99, "File 99 of 100 (Progress: 99.00 %) "}});
    EXPECT_EQ(Progress(), "File 99 of 100 (Progress: 99.00 %) ");
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), defaultColour);
    EXPECT_FALSE(d->m_progressText->UseForegroundColour());

    RunScript(d, {{IVT_EVT_PROGRESS, 100, "File 100 of 100 (Progress: 100.00 %) "}});
    EXPECT_EQ(Progress(), "File 100 of 100 (Progress: 100.00 %) ");
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), green);

    // Stays green until something resets it. A text right after another shows a
    // moment later: fast workers change it thousands of times a second.
    RunScript(d, {{IVT_EVT_PROGRESS, 0, "Log & more"}});
    EXPECT_TRUE(PumpUntil([&] { return Progress() == "Log & more"; }, std::chrono::seconds(5)));
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), green);
}

TEST_F(IvtDialogTest, DuplicateRemovalProgress)
{
    IVTDialog* d = dialog.get();
    RunScript(d, {{IVT_EVT_PROGRESS_DUPLICATES, 0, "50.00 "}});
    EXPECT_EQ(Progress(), "Removing duplicates... 50.00 % ");
    RunScript(d, {{IVT_EVT_PROGRESS_DUPLICATES, 100, "100.00 "}});
    EXPECT_EQ(Progress(), "Duplicates removed");
    EXPECT_FALSE(d->m_progressText->UseForegroundColour());
}

TEST_F(IvtDialogTest, FieldEventsQueuedAndImmediate)
{
    IVTDialog* d = dialog.get();
    RunScript(d, {
                     {IVT_EVT_SRC_DIR, 0, "/queued/src", false},
                     {IVT_EVT_DST_DIR, 0, "/immediate/dst", true},
                     {IVT_EVT_TMP_SRC_DIR, 0, "/immediate/tmp", true},
                     {IVT_EVT_APPEND_PATH_DESTINATION, 0, "/dst/1"},
                     {IVT_EVT_APPEND_PATH_DESTINATION, 0, "/dst/2"},
                     {IVT_EVT_APPEND_TMP_SRC_NAME, 0, "a"},
                     {IVT_EVT_APPEND_TMP_SRC_NAME, 0, "sub/b"},
                     {IVT_EVT_APPEND_TMP_DST_NAME, 0, "c"},
                 });
    EXPECT_EQ(d->m_srcDir, "/queued/src");
    EXPECT_EQ(d->m_dstDir, "/immediate/dst");
    EXPECT_EQ(d->m_tmp_SrcDir, "/immediate/tmp");
    EXPECT_EQ(d->m_PathDestination, (std::vector<wxString>{"/dst/1", "/dst/2"}));
    EXPECT_EQ(d->m_tmp_SrcName, (std::vector<wxString>{"a", "sub/b"}));
    EXPECT_EQ(d->m_tmp_DstName, std::vector<wxString>{"c"});
}

TEST_F(IvtDialogTest, FlagEventsTakeTenAndTwentyAndReportAnythingElse)
{
    IVTDialog* d = dialog.get();
    struct Flag
    {
        int id;
        bool IVTDialog::*field;
        const char* error;
    };
    const Flag flags[] = {
        {IVT_EVT_COPY_STATUS, &IVTDialog::m_CopyStatus, "Error about m_copyStatus value\n, please report it to "},
        {IVT_EVT_COPY_HAPPENED, &IVTDialog::m_CopyHappened, "Error about m_copyHappened value\n, please report it to "},
        {IVT_EVT_HASH_SRC_HAPPENED, &IVTDialog::m_HashSrcHappened,
         "Error about m_hashSrcHappened value\n, please report it to "},
        {IVT_EVT_HASH_DST_HAPPENED, &IVTDialog::m_HashDstHappened,
         "Error about m_hashDstHappened value\n, please report it to "},
        {IVT_EVT_FULL_PATH, &IVTDialog::m_fullPath, "Error about m_fullPath value\n, please report it to "},
    };
    for (const Flag& f : flags)
    {
        SCOPED_TRACE(f.id);
        for (bool immediate : {false, true})
        {
            RunScript(d, {{f.id, IVT_FLAG_TRUE, "", immediate}});
            EXPECT_TRUE(d->*f.field);
            RunScript(d, {{f.id, IVT_FLAG_FALSE, "", immediate}});
            EXPECT_FALSE(d->*f.field);
        }
        RunScript(d, {{f.id, IVT_FLAG_TRUE}});
        wxTEST_DIALOG(RunScript(d, {{f.id, 0}, {f.id, 1}}),
                      ExpectMessage("", f.error + IVTDialog::SupportAddress()),
                      ExpectMessage("", f.error + IVTDialog::SupportAddress()));
        EXPECT_TRUE(d->*f.field); // unchanged
        d->*f.field = false;
        wxTEST_DIALOG(RunScript(d, {{f.id, 11}}), ExpectMessage("", f.error + IVTDialog::SupportAddress()));
        EXPECT_FALSE(d->*f.field);
    }
}

TEST_F(IvtDialogTest, ListingEventsListTheChosenFolders)
{
    IVTDialog* d = dialog.get();
    TempDir src;
    src.WriteFile("a.txt", "a");
    src.WriteFile("sub/b.txt", "b");
    src.WriteFile("sub/deeper/c.txt", "c");
    TempDir dst;
    dst.WriteFile("x.bin", "x");
    dst.WriteFile("y/z.bin", "z");

    RunScript(d, {{IVT_EVT_TMP_SRC_DIR, 0, src.Path(), true}, {IVT_EVT_LIST_SOURCE, IVT_LIST_TOP_LEVEL, "", true}});
    EXPECT_EQ(d->m_pathSource, std::vector<wxString>{src / "a.txt"});
    RunScript(d, {{IVT_EVT_LIST_SOURCE, IVT_LIST_RECURSIVE, "", true}});
    EXPECT_EQ(d->m_pathSource, GetAllFiles(src.Path(), AllFilesFilter(), true));
    EXPECT_EQ(d->m_pathSource.size(), 3u);
    RunScript(d, {{IVT_EVT_LIST_SOURCE, IVT_LIST_EMPTY}});
    EXPECT_TRUE(d->m_pathSource.empty());

    d->m_tmp_DstDir = dst.Path();
    RunScript(d, {{IVT_EVT_LIST_DESTINATION, IVT_LIST_TOP_LEVEL, "", true}});
    EXPECT_EQ(d->m_PathDestination, std::vector<wxString>{dst / "x.bin"});
    RunScript(d, {{IVT_EVT_LIST_DESTINATION, IVT_LIST_RECURSIVE}});
    EXPECT_EQ(d->m_PathDestination, (std::vector<wxString>{dst / "x.bin", dst / "y/z.bin"}));

    RunScript(d, {{IVT_EVT_LIST_SOURCE, IVT_LIST_RECURSIVE}});
    wxTEST_DIALOG(RunScript(d, {{IVT_EVT_LIST_SOURCE, 53}, {IVT_EVT_LIST_DESTINATION, 10}}),
                  ExpectMessage("", "Error about m_PathSrcGetAllFiles value\n, please report it to " +
                                        IVTDialog::SupportAddress()),
                  ExpectMessage("", "Error about m_PathDstGetAllFiles value\n, please report it to " +
                                        IVTDialog::SupportAddress()));
    EXPECT_EQ(d->m_pathSource.size(), 3u);
    EXPECT_EQ(d->m_PathDestination.size(), 2u);
    RunScript(d, {{IVT_EVT_LIST_DESTINATION, IVT_LIST_EMPTY}});
    EXPECT_TRUE(d->m_PathDestination.empty());
}

TEST_F(IvtDialogTest, ListingEventsTakeTheSendersListingOfTheSameFolder)
{
    IVTDialog* d = dialog.get();
    TempDir src;
    src.WriteFile("a.txt", "a");
    src.WriteFile("sub/b.txt", "b");
    d->m_tmp_SrcDir = src.Path();
    d->m_tmp_DstDir = src.Path();

    // Taken as it is: a name that is not on disk shows the folder was not read again.
    IvtFolderListing same{src.Path(), true, {src / "listed by the worker"}};
    RunScript(d, {{IVT_EVT_LIST_SOURCE, IVT_LIST_RECURSIVE, "", true, &same}});
    EXPECT_EQ(d->m_pathSource, std::vector<wxString>{src / "listed by the worker"});
    IvtFolderListing sameTop{src.Path(), false, {src / "top"}};
    RunScript(d, {{IVT_EVT_LIST_DESTINATION, IVT_LIST_TOP_LEVEL, "", true, &sameTop}});
    EXPECT_EQ(d->m_PathDestination, std::vector<wxString>{src / "top"});

    // A listing made the other way, or of another folder, is not the one asked for.
    IvtFolderListing topLevel{src.Path(), false, {src / "listed by the worker"}};
    RunScript(d, {{IVT_EVT_LIST_SOURCE, IVT_LIST_RECURSIVE, "", true, &topLevel}});
    EXPECT_EQ(d->m_pathSource, (std::vector<wxString>{src / "a.txt", src / "sub/b.txt"}));
    IvtFolderListing elsewhere{src / "sub", false, {src / "sub/b.txt"}};
    RunScript(d, {{IVT_EVT_LIST_DESTINATION, IVT_LIST_TOP_LEVEL, "", true, &elsewhere}});
    EXPECT_EQ(d->m_PathDestination, std::vector<wxString>{src / "a.txt"});
}

TEST_F(IvtDialogTest, EveryMessageCodeShowsItsBoxAndFollowUp)
{
    IVTDialog* d = dialog.get();
    struct Message
    {
        int code;
        const char* caption;
        const char* text;
    };
    const Message messages[] = {
        {103, "Destination file message", "Please choose a destination file"},
        {987, "Message",
         "Please calculate the hash with the full view before changing it to relative.\nThe table must not be empty. "
         "Choose a source and/or a destination if you haven't done it yet."},
        {13105, "Warning message",
         "Warning, the selected function does not work if your purpose\n is to compare two existing files"},
        {13106, "Empty-Directory Error message", "Error, empty source directory"},
        {13, "Empty-Directory Error message", "Error, empty destination directory "},
        {13107, "Message", "You have already set this view"},
        {10009, "Empty-Source-File Error message", "Error, source folder is empty. Please, choose a source file "},
        {11111, "Empty-Destination-Directory Error message",
         "Error, destination folder is empty. No comparison can be done "},
        {155, "Not-Empty-Directory-Copy Error message",
         "Error, you only can do a copy to an existing empty destination folder "},
        {90909, "Empty-Directory. Error message",
         "Your source folder is empty, please: \n1)try selecting 'Include subfolders' under 'Target'.\n2)If you "
         "manually wrote the path (or copy-pasted it), try pressing Enter on your keyboard after adding the path."},
    };
    for (const Message& m : messages)
    {
        SCOPED_TRACE(m.code);
        // A running operation with a finished list, the relative view and a green label.
        d->m_listCtrl->DeleteAllRows();
        d->m_listCtrl->InsertRow(0, "/src/a");
        d->m_combo2->SetSelection(1);
        d->m_progressText->SetForegroundColour(green);
        d->m_progressText->SetLabelText("100.00 %");
        d->m_operationRunning = true;
        DisableCommandControls(d);

        // Followed by an unknown code, which shows nothing.
        wxTEST_DIALOG(RunScript(d, {{IVT_EVT_MESSAGE_BOX, m.code}, {IVT_EVT_MESSAGE_BOX, 4242}}),
                      ExpectMessage(m.caption, m.text));

        const bool resetsView = m.code == 987;
        const bool resetsProgress = m.code == 11111 || m.code == 90909;
        const bool emptiesList = m.code == 11111 || m.code == 155;
        const bool enables = m.code == 90909;
        EXPECT_EQ(d->m_combo2->GetSelection(), resetsView ? 0 : 1);
        EXPECT_EQ(Progress(), resetsProgress ? "Progress: 0%  " : "100.00 %");
        EXPECT_EQ(d->m_progressText->UseForegroundColour(), !resetsProgress);
        EXPECT_EQ(d->m_listCtrl->RowCount(), emptiesList ? 0 : 1);
        EXPECT_EQ(AllEnabled(d), enables);
        EXPECT_EQ(NoneEnabled(d), !enables);
        EXPECT_EQ(d->m_operationRunning, !enables);
        d->AbleWidgetsAgain();
    }
    // Unknown codes alone: no box at all (the guard fails the test on any).
    RunScript(d, {{IVT_EVT_MESSAGE_BOX, 0}, {IVT_EVT_MESSAGE_BOX, 444022}, {IVT_EVT_MESSAGE_BOX, -1}});
}

TEST_F(IvtDialogTest, CleanRequestFromAStoppedWorker)
{
    IVTDialog* d = dialog.get();
    d->m_tc1->ChangeValue("/kept/source");
    d->m_pathSource = {"/kept/source/a"};
    d->m_listCtrl->InsertRow(0, "/kept/source/a");
    d->m_CopyHappened = true;
    d->m_operationRunning = true;
    RunScript(d, {{IVT_EVT_CLEAN, 0}, {IVT_EVT_CLEAN, 2}});
    EXPECT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_TRUE(d->m_CopyHappened);

    RunScript(d, {{IVT_EVT_CLEAN, 1}});
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_FALSE(d->m_CopyHappened);
    EXPECT_EQ(d->m_tc1->GetValue(), "/kept/source");
    EXPECT_EQ(d->m_pathSource, std::vector<wxString>{"/kept/source/a"});
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
}

TEST_F(IvtDialogTest, EndEventsCountDownAndReEnable)
{
    IVTDialog* d = dialog.get();
    // Each operation's end: counted down, slot freed, empty rows gone, controls back.
    struct End
    {
        int id;
        int value;
        WorkerSlot IVTDialog::*slot;
    };
    const End ends[] = {
        {IVT_EVT_HASH_SOURCE_END, 0, &IVTDialog::m_hashSrcThread},
        {IVT_EVT_HASH_DESTINATION_END, 0, &IVTDialog::m_hashDstThread},
        {IVT_EVT_COPY_END, 5, &IVTDialog::m_copyThread},
        {IVT_EVT_COPY_COMPARE_END, 3, &IVTDialog::m_copyCompareThread},
        {IVT_EVT_COMPARE_END, 0, &IVTDialog::m_compareThread},
    };
    for (const End& e : ends)
    {
        SCOPED_TRACE(e.id);
        d->m_listCtrl->DeleteAllRows();
        d->m_listCtrl->InsertRow(0, "");
        d->m_listCtrl->InsertRow(1, "/src/a");
        d->m_runningThreads = 2;
        d->m_operationRunning = true;
        (d->*e.slot).alive = true;
        DisableCommandControls(d);
        RunScript(d, {{e.id, e.value}});
        EXPECT_EQ(d->m_runningThreads, 1);
        EXPECT_FALSE((d->*e.slot).alive);
        EXPECT_EQ(d->m_listCtrl->RowCount(), 1);
        EXPECT_TRUE(AllEnabled(d));
        EXPECT_FALSE(d->m_operationRunning);
    }

    // Copy and compare: only its own code 3 finishes the operation; the count goes down anyway.
    d->m_runningThreads = 1;
    DisableCommandControls(d);
    RunScript(d, {{IVT_EVT_COPY_COMPARE_END, 0}});
    EXPECT_EQ(d->m_runningThreads, 0);
    EXPECT_TRUE(NoneEnabled(d));

    // The view refresh and the duplicate removal only count down.
    d->m_runningThreads = 2;
    RunScript(d, {{IVT_EVT_REFRESH_VIEW_END}, {IVT_EVT_NO_DUPLICATES_END, 4}});
    EXPECT_EQ(d->m_runningThreads, 0);
    EXPECT_TRUE(NoneEnabled(d));

    d->m_runningThreads = 1;
    wxTEST_DIALOG(RunScript(d, {{IVT_EVT_NO_DUPLICATES_END, 0}}),
                  ExpectMessage("After thread error message",
                                "Error - No duplicates After, please report to " + IVTDialog::SupportAddress()));
    EXPECT_EQ(d->m_runningThreads, 1);

    wxTEST_DIALOG(RunScript(d, {{IVT_EVT_HASH_HELPER_END, 0}}),
                  ExpectMessage("HelperRunHash error", "Error HelperRunHashThread, please report the bug"));
    EXPECT_EQ(d->m_runningThreads, 0);
    EXPECT_TRUE(AllEnabled(d));
}

TEST_F(IvtDialogTest, CopyAndCompareEndMarksRowsThatDidNotVerify)
{
    IVTDialog* d = dialog.get();
    const std::vector<std::vector<wxString>> rows = {
        {"/s/ok", "/d/ok", "aa", "Success", "aa", "Ok"},
        {"/s/differs", "/d/differs", "aa", "Success", "bb", "No"},
        {"/s/failed", "/d/failed", "aa", "Failed", "", "No"},
        {"/s/removed", "File removed /d/removed", "aa", "Success", "aa", "Ok"},
        {"/s/lowercase", "/d/lowercase", "aa", "failed", "aa", "no"},
    };
    std::vector<Step> steps;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
    {
        steps.push_back({IVT_EVT_INSERT_ITEM, i, rows[i][0]});
        for (int c = 1; c < 6; ++c)
            steps.push_back({IVT_EVT_SET_COL1_FILE_DST + c - 1, i, rows[i][c]});
    }
    steps.push_back({IVT_EVT_COPY_COMPARE_END, 3});
    d->m_runningThreads = 1;
    RunScript(d, steps);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 5);
    const bool red[] = {false, true, true, true, false};
    for (long row = 0; row < 5; ++row)
        EXPECT_EQ(d->m_listCtrl->GetRowTextColour(row) == *wxRED, red[row]) << row;
}

TEST_F(IvtDialogTest, CompareEndRecordsWhichHashColumnsHoldValues)
{
    IVTDialog* d = dialog.get();
    d->m_runningThreads = 1;
    RunScript(d, {{IVT_EVT_INSERT_ITEM, 0, "/s/a"},
                  {IVT_EVT_SET_COL4_HASH_DESTINATION, 0, "dd"},
                  {IVT_EVT_COMPARE_END}});
    EXPECT_FALSE(d->m_HashSrcHappened);
    EXPECT_TRUE(d->m_HashDstHappened);
    EXPECT_EQ(d->m_runningThreads, 0);
}
