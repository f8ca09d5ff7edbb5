// Entries a listing cannot take (a FIFO, a folder it cannot enter) are never lost in
// silence: every operation shows each as a row that does not read "Ok" or "Success",
// and names them all in its end message; the log keeps their rows.

#include "ivtfixture.h"

#include "korverify/verifylog.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace kortest;

TEST_F(IvtDialogTest, SkippedEntriesAreRowsAndAreNamedAtTheEnd)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst, elsewhere;
    src.WriteFile("a.txt", "a");
    src.WriteFile("sub/b.txt", "b");
    ASSERT_EQ(mkfifo((src / "pipe").fn_str(), 0600), 0);
    // Root enters any folder: a link to a folder is the folder not looked into then.
    wxString folderReason = "Cannot open the folder: Permission denied";
    if (geteuid() == 0)
    {
        ASSERT_EQ(symlink(elsewhere.Path().fn_str(), (src / "zfolder").fn_str()), 0);
        folderReason = "Symbolic link to a folder, not followed";
    }
    else
    {
        src.WriteFile("zfolder/c.txt", "c");
        ASSERT_EQ(chmod((src / "zfolder").fn_str(), 0), 0);
    }
    const std::vector<std::pair<wxString, wxString>> skipped{{src / "pipe", "Skipped: a FIFO (named pipe)"},
                                                             {src / "zfolder", folderReason}};
    Choose(d->m_combo3, HASH_MD5);

    // The caption of the end message; Copy Status and Hash Comparison of a skipped entry's row.
    const struct { int operation; const char *caption, *status, *comparison; } cases[] = {
        {IVT_OP_COPY_AND_COMPARE, "Copy error message", "Failed", "No"},
        {IVT_OP_COMPARE, "Entries not looked at", "Not possible", "No"},
        {IVT_OP_HASH_SOURCE, "Entries not looked at", "Not possible", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.caption);
        Click(d->m_buttonClean);
        wxTEST_DIALOG(RunToEnd(src.Path(), dst.Path(), c.operation),
                      ExpectMessageBox(c.caption).Containing(skipped[0].first).Containing(skipped[1].first));

        ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
        for (long row = 0; row < 2; ++row)
        {
            EXPECT_EQ(Cells(row)[0], d->m_pathSource[row]);
            EXPECT_EQ(Cells(row)[2].utf8_string(), CoreutilsHash("md5sum", d->m_pathSource[row]));
        }
        for (long row = 2; row < 4; ++row)
        {
            const auto& [path, reason] = skipped[row - 2];
            EXPECT_EQ(Cells(row), (std::vector<wxString>{path, "", reason, c.status, "", c.comparison}));
            EXPECT_EQ(d->m_listCtrl->GetRowTextColour(row), *wxRED);
        }
        // The log keeps the skipped rows, with their reasons.
        wxArrayString logs;
        wxDir::GetAllFiles(GetUserDesktopPath(), &logs, "log*.tsv", wxDIR_FILES);
        ASSERT_EQ(logs.size(), 1u);
        const std::vector<wxString> lines = ReadLines(logs[0]);
        TakeDesktopLogs();
        for (const auto& [path, reason] : skipped)
            EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                    [&](const wxString& l) { return l.Contains(path) && l.Contains(reason); }),
                      1);
    }
    // The copy went ahead for the files, and for them only.
    EXPECT_EQ(Shell("cd " + ShellQuote(dst.Path()) + " && find . | sort | tr '\\n' ' '"),
              ". ./a.txt ./sub ./sub/b.txt ");
}
