// Choosing source and destination (pickers, Enter in the path fields, the listing
// workers) and the checks of Run, with real folders and files.

#include "ivtrun.h"

#include "korbase/files.h"

#include <wx/filename.h>

using namespace kortest;

namespace
{

const char* const fileForFolderText = "Warning: you wrote a file-path and not a directory path\n(Please note the selected target)";
const char* const folderForFileText = "Warning: you wrote a directory-path and not a file path\n(Please note the selected target)";

} // namespace

// Source picker

TEST_F(IvtDialogTest, SourcePickerSingleFile)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString first = dir.WriteFile("first.mov", "1");
    const wxString second = dir.WriteFile("sub/second.mov", "2");
    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);

    wxString startFolder;
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectFileDialog(first, wxID_OK, &startFolder));
    wxYield();
    EXPECT_EQ(startFolder, TestHome()); // the desktop at first
    EXPECT_EQ(d->m_srcFile, first);
    EXPECT_EQ(d->m_tc1->GetValue(), first);
    EXPECT_EQ(d->m_SrcdefaultPath, dir.Path());
    EXPECT_TRUE(d->m_pathSource.empty()); // hashing lists at Run

    // Cancel: nothing changes, no message.
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectFileDialog("", wxID_CANCEL, &startFolder));
    wxYield();
    EXPECT_EQ(startFolder, dir.Path());
    EXPECT_EQ(d->m_srcFile, first);

    // A copy with another file already chosen cleans first, then takes the file as the source list.
    d->m_combo1->SetSelection(IVT_OP_COPY);
    d->m_listCtrl->InsertRow(0, first);
    d->m_CopyHappened = true;
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectFileDialog(second));
    wxYield();
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_FALSE(d->m_CopyHappened);
    EXPECT_EQ(d->m_tc1->GetValue(), second);
    EXPECT_EQ(d->m_srcFile, second);
    EXPECT_EQ(d->m_pathSource, std::vector<wxString>{second});
    EXPECT_EQ(d->m_srcDir, dir / "sub");
    EXPECT_EQ(d->m_SrcdefaultPath, dir / "sub");

    // The same file again: no clean.
    d->m_listCtrl->InsertRow(0, second);
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectFileDialog(second));
    wxYield();
    EXPECT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(d->m_pathSource, (std::vector<wxString>{second, second}));
}

TEST_F(IvtDialogTest, SourcePickerFolders)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString onlySubfolders = dir.MakeDir("deep");
    dir.WriteFile("deep/inner/file.txt", "x");
    const wxString empty = dir.MakeDir("empty/inner");
    const wxString flat = dir.MakeDir("flat");
    dir.WriteFile("flat/a.txt", "a");

    // Top level only, a folder with files only below: two boxes, the mode switches, the field keeps its text.
    d->m_combo4->SetSelection(IVT_TARGET_FOLDER_ONLY);
    d->m_tc1->ChangeValue("/previous");
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectDirDialog(onlySubfolders),
                  ExpectMessage("Error message",
                                "Error, you should choose a not-empty folder as source.\nDid you mean to use the "
                                "'Include SubFolders' mode which includes the subfolders?\n(You're currently using the "
                                "'Do not include Sub Folders' mode.)"),
                  ExpectMessage("", "Now 'Include SubFolders' will be selected, but you can change this "
                                    "anytime.\nPlease choose again your source."));
    EXPECT_EQ(d->m_combo4->GetSelection(), IVT_TARGET_SUBFOLDERS);
    EXPECT_EQ(d->m_tc1->GetValue(), "/previous");
    EXPECT_EQ(d->m_tmp_SrcDir, onlySubfolders);
    EXPECT_EQ(d->m_SrcdefaultPath, onlySubfolders);

    // With subfolders, the same folder is fine.
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectDirDialog(onlySubfolders));
    EXPECT_EQ(d->m_tc1->GetValue(), onlySubfolders);

    // An empty tree is refused.
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectDirDialog(empty),
                  ExpectMessage("Error message", "Error, you should choose a not-empty folder as source"));
    EXPECT_EQ(d->m_tc1->GetValue(), onlySubfolders);
    EXPECT_EQ(d->m_tmp_SrcDir, empty);
    EXPECT_EQ(d->m_SrcdefaultPath, empty);

    d->m_combo4->SetSelection(IVT_TARGET_FOLDER_ONLY);
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectDirDialog(flat));
    EXPECT_EQ(d->m_tc1->GetValue(), flat);
    EXPECT_EQ(d->m_combo4->GetSelection(), IVT_TARGET_FOLDER_ONLY);

    // Cancel, or a folder that does not exist: nothing.
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectDirDialog("", wxID_CANCEL));
    wxTEST_DIALOG(Click(d->m_buttonSrc), ExpectDirDialog(dir / "missing"));
    EXPECT_EQ(d->m_tmp_SrcDir, flat);
    EXPECT_EQ(d->m_tc1->GetValue(), flat);
}

// Destination picker

TEST_F(IvtDialogTest, DestinationPickerFileForHashingAndComparing)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString file = dir.WriteFile("target.mov", "t");
    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_COMPARE);
    wxTEST_DIALOG(Click(d->m_buttonDst), ExpectFileDialog("", wxID_CANCEL),
                  ExpectMessage("File destination error message", "Error, choose an existing file"));
    wxYield();
    EXPECT_EQ(d->m_dstFile, "");
    wxString startFolder;
    wxTEST_DIALOG(Click(d->m_buttonDst), ExpectFileDialog(file, wxID_OK, &startFolder));
    wxYield();
    EXPECT_EQ(startFolder, TestHome());
    EXPECT_EQ(d->m_dstFile, file);
    EXPECT_EQ(d->m_tc2->GetValue(), file);
    EXPECT_EQ(d->m_dstDefaultPathId, dir.Path());
}

TEST_F(IvtDialogTest, DestinationPickerFolderWarnsOnlyAfterACopy)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString a = dir.MakeDir("a");
    const wxString b = dir.MakeDir("b");

    // Before any copy: taken silently.
    d->m_listCtrl->InsertRow(0, "/s/x");
    wxTEST_DIALOG(Click(d->m_buttonDst), ExpectDirDialog(a));
    EXPECT_EQ(d->m_tmp_DstDir, a);
    EXPECT_EQ(d->m_tc2->GetValue(), a);
    EXPECT_EQ(d->m_dstDefaultPathId, a);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 1);

    // After a copy into it: warned once, copy state and list dropped.
    d->m_CopyStatus = d->m_CopyHappened = true;
    d->m_PathDestination = {a + "/x"};
    wxTEST_DIALOG(Click(d->m_buttonDst), ExpectDirDialog(b),
                  ExpectMessage("Warning message",
                                "Warning, you already have copied the source directory to the destination:\nYou are "
                                "changing the destination folder but the previous directory used before remains "
                                "untouched"));
    EXPECT_FALSE(d->m_CopyStatus);
    EXPECT_FALSE(d->m_CopyHappened);
    EXPECT_TRUE(d->m_PathDestination.empty());
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(d->m_tc2->GetValue(), b);
    wxTEST_DIALOG(Click(d->m_buttonDst), ExpectDirDialog(a));

    // The field still shows the default folder, which does not exist yet: no warning.
    d->m_tc2->ChangeValue(d->m_dstDefaultDir);
    d->m_CopyStatus = true;
    wxTEST_DIALOG(Click(d->m_buttonDst), ExpectDirDialog(b));
    EXPECT_TRUE(d->m_CopyStatus);
    // Cancel: nothing.
    wxTEST_DIALOG(Click(d->m_buttonDst), ExpectDirDialog("", wxID_CANCEL));
    EXPECT_EQ(d->m_tc2->GetValue(), b);

    // A single file copied goes into a folder too.
    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_COPY);
    d->m_CopyStatus = false;
    wxTEST_DIALOG(Click(d->m_buttonDst), ExpectDirDialog(a));
    EXPECT_EQ(d->m_tmp_DstDir, a);
}

// Enter in the path fields

TEST_F(IvtDialogTest, EnterInTheSourceField)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString file = dir.WriteFile("clip.mov", "c");
    const wxString folder = dir.MakeDir("folder");

    d->m_runningThreads = 1;
    Enter(d->m_tc1, dir / "missing"); // ignored while a worker runs
    EXPECT_EQ(d->m_tc1->GetValue(), dir / "missing");
    d->m_runningThreads = 0;

    wxTEST_DIALOG(Enter(d->m_tc1, file), ExpectMessage("Invalid Path Error", fileForFolderText));
    EXPECT_EQ(d->m_tc1->GetValue(), "");
    wxTEST_DIALOG(Enter(d->m_tc1, dir / "missing"),
                  ExpectMessage("Invalid Path Error", "Invalid source path: the directory does not exist"));
    EXPECT_EQ(d->m_tc1->GetValue(), "");
    Enter(d->m_tc1, folder);
    EXPECT_EQ(d->m_tmp_SrcDir, folder);
    EXPECT_EQ(d->m_SrcdefaultPath, folder);
    EXPECT_EQ(d->m_tc1->GetValue(), folder);
    Enter(d->m_tc1, d->m_dstDefaultDir); // not created yet, accepted as it is
    EXPECT_EQ(d->m_tmp_SrcDir, d->m_dstDefaultDir);

    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    wxTEST_DIALOG(Enter(d->m_tc1, folder), ExpectMessage("Invalid Path Error", folderForFileText));
    EXPECT_EQ(d->m_tc1->GetValue(), "");
    wxTEST_DIALOG(Enter(d->m_tc1, dir / "missing.mov"),
                  ExpectMessage("Invalid Path Error", "Invalid source path: the file does not exist"));
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    d->m_listCtrl->InsertRow(0, "old");
    Enter(d->m_tc1, file);
    EXPECT_EQ(d->m_srcFile, file);
    EXPECT_EQ(d->m_SrcdefaultPath, dir.Path());
    EXPECT_EQ(d->m_listCtrl->RowCount(), 1);

    d->m_combo1->SetSelection(IVT_OP_COPY_AND_COMPARE);
    d->m_CopyHappened = true;
    d->m_PathDestination = {"/d/clip.mov"};
    d->m_pathSource = {"/older.mov"};
    Enter(d->m_tc1, file);
    EXPECT_FALSE(d->m_CopyHappened);
    EXPECT_TRUE(d->m_PathDestination.empty());
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(d->m_pathSource, std::vector<wxString>{file});
    EXPECT_EQ(d->m_srcDir, dir.Path());
}

// A host hands the tool a path it was started with (korhost's second start).
TEST_F(IvtDialogTest, SourceHandedOverByTheHost)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString file = dir.WriteFile("clip.mov", "c");
    const wxString folder = dir.MakeDir("folder");

    d->SetSourcePath(file);
    EXPECT_EQ(d->m_combo4->GetSelection(), IVT_TARGET_SINGLE_FILE);
    EXPECT_EQ(d->m_tc1->GetValue(), file);
    EXPECT_EQ(d->m_srcFile, file);

    d->SetSourcePath(folder);
    EXPECT_EQ(d->m_combo4->GetSelection(), IVT_TARGET_SUBFOLDERS);
    EXPECT_EQ(d->m_tc1->GetValue(), folder);
    EXPECT_EQ(d->m_tmp_SrcDir, folder);

    wxTEST_DIALOG(d->SetSourcePath(dir / "missing"),
                  ExpectMessage("Invalid Path Error", "Invalid source path: the directory does not exist"));
    EXPECT_EQ(d->m_tc1->GetValue(), "");
}

TEST_F(IvtDialogTest, EnterInTheDestinationField)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString file = dir.WriteFile("clip.mov", "c");
    const wxString folder = dir.MakeDir("folder");

    wxTEST_DIALOG(Enter(d->m_tc2, file), ExpectMessage("Invalid Path Error", fileForFolderText));
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
    wxTEST_DIALOG(Enter(d->m_tc2, dir / "missing"),
                  ExpectMessage("Invalid Path Error", "Invalid destination path: the directory does not exist"));
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);

    // A new destination folder resets the copy state, the list and the progress text.
    d->m_CopyStatus = d->m_CopyHappened = true;
    d->m_listCtrl->InsertRow(0, "/s/a");
    Enter(d->m_tc2, folder);
    EXPECT_EQ(d->m_tmp_DstDir, folder);
    EXPECT_EQ(d->m_dstDefaultPathId, folder);
    EXPECT_FALSE(d->m_CopyStatus);
    EXPECT_FALSE(d->m_CopyHappened);
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_EQ(Progress(), "Progress: 0%");
    Enter(d->m_tc2, d->m_dstDefaultDir); // the default, not created yet: accepted
    EXPECT_EQ(d->m_tmp_DstDir, d->m_dstDefaultDir);

    d->m_runningThreads = 1;
    Enter(d->m_tc2, file);
    EXPECT_EQ(d->m_tmp_DstDir, d->m_dstDefaultDir);
    d->m_runningThreads = 0;

    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    wxTEST_DIALOG(Enter(d->m_tc2, folder), ExpectMessage("Invalid Path Error", folderForFileText));
    EXPECT_EQ(d->m_tc2->GetValue(), "");
    wxTEST_DIALOG(Enter(d->m_tc2, dir / "missing.mov"),
                  ExpectMessage("Invalid Path Error", "Invalid destination path: the file does not exist"));
    EXPECT_EQ(d->m_tc2->GetValue(), "");
    Enter(d->m_tc2, file);
    EXPECT_EQ(d->m_dstFile, file);
    EXPECT_EQ(d->m_dstDefaultPathId, dir.Path());
}

// Listing workers

TEST_F(IvtDialogTest, SourceListingFillsTheSourceFields)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    dir.WriteFile("a.mov", "a");
    dir.WriteFile("day1/b.mov", "b");
    dir.WriteFile("day1/night/c.mov", "c");

    Enter(d->m_tc1, dir.Path());
    d->m_tc1->ChangeValue("typed but not listed");
    d->SourceChoice();
    EXPECT_EQ(d->m_pathSource, GetAllFiles(dir.Path(), AllFilesFilter(), true));
    EXPECT_EQ(d->m_pathSource.size(), 3u);
    EXPECT_EQ(d->m_srcDir, dir.Path());
    EXPECT_EQ(d->m_tc1->GetValue(), dir.Path()); // the field shows the listed folder
    EXPECT_EQ(d->m_runningThreads, 0);

    d->m_combo4->SetSelection(IVT_TARGET_FOLDER_ONLY);
    d->SourceChoice();
    EXPECT_EQ(d->m_pathSource, std::vector<wxString>{dir / "a.mov"});

    // Hashing the source again clears the source columns of the rows there are.
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    d->m_listCtrl->InsertRow(0, "/old/a");
    d->m_listCtrl->SetCell(0, 1, "/dst/a");
    d->m_listCtrl->SetCell(0, 2, "aaaa");
    d->m_listCtrl->SetCell(0, 5, "Ok");
    d->SourceChoice();
    EXPECT_EQ(Cells(0), (std::vector<wxString>{"", "/dst/a", "", "", "", ""}));
}

TEST_F(IvtDialogTest, SourceListingOfAnEmptyFolderReportsIt)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString empty = dir.MakeDir("empty/inner");
    d->m_pathSource = {"/stale"};
    Enter(d->m_tc1, dir / "empty");
    DisableCommandControls(d);
    d->m_progressText->SetLabelText("something");
    wxTEST_DIALOG(
        d->SourceChoice(),
        ExpectMessage("Empty-Directory. Error message",
                      "Your source folder is empty, please: \n1)try selecting 'Include subfolders' under "
                      "'Target'.\n2)If you manually wrote the path (or copy-pasted it), try pressing Enter on your "
                      "keyboard after adding the path."));
    EXPECT_TRUE(d->m_pathSource.empty());
    EXPECT_EQ(Progress(), "Progress: 0%  ");
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_EQ(d->m_runningThreads, 0);
}

TEST_F(IvtDialogTest, SourceListingOfASingleFile)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString file = dir.WriteFile("clip.mov", "c");
    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, file);
    d->SourceChoice();
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0)[0], file);
    EXPECT_EQ(d->m_listCtrl->GetRowData(0), 0u);
    d->m_listCtrl->SetCell(0, 2, "old hash");
    d->SourceChoice(); // again: row 0 cleared and refilled, no second row
    EXPECT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0), (std::vector<wxString>{file, "", "", "", "", ""}));

    // A single-file copy records the file as the source entry.
    d->m_combo1->SetSelection(IVT_OP_COPY);
    d->SourceChoice();
    EXPECT_EQ(d->m_tmp_SrcDir, file);
}

TEST_F(IvtDialogTest, DestinationListingAddsRowsForExtraDestinationFiles)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    src.WriteFile("a.mov", "a");
    for (const char* name : {"a.mov", "b.mov", "c/d.mov"})
        dst.WriteFile(name, name);

    d->m_combo1->SetSelection(IVT_OP_COMPARE);
    Enter(d->m_tc1, src.Path());
    Enter(d->m_tc2, dst.Path());
    d->SourceChoice();
    d->m_listCtrl->SetRowData(d->m_listCtrl->InsertRow(0, src / "a.mov"), 0); // the source's one row
    d->DestinationChoice();
    EXPECT_EQ(d->m_PathDestination, (std::vector<wxString>{dst / "a.mov", dst / "b.mov", dst / "c/d.mov"}));
    EXPECT_EQ(d->m_dstDir, dst.Path());
    EXPECT_EQ(d->m_tc2->GetValue(), dst.Path());
    ASSERT_EQ(d->m_listCtrl->RowCount(), 3);
    EXPECT_EQ(Cells(1), std::vector<wxString>(6));
    EXPECT_EQ(d->m_listCtrl->GetRowData(2), 200u);

    // Top level only.
    d->m_combo4->SetSelection(IVT_TARGET_FOLDER_ONLY);
    d->DestinationChoice();
    EXPECT_EQ(d->m_PathDestination, (std::vector<wxString>{dst / "a.mov", dst / "b.mov"}));
}

TEST_F(IvtDialogTest, DestinationListingForHashingTheDestination)
{
    IVTDialog* d = dialog.get();
    TempDir dst;
    dst.WriteFile("a.mov", "a");
    dst.WriteFile("b.mov", "b");
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    Enter(d->m_tc2, dst.Path());
    d->DestinationChoice();
    ASSERT_EQ(d->m_listCtrl->RowCount(), 2); // one empty row per destination file

    // Again with the rows there: the destination columns are emptied for the new hashes.
    for (long row = 0; row < 2; ++row)
        for (int c = 0; c < 6; ++c)
            d->m_listCtrl->SetCell(row, c, "x");
    d->DestinationChoice();
    EXPECT_EQ(Cells(1), (std::vector<wxString>{"x", "", "x", "", "", ""}));

    // An empty destination: the field shows the chosen folder.
    TempDir empty;
    Enter(d->m_tc2, empty.Path());
    d->m_tc2->ChangeValue("edited");
    d->DestinationChoice();
    EXPECT_TRUE(d->m_PathDestination.empty());
    EXPECT_EQ(d->m_tc2->GetValue(), empty.Path());
    EXPECT_EQ(d->m_dstDir, empty.Path());
}

// Run

TEST_F(IvtDialogTest, RunDoesNothingWhileAWorkerIsCounted)
{
    IVTDialog* d = dialog.get();
    d->m_runningThreads = 1;
    d->m_progressText->SetLabelText("File 1 of 9");
    Click(d->m_buttonRun);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_EQ(Progress(), "File 1 of 9");
    EXPECT_EQ(d->m_lastOperationSelection, 101);
    EXPECT_EQ(d->m_lastTargetSelection, 100);
}

TEST_F(IvtDialogTest, RunRefusesSingleFileOperationsWithoutTheirFiles)
{
    IVTDialog* d = dialog.get();
    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    const char* missingSource =
        "Missing source file: please choose a file. If you manually typed the path, please press enter inside the "
        "text dialog, otherwise choose a file using the button";
    const char* missingDestination =
        "Missing destination file. If you manually typed the path, please press enter inside the text dialog, "
        "otherwise choose a file using the button";
    for (int operation : {IVT_OP_HASH_SOURCE, IVT_OP_COPY, IVT_OP_COPY_AND_COMPARE})
    {
        d->m_combo1->SetSelection(operation);
        d->m_progressText->SetForegroundColour(wxColour(25, 210, 87));
        wxTEST_DIALOG(Click(d->m_buttonRun), ExpectMessage("Missing src file error message", missingSource));
        EXPECT_TRUE(AllEnabled(d));
        EXPECT_EQ(Progress(), "Progress 0%");
        EXPECT_FALSE(d->m_progressText->UseForegroundColour());
        EXPECT_EQ(d->m_lastOperationSelection, operation);
        EXPECT_EQ(d->m_lastTargetSelection, IVT_TARGET_SINGLE_FILE);
    }
    for (int operation : {IVT_OP_HASH_DESTINATION, IVT_OP_COMPARE})
    {
        d->m_combo1->SetSelection(operation);
        wxTEST_DIALOG(Click(d->m_buttonRun), ExpectMessage("Missing dst file error message", missingDestination));
        EXPECT_TRUE(AllEnabled(d));
    }

    // With the files chosen, the relative view still keeps hashing from starting.
    TempDir dir;
    Enter(d->m_tc1, dir.WriteFile("s.mov", "s"));
    Enter(d->m_tc2, dir.WriteFile("d.mov", "d"));
    d->m_combo2->SetSelection(1);
    for (int operation : {IVT_OP_HASH_SOURCE, IVT_OP_HASH_DESTINATION})
    {
        d->m_combo1->SetSelection(operation);
        wxTEST_DIALOG(Click(d->m_buttonRun),
                      ExpectMessage("Relative Displayed Path Warning",
                                    "Please select the full displayed path before this operation.\nYou can go back to "
                                    "the relative view after it."));
        EXPECT_TRUE(AllEnabled(d));
        EXPECT_EQ(d->m_listCtrl->RowCount(), 0); // nothing listed
    }
}

TEST_F(IvtDialogTest, RunSingleFileListsBeforeTheOperation)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString source = dir.WriteFile("s.mov", "s");
    const wxString destination = dir.WriteFile("d.mov", "d");
    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    Enter(d->m_tc2, destination);
    Click(d->m_buttonRun);
    PumpUntil([d] { return d->m_runningThreads == 0; }); // the hashing that follows
    // An empty row 0 is made for the destination file, which the listing puts in column 1.
    ASSERT_EQ(d->m_listCtrl->RowCount(), 1);
    EXPECT_EQ(Cells(0)[1], destination);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_EQ(d->m_runningThreads, 0);

    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    Enter(d->m_tc1, source);
    d->m_listCtrl->SetCell(0, 5, "No");
    Click(d->m_buttonRun);
    PumpUntil([d] { return d->m_runningThreads == 0; });
    EXPECT_EQ(Cells(0), (std::vector<wxString>{source, destination, CoreutilsHash("md5sum", source), "",
                                               CoreutilsHash("md5sum", destination), ""}));

    // A copy into the default destination creates that folder.
    d->m_combo1->SetSelection(IVT_OP_COPY);
    d->CleanNoButtonDst();
    ASSERT_FALSE(wxDirExists(d->m_dstDefaultDir));
    Click(d->m_buttonRun);
    EXPECT_TRUE(wxDirExists(d->m_dstDefaultDir));
    EXPECT_EQ(d->m_tmp_SrcDir, source);
    EXPECT_EQ(d->m_dstDir, d->m_dstDefaultDir);
    WaitUntilIdle(d);
    EXPECT_TRUE(AllEnabled(d));
    wxFileName::Rmdir(d->m_dstDefaultDir, wxPATH_RMDIR_RECURSIVE);
}

TEST_F(IvtDialogTest, RunRefusesFolderOperationsThatCannotWork)
{
    IVTDialog* d = dialog.get();
    TempDir src, full, empty;
    src.WriteFile("a.mov", "a");
    src.WriteFile("b/c.mov", "c");
    full.WriteFile("old.mov", "o");

    // No source: a message for hashing, silence for the others.
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    wxTEST_DIALOG(Click(d->m_buttonRun),
                  ExpectMessage("Empty source folder",
                                "Warning: you should choose a source directory in order to calculate the hash code"));
    EXPECT_TRUE(AllEnabled(d));
    for (int operation : {IVT_OP_COMPARE, IVT_OP_COPY, IVT_OP_COPY_AND_COMPARE})
    {
        d->m_combo1->SetSelection(operation);
        Click(d->m_buttonRun);
        EXPECT_TRUE(AllEnabled(d));
    }

    Enter(d->m_tc1, src.Path());
    d->m_combo2->SetSelection(1);
    d->m_combo1->SetSelection(IVT_OP_HASH_DESTINATION);
    wxTEST_DIALOG(Click(d->m_buttonRun),
                  ExpectMessage("Relative Displayed Path Warning",
                                "Please select the full displayed path before this operation.\nYou can go back to the "
                                "relative view after it."));
    d->m_combo2->SetSelection(0);

    // A copy into a folder that holds files.
    Enter(d->m_tc2, full.Path());
    d->m_combo1->SetSelection(IVT_OP_COPY);
    wxTEST_DIALOG(Click(d->m_buttonRun), ExpectMessage("Not empty destination directory - error message",
                                                       "Copying to a non-empty destination directory is not allowed."));
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_EQ(d->m_pathSource.size(), 2u); // listed before the refusal
    EXPECT_EQ(d->m_PathDestination, std::vector<wxString>{full / "old.mov"});

    // Copy and compare after a copy into the same folder.
    d->m_CopyStatus = true;
    d->m_combo1->SetSelection(IVT_OP_COPY_AND_COMPARE);
    wxTEST_DIALOG(Click(d->m_buttonRun),
                  ExpectMessage("Double copy - error message",
                                "Copy has been already done: press the Clean button if you want to copy files again."));
    EXPECT_TRUE(AllEnabled(d));

    // The copy went into `full`, but another, empty destination is chosen: a second copy is refused,
    // and the empty rows the listing left go.
    d->m_combo1->SetSelection(IVT_OP_COPY);
    Enter(d->m_tc2, empty.Path());
    d->m_CopyStatus = true;
    d->m_dstDir = full.Path();
    d->m_listCtrl->InsertRow(0, "");
    wxTEST_DIALOG(Click(d->m_buttonRun),
                  ExpectMessage("Double copy - error message",
                                "Copy has been already done: press the Clean button if you want to copy files again."));
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_TRUE(AllEnabled(d));

    // No operation selected.
    d->m_combo1->SetSelection(wxNOT_FOUND);
    d->m_listCtrl->InsertRow(0, "");
    wxTEST_DIALOG(Click(d->m_buttonRun),
                  ExpectMessage("No option selected - error message", "Error, no option selected: \nPlease choose an option"));
    EXPECT_EQ(d->m_listCtrl->RowCount(), 0);
    EXPECT_TRUE(AllEnabled(d));
}

TEST_F(IvtDialogTest, RunResetsAStaleCopyAndCreatesTheDefaultDestination)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    src.WriteFile("a.mov", "a");
    const wxString copied = dst.WriteFile("a.mov", "a");
    Enter(d->m_tc1, src.Path());
    Enter(d->m_tc2, dst.Path());
    d->m_combo1->SetSelection(IVT_OP_COPY);

    // A copy was made; then the destination was emptied from outside.
    d->m_CopyStatus = true;
    d->m_dstDir = dst.Path();
    d->m_PathDestination = {copied};
    wxRemoveFile(copied);
    Click(d->m_buttonRun); // no refusal: the copy runs again
    EXPECT_EQ(d->m_pathSource, std::vector<wxString>{src / "a.mov"});
    WaitUntilIdle(d);
    EXPECT_TRUE(AllEnabled(d));
    EXPECT_TRUE(d->m_CopyStatus);
    EXPECT_EQ(d->m_PathDestination, std::vector<wxString>{copied});
    EXPECT_TRUE(wxFileExists(copied));

    // Copy into the default destination: the folder is made on the way.
    d->CleanNoButtonDst();
    ASSERT_FALSE(wxDirExists(d->m_dstDefaultDir));
    Click(d->m_buttonRun);
    EXPECT_TRUE(wxDirExists(d->m_dstDefaultDir));
    EXPECT_EQ(d->m_tc2->GetValue(), d->m_dstDefaultDir);
    WaitUntilIdle(d);
    wxFileName::Rmdir(d->m_dstDefaultDir, wxPATH_RMDIR_RECURSIVE);
}
