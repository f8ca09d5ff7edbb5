// Duplicate removal in the destination after a real copy and compare.

#include "ivtfixture.h"

using namespace kortest;

TEST_F(IvtDialogTest, DuplicateRemovalKeepsTheFirstFileOfEachGroup)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    for (const char* name : {"a.mov", "sub/b.mov", "sub/deeper/c.mov"})
        src.WriteFile(name, "same");
    src.WriteFile("d.mov", "other");
    RunToEnd(src.Path(), dst.Path(), IVT_OP_COPY_AND_COMPARE);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
    // The first row of the group keeps its file.
    long first = 0;
    while (ReadFileBytes(Cells(first)[IVT_COL_DESTINATION_PATH]) != "same")
        ++first;
    const wxString keptCopy = Cells(first)[IVT_COL_DESTINATION_PATH];

    // The closing message comes from the worker, before its end.
    wxTEST_DIALOG({ Click(d->m_buttonNoDuplicates); WaitUntilIdle(d); },
                  ExpectMessageBox().Text("Removed 2 files from the destination folder"));
    EXPECT_EQ(Shell("find " + ShellQuote(dst.Path()) + " -type f | sort | tr '\\n' ' '"),
              Shell("ls " + ShellQuote(dst / "d.mov") + " " + ShellQuote(keptCopy) + " | sort | tr '\\n' ' '"));
    EXPECT_EQ(Shell("find " + ShellQuote(src.Path()) + " -type f | wc -l"), "4"); // the source is never touched
    for (long row = 0; row < 4; ++row)
    {
        const bool removed = Cells(row)[IVT_COL_DESTINATION_PATH].StartsWith("File removed ");
        EXPECT_EQ(RowIsRed(row), removed) << row;
        EXPECT_EQ(removed, row != first && ReadFileBytes(Cells(row)[IVT_COL_SOURCE_PATH]) == "same");
    }

    // Again: nothing more to remove.
    wxTEST_DIALOG({ Click(d->m_buttonNoDuplicates); WaitUntilIdle(d); },
                  ExpectMessageBox("Duplicate file message")
                      .Text("Warning, you have not duplicates: \nNo item will be deleted"));
    EXPECT_EQ(Shell("find " + ShellQuote(dst.Path()) + " -type f | wc -l"), "2");
}
