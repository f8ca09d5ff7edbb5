// Duplicate removal in the destination, on real files after the state a copy leaves.

#include "ivtfixture.h"

#include <wx/utils.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

using namespace kortest;

namespace
{

const wxColour red(255, 0, 0);
const char* removedTwo = "Removed 2 files from the destination folder";
const char* noDuplicatesCaption = "Duplicate file message";
const char* noDuplicatesText = "Warning, you have not duplicates: \nNo item will be deleted";

// The closing message; while it is shown the removal must still be counted and the
// busy cursor up, since the end event follows only its dismissal.
class ExpectClosingMessage : public ExpectMessage
{
public:
    ExpectClosingMessage(IVTDialog* dialog, const wxString& caption, const wxString& message)
        : ExpectMessage(caption, message), m_dialog(dialog)
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        EXPECT_EQ(m_dialog->m_runningThreads, 1);
        EXPECT_TRUE(wxIsBusy());
        return ExpectMessage::OnInvoked(dlg);
    }

private:
    IVTDialog* m_dialog;
};

class IvtDuplicatesTest : public IvtDialogTest
{
protected:
    // Destination files with these contents (an empty content: no file), copied from
    // a source and hashed: the rows a finished copy-and-compare leaves.
    std::vector<wxString> CopiedFiles(const std::vector<std::pair<wxString, std::string>>& files)
    {
        std::vector<wxString> paths;
        std::vector<Step> steps = {{IVT_EVT_DST_DIR, 0, m_dir / "dst", true}};
        for (int i = 0; i < static_cast<int>(files.size()); ++i)
        {
            const wxString source = m_dir.WriteFile("src/" + files[i].first, files[i].second);
            const wxString destination = m_dir.WriteFile("dst/" + files[i].first, files[i].second);
            const wxString hash = CoreutilsHash("md5sum", destination);
            steps.push_back({IVT_EVT_INSERT_ITEM, i, source});
            steps.push_back({IVT_EVT_SET_COL1_FILE_DST, i, destination});
            steps.push_back({IVT_EVT_SET_COL2_HASH_SOURCE, i, hash});
            steps.push_back({IVT_EVT_SET_COL3_COPY_STATUS, i, "Success"});
            steps.push_back({IVT_EVT_SET_COL4_HASH_DESTINATION, i, hash});
            steps.push_back({IVT_EVT_SET_COL5_HASH_COMPARISON, i, "Ok"});
            paths.push_back(destination);
        }
        steps.push_back({IVT_EVT_COPY_STATUS, IVT_FLAG_TRUE, wxString(), true});
        steps.push_back({IVT_EVT_COPY_HAPPENED, IVT_FLAG_TRUE, wxString(), true});
        RunScript(dialog.get(), steps);
        return paths;
    }

    // Presses the button and waits until the removal has ended.
    void RemoveDuplicates()
    {
        Click(dialog->m_buttonNoDuplicates);
        PumpUntil([this] { return dialog->m_runningThreads == 0; }, std::chrono::seconds(30), "removal ended");
    }

    // The files left under dst/, sorted, as find lists them.
    std::string DestinationFiles() const
    {
        return Shell("cd " + ShellQuote(m_dir / "dst") + " && find . -type f -o -type l | sort | tr '\\n' ' '");
    }

    TempDir m_dir;
};

} // namespace

TEST_F(IvtDuplicatesTest, FirstRowOfEachGroupKeepsItsFile)
{
    IVTDialog* d = dialog.get();
    const auto paths = CopiedFiles({{"a.mov", "same"}, {"sub/b.mov", "same"}, {"sub/deeper/c.mov", "same"},
                                    {"d.mov", "other"}});
    const wxString hash = CoreutilsHash("md5sum", paths[0]);
    const auto row0 = Cells(0), row3 = Cells(3);

    wxTEST_DIALOG(RemoveDuplicates(), ExpectClosingMessage(d, "", removedTwo));
    EXPECT_FALSE(wxIsBusy());
    EXPECT_EQ(DestinationFiles(), "./a.mov ./d.mov ");
    EXPECT_EQ(ReadFileBytes(paths[0]), "same");
    EXPECT_EQ(Shell("find " + ShellQuote(m_dir / "src") + " -type f | wc -l"), "4"); // the source is never touched

    for (long row : {1L, 2L})
    {
        SCOPED_TRACE(row);
        EXPECT_EQ(Cells(row), (std::vector<wxString>{d->m_listCtrl->GetCell(row, 0), "File removed " + paths[row],
                                                     hash, "Not possible", hash, ""}));
        EXPECT_EQ(d->m_listCtrl->GetRowTextColour(row), red);
    }
    EXPECT_EQ(Cells(0), row0);
    EXPECT_EQ(Cells(3), row3);
    EXPECT_EQ(d->m_listCtrl->GetRowTextColour(0), wxNullColour);
    EXPECT_EQ(d->m_listCtrl->GetRowTextColour(3), wxNullColour);
    EXPECT_EQ(Progress(), "Duplicates removed");
    EXPECT_EQ(d->m_listCtrl->RowCount(), 4);

    // Again: the removed files are gone, so nothing more is found.
    wxTEST_DIALOG(RemoveDuplicates(), ExpectMessage(noDuplicatesCaption, noDuplicatesText));
    EXPECT_EQ(DestinationFiles(), "./a.mov ./d.mov ");
}

TEST_F(IvtDuplicatesTest, OnlyIdenticalHashTextsAreDuplicates)
{
    IVTDialog* d = dialog.get();
    const auto paths = CopiedFiles({{"a.mov", "one"}, {"b.mov", "two"}, {"c.mov", "three"}, {"d.mov", "four"}});
    // Letter case differs: not the same hash text. Rows without a hash: never duplicates.
    d->m_listCtrl->SetCell(1, 4, d->m_listCtrl->GetCell(0, 4).Upper());
    d->m_listCtrl->SetCell(2, 4, "");
    d->m_listCtrl->SetCell(3, 4, "");
    wxTEST_DIALOG(RemoveDuplicates(), ExpectClosingMessage(d, noDuplicatesCaption, noDuplicatesText));
    EXPECT_EQ(DestinationFiles(), "./a.mov ./b.mov ./c.mov ./d.mov ");
    for (long row = 0; row < 4; ++row)
        EXPECT_EQ(d->m_listCtrl->GetRowTextColour(row), wxNullColour);
    EXPECT_EQ(Progress(), "Duplicates removed");
}

TEST_F(IvtDuplicatesTest, FileAlreadyGoneIsSkippedAndNotCounted)
{
    IVTDialog* d = dialog.get();
    const auto paths = CopiedFiles({{"a.mov", "same"}, {"b.mov", "same"}, {"c.mov", "same"}});
    ASSERT_TRUE(wxRemoveFile(paths[1]));
    const auto row1 = Cells(1);
    wxTEST_DIALOG(RemoveDuplicates(), ExpectMessage("", "Removed 1 files from the destination folder"));
    EXPECT_EQ(DestinationFiles(), "./a.mov ");
    EXPECT_EQ(Cells(1), row1);
    EXPECT_EQ(d->m_listCtrl->GetRowTextColour(1), wxNullColour);
    EXPECT_EQ(d->m_listCtrl->GetCell(2, 1), "File removed " + paths[2]);
}

TEST_F(IvtDuplicatesTest, LinkPlantedInPlaceOfACopyIsRemovedNotFollowed)
{
    const auto paths = CopiedFiles({{"a.mov", "same"}, {"b.mov", "same"}});
    const wxString precious = m_dir.WriteFile("elsewhere/precious.mov", "same");
    ASSERT_TRUE(wxRemoveFile(paths[1]));
    ASSERT_EQ(symlink(precious.fn_str(), paths[1].fn_str()), 0);
    wxTEST_DIALOG(RemoveDuplicates(), ExpectMessage("", "Removed 1 files from the destination folder"));
    EXPECT_EQ(DestinationFiles(), "./a.mov ");
    EXPECT_EQ(ReadFileBytes(precious), "same");
}

TEST_F(IvtDuplicatesTest, FileThatCannotBeRemovedSaysWhy)
{
    IVTDialog* d = dialog.get();
    const auto paths = CopiedFiles({{"a.mov", "same"}, {"locked/b.mov", "same"}, {"c.mov", "same"}});
    const wxString folder = m_dir / "dst/locked";
    const bool root = geteuid() == 0;
    // Immutable for root, read-only for anyone else.
    if (root)
        ASSERT_EQ(Shell("chattr +i -- " + ShellQuote(folder) + " && echo ok"), "ok");
    else
        ASSERT_EQ(chmod(folder.fn_str(), 0555), 0);
    wxTEST_DIALOG(RemoveDuplicates(),
                  ExpectMessage("", "Removed 1 files from the destination folder\n1 duplicate files could not be "
                                    "removed: their rows are red and say why."));
    if (root)
        Shell("chattr -i -- " + ShellQuote(folder));
    else
        chmod(folder.fn_str(), 0755);
    EXPECT_EQ(DestinationFiles(), "./a.mov ./locked/b.mov ");
    const wxString reason = root ? "Operation not permitted" : "Permission denied";
    const wxString hash = d->m_listCtrl->GetCell(0, 4);
    EXPECT_EQ(Cells(1), (std::vector<wxString>{m_dir / "src/locked/b.mov", "Not removed (" + reason + "): " + paths[1],
                                               hash, "Success", hash, "Ok"}));
    EXPECT_EQ(d->m_listCtrl->GetRowTextColour(1), red);
    EXPECT_EQ(d->m_listCtrl->GetCell(2, 1), "File removed " + paths[2]);
}

TEST_F(IvtDuplicatesTest, RefusedWithoutACopyWhileRunningAndInTheRelativeView)
{
    IVTDialog* d = dialog.get();
    const char* errorCaption = "Error message duplicates";
    const char* errorText = "Error: you can use this function only if the destination folder\nyou want to remove the "
                            "duplicates from is a directory copied from a source.\nSource files should remain "
                            "untouched!";
    // Empty list: nothing at all (the guard fails on any box).
    d->m_CopyHappened = true;
    Click(d->m_buttonNoDuplicates);

    const auto paths = CopiedFiles({{"a.mov", "same"}, {"b.mov", "same"}});
    const std::string files = DestinationFiles();
    d->m_CopyHappened = false;
    wxTEST_DIALOG(Click(d->m_buttonNoDuplicates), ExpectMessage(errorCaption, errorText));
    d->m_CopyHappened = true;
    d->m_runningThreads = 1;
    wxTEST_DIALOG(Click(d->m_buttonNoDuplicates), ExpectMessage(errorCaption, errorText));
    d->m_runningThreads = 0;

    const char* viewCaption = "Warning view message";
    const char* viewText = "Warning: you should select the full-path view before";
    d->m_combo2->SetSelection(1);
    wxTEST_DIALOG(Click(d->m_buttonNoDuplicates), ExpectMessage(viewCaption, viewText));
    d->m_combo2->SetSelection(0);
    d->m_fullPath = false;
    wxTEST_DIALOG(Click(d->m_buttonNoDuplicates), ExpectMessage(viewCaption, viewText));
    d->m_fullPath = true;

    PumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(d->m_runningThreads, 0);
    EXPECT_EQ(DestinationFiles(), files);
    EXPECT_EQ(d->m_listCtrl->GetRowTextColour(1), wxNullColour);
}

TEST_F(IvtDuplicatesTest, ProgressGoesRowByRowThenSaysDone)
{
    IVTDialog* d = dialog.get();
    // The percent text of each progress event, "done" for the last one, which ends it.
    std::vector<wxString> steps;
    d->Bind(wxEVT_TEXT,
            [&](wxCommandEvent& event)
            {
                d->ProgressBarUpdateDuplicates(event);
                steps.push_back(event.GetInt() == 100 ? wxString("done") : event.GetString());
            },
            IVT_EVT_PROGRESS_DUPLICATES);

    CopiedFiles({{"a.mov", "1"}, {"b.mov", "1"}, {"c.mov", "3"}, {"d.mov", "4"}});
    wxTEST_DIALOG(RemoveDuplicates(), ExpectMessage("", "Removed 1 files from the destination folder"));
    EXPECT_EQ(steps, (std::vector<wxString>{"25.00 ", "50.00 ", "75.00 ", "done"}));
    EXPECT_EQ(Progress(), "Duplicates removed");

    steps.clear();
    d->m_listCtrl->DeleteRow(3);
    wxTEST_DIALOG(RemoveDuplicates(), ExpectMessage(noDuplicatesCaption, noDuplicatesText));
    EXPECT_EQ(steps, (std::vector<wxString>{"33.00 ", "66.00 ", "done"}));
    EXPECT_EQ(Progress(), "Duplicates removed");
}
