// The copy-and-verify dialog: its controls and fields, Stop, closing, the choice
// handlers, and Clean.

#include "ivtfixture.h"

#include "korgui/verify/datetimetext.h"

#include "korbase/datetime.h"
#include "korbase/files.h"

#include <wx/button.h>
#include <wx/filename.h>

#include <regex>

using namespace kortest;

namespace
{

std::vector<wxString> Items(wxChoice* choice)
{
    std::vector<wxString> items;
    for (unsigned i = 0; i < choice->GetCount(); ++i)
        items.push_back(choice->GetString(i));
    return items;
}

wxString Desktop()
{
    return GetUserDesktopPath();
}

// Worker that runs until Stop reaches it, then ends the way a stopped hashing
// worker does: zero progress, a clean request, its end event.
class StoppableWorker : public MyThread
{
public:
    explicit StoppableWorker(IVTDialog* dialog) : MyThread(dialog, wxTHREAD_JOINABLE) {}
    std::atomic<bool> running{false};

protected:
    ExitCode Entry() override
    {
        running = true;
        while (!StopRequested())
            wxMilliSleep(1);
        Post(IVT_EVT_PROGRESS, 0, "Progress: 0.00%");
        Post(IVT_EVT_CLEAN, 1);
        Post(IVT_EVT_HASH_SOURCE_END);
        return nullptr;
    }
};

// Puts the dialog into the state an operation leaves behind, for the cleans to undo.
void FillState(IVTDialog* d)
{
    d->m_tc1->ChangeValue("/some/source");
    d->m_pathSource = {"/some/source/a", "/some/source/b"};
    d->m_srcDir = "/some/source";
    d->m_tmp_SrcDir = "/some/source";
    d->m_srcFile = "/some/source/a";
    d->m_PathDestination = {"/some/destination/a"};
    d->m_dstDir = "/some/destination";
    d->m_tmp_DstDir = "/some/destination";
    d->m_tc2->ChangeValue("/some/destination");
    d->m_tmp_SrcName = {"a"};
    d->m_tmp_DstName = {"a"};
    d->m_fullPath = false;
    d->m_combo2->SetSelection(1);
    d->m_CopyStatus = d->m_CopyHappened = d->m_HashSrcHappened = d->m_HashDstHappened = true;
    d->m_dstFile = "/some/destination/a";
    d->m_progressText->SetForegroundColour(wxColour(25, 210, 87));
    d->m_progressText->SetLabelText("File 2 of 2 (Progress: 100.00 %) ");
    for (WorkerSlot* slot : {&d->m_copyThread, &d->m_hashSrcThread, &d->m_hashDstThread, &d->m_compareThread,
                             &d->m_copyCompareThread})
        slot->alive = true;
    d->m_listCtrl->InsertRow(0, "/some/source/a");
    d->m_listCtrl->InsertRow(1, "/some/source/b");
    stopPressed = true;
}

} // namespace

TEST_F(IvtDialogTest, NewDialogShowsItsControlsAndDefaults)
{
    IVTDialog* d = dialog.get();
    EXPECT_EQ(d->GetSize(), wxSize(1320, 370));
    EXPECT_EQ(d->GetMinSize(), wxSize(185, 185));
    EXPECT_EQ(d->GetTitle(), "Copy and Verify");
    for (long flag : {wxCAPTION, wxSYSTEM_MENU, wxCLOSE_BOX, wxMINIMIZE_BOX, wxMAXIMIZE_BOX, wxRESIZE_BORDER,
                      wxSTAY_ON_TOP})
        EXPECT_TRUE(d->HasFlag(flag)) << flag;

    EXPECT_EQ(d->m_tc1->GetValue(), "");
    EXPECT_TRUE(d->m_tc1->HasFlag(wxTE_PROCESS_ENTER));
    EXPECT_TRUE(d->m_tc2->HasFlag(wxTE_PROCESS_ENTER));
    EXPECT_EQ(d->m_tc1->GetBackgroundColour(), *wxWHITE);
    EXPECT_EQ(d->m_buttonSrc->GetLabel(), "Select a Drive, Folder or File");
    EXPECT_EQ(d->m_buttonDst->GetLabel(), "Select a Drive, Folder or File");
    EXPECT_EQ(Items(d->m_combo1), (std::vector<wxString>{"Hash Source", "Hash Destination",
                                                          "Compare Source and Destination", "Copy Source to Destination",
                                                          "Copy Source to Destination and Compare"}));
    EXPECT_EQ(d->m_combo1->GetSelection(), 4);
    EXPECT_EQ(Items(d->m_combo4),
              (std::vector<wxString>{"Include Subfolders", "Do Not Include SubFolders", "Single File"}));
    EXPECT_EQ(d->m_combo4->GetSelection(), 0);
    EXPECT_EQ(Items(d->m_combo3), (std::vector<wxString>{"MD5", "SHA1", "SHA256", "SHA384", "SHA512"}));
    EXPECT_EQ(d->m_combo3->GetSelection(), 0);
    EXPECT_EQ(Items(d->m_combo2), (std::vector<wxString>{" Full", " Relative"}));
    EXPECT_EQ(d->m_combo2->GetSelection(), 0);
    EXPECT_EQ(d->m_buttonRun->GetLabel(), "Run");
    EXPECT_EQ(d->m_buttonStop->GetLabel(), "Stop");
    EXPECT_EQ(d->m_buttonNoDuplicates->GetLabel(), "Remove duplicates in the destination");
    EXPECT_EQ(d->m_buttonClean->GetLabel(), "Clean");
    EXPECT_EQ(Progress(), "Progress:");
    EXPECT_FALSE(d->m_progressText->UseForegroundColour());
    for (wxWindow* control : CommandControls(d))
        EXPECT_TRUE(control->IsEnabled());

    ResultListCtrl* list = d->m_listCtrl;
    EXPECT_TRUE(list->HasFlag(wxLC_REPORT));
    EXPECT_TRUE(list->HasFlag(wxLC_VIRTUAL));
    EXPECT_EQ(list->GetBackgroundColour(), wxColour(200, 200, 200));
    ASSERT_EQ(list->GetColumnCount(), 6);
    const std::pair<const char*, int> columns[] = {{"File Source Path", 430}, {"File Destination Path", 430},
                                                   {"Source Hash", 220},      {"Copy Status", 100},
                                                   {"Destination Hash", 220}, {"Hash Comparison", 120}};
    for (int c = 0; c < 6; ++c)
    {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH | wxLIST_MASK_FORMAT);
        ASSERT_TRUE(list->GetColumn(c, column));
        EXPECT_EQ(column.GetText(), columns[c].first);
        EXPECT_EQ(list->GetColumnWidth(c), columns[c].second);
        EXPECT_EQ(column.GetAlign(), wxLIST_FORMAT_LEFT);
    }
    EXPECT_EQ(list->RowCount(), 0);
    EXPECT_EQ(list->GetItemCount(), 0);

    // The default destination: desktop, separator, "import-", the date-time of construction.
    EXPECT_TRUE(std::regex_match(d->m_startTime.ToStdString(), std::regex("[0-9]{14}")))
        << d->m_startTime.utf8_string();
    const wxString expected = Desktop() + "/import-" + d->m_startTime;
    EXPECT_EQ(Desktop(), TestHome()); // no XDG desktop folder in the test home
    EXPECT_EQ(d->m_dstDefaultDir, expected);
    EXPECT_EQ(d->m_tc2->GetValue(), expected);
    EXPECT_EQ(d->m_dstDir, expected);
    EXPECT_EQ(d->m_tmp_DstDir, expected);
    EXPECT_TRUE(d->m_PathDestination.empty());
    EXPECT_FALSE(wxDirExists(expected)); // created only when a copy goes there

    EXPECT_FALSE(d->m_singleFileCompareAfterCopy);
    EXPECT_FALSE(d->m_operationRunning);
    for (const WorkerSlot* slot : {&d->m_copyThread, &d->m_hashSrcThread, &d->m_hashDstThread, &d->m_compareThread,
                                   &d->m_copyCompareThread})
        EXPECT_FALSE(slot->alive);
    EXPECT_EQ(d->m_runningThreads, 0);
    EXPECT_TRUE(d->m_tmp_SrcName.empty());
    EXPECT_TRUE(d->m_tmp_DstName.empty());
    EXPECT_TRUE(d->m_fullPath);
    EXPECT_EQ(d->m_lastTargetSelection, 100);
    EXPECT_EQ(d->m_lastOperationSelection, 101);
    EXPECT_EQ(d->m_SrcdefaultPath, Desktop());
    EXPECT_EQ(d->m_dstDefaultPathId, Desktop());
    EXPECT_EQ(d->m_srcFile, "");
    EXPECT_TRUE(d->m_pathSource.empty());
    EXPECT_EQ(d->m_srcDir, "");
    EXPECT_EQ(d->m_tmp_SrcDir, "");
    EXPECT_EQ(d->m_dstFile, "");
    EXPECT_FALSE(d->m_CopyStatus);
    EXPECT_FALSE(d->m_CopyHappened);
    EXPECT_FALSE(d->m_HashSrcHappened);
    EXPECT_FALSE(d->m_HashDstHappened);
    EXPECT_EQ(d->m_txtFailed, "Failed");
    EXPECT_EQ(d->m_txtSuccess, "Success");
    EXPECT_EQ(d->m_txtNotNeeded, "Not needed");
    EXPECT_EQ(d->m_txtNotPossible, "Not possible");
    EXPECT_EQ(d->m_txtNo, "No");
    EXPECT_EQ(d->m_txtOk, "Ok");
    EXPECT_EQ(d->m_txtFileRemoved, "File removed ");
    const AppVersion version;
    EXPECT_EQ(d->m_hostRevision, version.GetLoomRevision());
    EXPECT_EQ(d->m_platform, version.GetPlatform());
}

TEST(IvtDialog, ConstructorListsAnExistingDefaultDestination)
{
    UnexpectedModalGuard guard;
    // The default folder is named after the second of construction: prepare the
    // next few seconds' folders, each with its own file.
    const wxDateTime now = wxDateTime::Now();
    std::vector<wxString> folders;
    for (int s = 0; s < 5; ++s)
    {
        const wxString stamp = (now + wxTimeSpan::Seconds(s)).Format("%Y%m%d%H%M%S");
        const wxString folder = Desktop() + "/import-" + stamp;
        wxFileName::Mkdir(folder + "/nested", wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        Shell("echo x > " + ShellQuote(folder + "/file-" + stamp) + "; echo y > " +
              ShellQuote(folder + "/nested/deep"));
        folders.push_back(folder);
    }
    auto* d = new IVTDialog(nullptr, AppVersion(), "t");
    // Not recursive: the nested file is not listed.
    EXPECT_EQ(d->m_PathDestination, std::vector<wxString>{d->m_dstDefaultDir + "/file-" + d->m_startTime});
    d->Destroy();
    PumpFor(std::chrono::milliseconds(20));
    for (const wxString& f : folders)
        wxFileName::Rmdir(f, wxPATH_RMDIR_RECURSIVE);
}

TEST_F(IvtDialogTest, StopWithNothingRunningChangesNothing)
{
    dialog->m_progressText->SetLabelText("File 3 of 9");
    auto otherFlag = std::make_shared<std::atomic<bool>>(false);
    dialog->m_copyThread.stop = otherFlag;
    dialog->m_copyThread.alive = true;
    Click(dialog->m_buttonStop);
    EXPECT_EQ(Progress(), "File 3 of 9");
    EXPECT_FALSE(stopPressed);
    EXPECT_FALSE(*otherFlag);
    EXPECT_TRUE(dialog->m_copyThread.alive);
}

TEST_F(IvtDialogTest, StopReachesTheAliveWorkersOnly)
{
    IVTDialog* d = dialog.get();
    auto worker = std::make_unique<StoppableWorker>(d);
    // What a starter does.
    d->m_operationRunning = true;
    d->m_hashSrcThread.Start(worker->GetStopFlag());
    ++d->m_runningThreads;
    DisableCommandControls(d);
    auto finishedWorkerFlag = std::make_shared<std::atomic<bool>>(false);
    d->m_copyThread.stop = finishedWorkerFlag; // an earlier worker, no longer alive
    d->m_tc1->ChangeValue("/chosen/source");
    d->m_pathSource = {"/chosen/source/a"};
    ASSERT_EQ(worker->Run(), wxTHREAD_NO_ERROR);
    PumpUntil([&] { return worker->running.load(); });

    Click(d->m_buttonStop);
    EXPECT_TRUE(stopPressed);
    EXPECT_EQ(Progress(), "Please wait for the current operation to end...");
    EXPECT_FALSE(d->m_hashSrcThread.alive);
    EXPECT_TRUE(*d->m_hashSrcThread.stop);
    EXPECT_FALSE(*finishedWorkerFlag);
    EXPECT_EQ(d->m_runningThreads, 1); // Stop neither waits nor counts

    PumpUntil([&] { return d->m_runningThreads == 0; });
    worker->Wait();
    // The clean the worker asked for kept the source, since the operation still ran.
    EXPECT_EQ(d->m_tc1->GetValue(), "/chosen/source");
    EXPECT_EQ(d->m_pathSource, std::vector<wxString>{"/chosen/source/a"});
    EXPECT_FALSE(stopPressed);
    EXPECT_FALSE(d->m_operationRunning);
    for (wxWindow* control : CommandControls(d))
        EXPECT_TRUE(control->IsEnabled());
    EXPECT_TRUE(d->m_buttonStop->IsEnabled());
}

TEST_F(IvtDialogTest, ClosingIsRefusedWhileAWorkerIsCounted)
{
    dialog->m_runningThreads = 1;
    wxTEST_DIALOG(EXPECT_FALSE(dialog->Close()),
                  ExpectMessage("", "The process is still running...please press the Stop Button\n and then close "
                                    "the window"));
    PumpFor(std::chrono::milliseconds(50));
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->IsShown());

    // A close that cannot be vetoed does not destroy a dialog whose workers still report to it.
    wxCloseEvent forced(wxEVT_CLOSE_WINDOW, dialog->GetId());
    forced.SetCanVeto(false);
    forced.SetEventObject(dialog.get());
    dialog->ProcessWindowEvent(forced);
    PumpFor(std::chrono::milliseconds(50));
    ASSERT_TRUE(dialog);

    // The worker ends; now closing works and the dialog destroys itself.
    RunScript(dialog.get(), {{IVT_EVT_REFRESH_VIEW_END}});
    EXPECT_EQ(dialog->m_runningThreads, 0);
    EXPECT_TRUE(dialog->Close());
    PumpUntil([this] { return !dialog; }, std::chrono::seconds(10), "dialog destroyed");
}

TEST_F(IvtDialogTest, TargetSingleFileCleansOnlyWhenTheLastRunUsedAnotherTarget)
{
    IVTDialog* d = dialog.get();
    FillState(d);
    Choose(d->m_combo4, IVT_TARGET_FOLDER_ONLY);
    EXPECT_EQ(d->m_tc1->GetValue(), "/some/source"); // not single file: nothing
    Choose(d->m_combo4, IVT_TARGET_SINGLE_FILE);      // no Run yet (100): cleans
    EXPECT_EQ(d->m_tc1->GetValue(), "");
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_TRUE(d->m_pathSource.empty());

    FillState(d);
    d->m_lastTargetSelection = IVT_TARGET_SINGLE_FILE; // the last Run used a single file
    Choose(d->m_combo4, IVT_TARGET_SUBFOLDERS);
    Choose(d->m_combo4, IVT_TARGET_SINGLE_FILE);
    EXPECT_EQ(d->m_tc1->GetValue(), "/some/source");
    EXPECT_EQ(d->m_listCtrl->RowCount(), 2);

    d->m_lastTargetSelection = IVT_TARGET_SUBFOLDERS;
    Choose(d->m_combo4, IVT_TARGET_SINGLE_FILE);
    EXPECT_EQ(d->m_tc1->GetValue(), "");
}

TEST_F(IvtDialogTest, OperationChoiceCleansTheDestinationWhenSingleFileChangesKind)
{
    IVTDialog* d = dialog.get();
    // Folder targets: never.
    FillState(d);
    Choose(d->m_combo1, IVT_OP_HASH_SOURCE);
    EXPECT_EQ(d->m_tc2->GetValue(), "/some/destination");

    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    // Before the first Run (101) a copy operation always cleans the destination side.
    Choose(d->m_combo1, IVT_OP_COPY);
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
    EXPECT_EQ(d->m_dstFile, "");
    EXPECT_EQ(d->m_tc1->GetValue(), "/some/source"); // the source side stays
    EXPECT_EQ(d->m_tmp_SrcName, std::vector<wxString>{"a"});

    // Last Run: Hash Source.
    d->m_lastOperationSelection = IVT_OP_HASH_SOURCE;
    FillState(d);
    Choose(d->m_combo1, IVT_OP_HASH_DESTINATION);
    Choose(d->m_combo1, IVT_OP_COMPARE);
    Choose(d->m_combo1, IVT_OP_HASH_SOURCE);
    EXPECT_EQ(d->m_tc2->GetValue(), "/some/destination");
    EXPECT_EQ(d->m_listCtrl->RowCount(), 2);
    Choose(d->m_combo1, IVT_OP_COPY_AND_COMPARE);
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);

    // Last Run: a copy.
    d->m_lastOperationSelection = IVT_OP_COPY;
    FillState(d);
    Choose(d->m_combo1, IVT_OP_COPY);
    Choose(d->m_combo1, IVT_OP_COPY_AND_COMPARE);
    EXPECT_EQ(d->m_tc2->GetValue(), "/some/destination");
    Choose(d->m_combo1, IVT_OP_HASH_DESTINATION);
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
}

TEST_F(IvtDialogTest, CleanResetsEveryFieldOfTheTable)
{
    IVTDialog* d = dialog.get();
    const wxColour defaultColour = d->m_progressText->GetForegroundColour();
    FillState(d);
    d->m_combo1->SetSelection(1);
    d->m_combo3->SetSelection(3);
    d->m_combo4->SetSelection(1);
    d->m_lastTargetSelection = 1;
    d->m_lastOperationSelection = 0;
    d->m_SrcdefaultPath = "/pick/src";
    d->m_dstDefaultPathId = "/pick/dst";
    d->m_singleFileCompareAfterCopy = true;
    d->m_runningThreads = 0;
    int choiceEvents = 0;
    d->m_combo2->Bind(wxEVT_CHOICE, [&](wxCommandEvent&) { ++choiceEvents; });

    const wxString before = DateTimeNowAsString();
    Click(d->m_buttonClean);
    const wxString after = DateTimeNowAsString();

    EXPECT_GE(d->m_startTime, before);
    EXPECT_LE(d->m_startTime, after);
    const wxString date = DateTimeWithSeparators(d->m_startTime, '-', ' ', ' ');
    EXPECT_TRUE(std::regex_match(date.ToStdString(), std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2} [0-9]{2} [0-9]{2}")));
    EXPECT_EQ(d->m_dstDefaultDir, Desktop() + "/import-" + date);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_TRUE(d->m_pathSource.empty());
    EXPECT_EQ(d->m_srcDir, "");
    EXPECT_EQ(d->m_tmp_SrcDir, "");
    EXPECT_EQ(d->m_srcFile, "");
    EXPECT_EQ(d->m_tc1->GetValue(), "");
    EXPECT_FALSE(d->m_operationRunning);
    EXPECT_TRUE(d->m_PathDestination.empty());
    EXPECT_EQ(d->m_dstDir, d->m_dstDefaultDir);
    EXPECT_EQ(d->m_tmp_DstDir, d->m_dstDefaultDir);
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
    EXPECT_TRUE(d->m_tmp_SrcName.empty());
    EXPECT_TRUE(d->m_tmp_DstName.empty());
    EXPECT_TRUE(d->m_fullPath);
    EXPECT_EQ(d->m_combo2->GetSelection(), 0);
    EXPECT_EQ(choiceEvents, 0);
    EXPECT_FALSE(d->m_CopyStatus);
    EXPECT_FALSE(d->m_CopyHappened);
    EXPECT_FALSE(d->m_HashSrcHappened);
    EXPECT_FALSE(d->m_HashDstHappened);
    EXPECT_EQ(d->m_dstFile, "");
    EXPECT_EQ(Progress(), "Progress 0%");
    EXPECT_FALSE(d->m_progressText->UseForegroundColour());
    EXPECT_EQ(d->m_progressText->GetForegroundColour(), defaultColour);
    for (const WorkerSlot* slot : {&d->m_copyThread, &d->m_hashSrcThread, &d->m_hashDstThread, &d->m_compareThread,
                                   &d->m_copyCompareThread})
        EXPECT_FALSE(slot->alive);
    EXPECT_FALSE(stopPressed);
    // Untouched.
    EXPECT_EQ(d->m_combo1->GetSelection(), 1);
    EXPECT_EQ(d->m_combo3->GetSelection(), 3);
    EXPECT_EQ(d->m_combo4->GetSelection(), 1);
    EXPECT_EQ(d->m_lastTargetSelection, 1);
    EXPECT_EQ(d->m_lastOperationSelection, 0);
    EXPECT_EQ(d->m_SrcdefaultPath, "/pick/src");
    EXPECT_EQ(d->m_dstDefaultPathId, "/pick/dst");
    EXPECT_TRUE(d->m_singleFileCompareAfterCopy);
    EXPECT_FALSE(wxDirExists(d->m_dstDefaultDir)); // no folder is created
}

TEST_F(IvtDialogTest, CleanListsTheNewDefaultFolderAndIsIgnoredWhileAWorkerRuns)
{
    IVTDialog* d = dialog.get();
    const wxDateTime now = wxDateTime::Now();
    std::vector<wxString> folders;
    for (int s = 0; s < 5; ++s)
    {
        const wxString stamp = (now + wxTimeSpan::Seconds(s)).Format("%Y-%m-%d %H %M %S");
        folders.push_back(Desktop() + "/import-" + stamp);
        wxFileName::Mkdir(folders.back(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        Shell("echo x > " + ShellQuote(folders.back() + "/" + stamp + ".txt"));
    }

    FillState(d);
    d->m_runningThreads = 1;
    Click(d->m_buttonClean);
    EXPECT_EQ(d->m_tc1->GetValue(), "/some/source"); // ignored while counted
    EXPECT_EQ(d->m_listCtrl->RowCount(), 2);

    d->m_runningThreads = 0;
    Click(d->m_buttonClean);
    const wxString date = DateTimeWithSeparators(d->m_startTime, '-', ' ', ' ');
    EXPECT_EQ(d->m_PathDestination, std::vector<wxString>{d->m_dstDefaultDir + "/" + date + ".txt"});
    for (const wxString& f : folders)
        wxFileName::Rmdir(f, wxPATH_RMDIR_RECURSIVE);
}

TEST_F(IvtDialogTest, CleanKeepsTheSourceWhileAnOperationRuns)
{
    IVTDialog* d = dialog.get();
    FillState(d);
    d->m_operationRunning = true;
    d->CleanNoButton();
    EXPECT_EQ(d->m_tc1->GetValue(), "/some/source");
    EXPECT_EQ(d->m_pathSource, (std::vector<wxString>{"/some/source/a", "/some/source/b"}));
    EXPECT_EQ(d->m_srcDir, "/some/source");
    EXPECT_EQ(d->m_tmp_SrcDir, "/some/source");
    EXPECT_EQ(d->m_srcFile, "/some/source/a");
    EXPECT_FALSE(d->m_operationRunning);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
    EXPECT_TRUE(d->m_tmp_SrcName.empty());
}

TEST_F(IvtDialogTest, CleanNoButtonDstClearsOnlyTheDestinationSide)
{
    IVTDialog* d = dialog.get();
    FillState(d);
    d->m_operationRunning = true;
    d->CleanNoButtonDst();
    EXPECT_TRUE(d->m_operationRunning);
    EXPECT_EQ(d->m_tc1->GetValue(), "/some/source");
    EXPECT_EQ(d->m_pathSource.size(), 2u);
    EXPECT_EQ(d->m_srcFile, "/some/source/a");
    EXPECT_EQ(d->m_tmp_SrcName, std::vector<wxString>{"a"});
    EXPECT_EQ(d->m_tmp_DstName, std::vector<wxString>{"a"});
    EXPECT_EQ(d->m_dstDefaultDir, Desktop() + "/import-" + DateTimeWithSeparators(d->m_startTime, '-', ' ', ' '));
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
    EXPECT_EQ(d->m_dstDir, d->m_dstDefaultDir);
    EXPECT_EQ(d->m_tmp_DstDir, d->m_dstDefaultDir);
    EXPECT_TRUE(d->m_PathDestination.empty());
    EXPECT_EQ(d->m_dstFile, "");
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_TRUE(d->m_fullPath);
    EXPECT_EQ(d->m_combo2->GetSelection(), 0);
    EXPECT_FALSE(d->m_CopyStatus || d->m_CopyHappened || d->m_HashSrcHappened || d->m_HashDstHappened);
    EXPECT_EQ(Progress(), "Progress 0%");
    EXPECT_FALSE(d->m_progressText->UseForegroundColour());
    EXPECT_FALSE(d->m_copyThread.alive || d->m_hashSrcThread.alive || d->m_copyCompareThread.alive);
    EXPECT_FALSE(stopPressed);
}

TEST_F(IvtDialogTest, RemoveEmptyRowsKeepsRowsWithAnyCell)
{
    ResultListCtrl* list = dialog->m_listCtrl;
    for (int i = 0; i < 5; ++i)
        list->InsertRow(i, "");
    list->SetCell(1, 3, "Success");
    list->SetCell(3, 5, "No");
    list->SetRowTextColour(3, *wxRED);
    dialog->RemoveEmptyRows();
    ASSERT_EQ(list->RowCount(), 2);
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->GetCell(0, 3), "Success");
    EXPECT_EQ(list->GetCell(1, 5), "No");
    EXPECT_EQ(list->GetRowTextColour(1), *wxRED);
    EXPECT_EQ(list->GetRowTextColour(0), wxNullColour);
}
