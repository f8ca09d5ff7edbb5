// Full and relative path views of the result list, and the column sort.

#include "ivtfixture.h"

#include "korgui/verify/recordedpaths.h"

#include "korbase/files.h"

#include <wx/dir.h>
#include <wx/log.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <map>

using namespace kortest;

namespace
{

const wxColour red(255, 0, 0);

// What the desktop logs written since the last call say (UTF-8 through iconv); they
// are removed, so the next call sees only newer ones.
std::string TakeLogs()
{
    wxArrayString logs;
    wxDir::GetAllFiles(GetUserDesktopPath(), &logs, "log*.tsv", wxDIR_FILES);
    std::string text;
    for (const wxString& log : logs)
    {
        text += Shell("iconv -f UTF-16LE -t UTF-8 " + ShellQuote(log));
        wxRemoveFile(log);
    }
    return text;
}

// Captures the wx log messages of the test.
class LogCapture : public wxLog
{
public:
    LogCapture() : m_previous(wxLog::SetActiveTarget(this)) {}
    ~LogCapture() override { wxLog::SetActiveTarget(m_previous); }

    std::vector<std::pair<wxLogLevel, wxString>> messages;

protected:
    void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override
    {
        messages.emplace_back(level, text);
    }

private:
    wxLog* m_previous;
};

class IvtViewTest : public IvtDialogTest
{
protected:
    // The rows a finished copy of `relatives` from `src` to `dst` leaves, sent the way
    // the copy worker sends them.
    void CopiedRows(const wxString& src, const wxString& dst, const std::vector<wxString>& relatives)
    {
        std::vector<Step> steps = {{IVT_EVT_SRC_DIR, 0, src, true}, {IVT_EVT_DST_DIR, 0, dst, true}};
        for (int i = 0; i < static_cast<int>(relatives.size()); ++i)
        {
            const wxString hash = wxString::Format("%032x", 0xabc00 + i);
            steps.push_back({IVT_EVT_INSERT_ITEM, i, src + "/" + relatives[i]});
            steps.push_back({IVT_EVT_SET_COL1_FILE_DST, i, dst + "/" + relatives[i]});
            steps.push_back({IVT_EVT_SET_COL2_HASH_SOURCE, i, hash});
            steps.push_back({IVT_EVT_SET_COL3_COPY_STATUS, i, "Success"});
            steps.push_back({IVT_EVT_SET_COL4_HASH_DESTINATION, i, hash});
            steps.push_back({IVT_EVT_SET_COL5_HASH_COMPARISON, i, "Ok"});
        }
        steps.push_back({IVT_EVT_COPY_HAPPENED, IVT_FLAG_TRUE, wxString(), true});
        RunScript(dialog.get(), steps);
    }

    // Picks a view and waits for its worker to end.
    void View(int selection)
    {
        Choose(dialog->m_combo2, selection);
        PumpUntil([this] { return dialog->m_runningThreads == 0; }, std::chrono::seconds(30), "refresh ended");
    }

    std::vector<std::vector<wxString>> Table() const
    {
        std::vector<std::vector<wxString>> table;
        for (long row = 0; row < dialog->m_listCtrl->RowCount(); ++row)
            table.push_back(Cells(row));
        return table;
    }

    std::vector<wxString> Column(int column) const
    {
        std::vector<wxString> texts;
        for (long row = 0; row < dialog->m_listCtrl->RowCount(); ++row)
            texts.push_back(dialog->m_listCtrl->GetCell(row, column));
        return texts;
    }

    void ClickHeading(int column)
    {
        wxListEvent click(wxEVT_LIST_COL_CLICK, dialog->m_listCtrl->GetId());
        click.SetEventObject(dialog->m_listCtrl);
        click.m_col = column;
        dialog->m_listCtrl->ProcessWindowEvent(click);
    }
};

} // namespace

TEST_F(IvtViewTest, RelativeViewOfANestedTreeAndBackRestoresEveryCell)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const std::vector<wxString> relatives = {"a.txt", "sub/b.txt", "sub/deeper/c.txt", "z.txt"};
    for (const wxString& r : relatives)
    {
        dir.WriteFile("src/" + r, r.utf8_string());
        dir.WriteFile("dst/" + r, r.utf8_string());
    }
    CopiedRows(dir / "src", dir / "dst", relatives);
    d->m_listCtrl->SetRowTextColour(3, *wxRED);
    const auto full = Table();
    const std::vector<wxString> fullSources = Column(0), fullDestinations = Column(1);

    View(1);
    EXPECT_FALSE(d->m_fullPath);
    EXPECT_EQ(d->m_combo2->GetSelection(), 1);
    EXPECT_EQ(Column(0), relatives);
    EXPECT_EQ(Column(1), relatives);
    for (long row = 0; row < 4; ++row)
        for (int c = 2; c < 6; ++c)
            EXPECT_EQ(d->m_listCtrl->GetCell(row, c), full[row][c]) << row << "," << c;
    EXPECT_EQ(d->m_listCtrl->GetRowTextColour(3), red);
    EXPECT_EQ(d->m_tmp_SrcName, fullSources);
    EXPECT_EQ(d->m_tmp_DstName, fullDestinations);
    // The end writes a log of the view as shown.
    const std::string relativeLog = TakeLogs();
    EXPECT_NE(relativeLog.find("sub/deeper/c.txt\tsub/deeper/c.txt\t"), std::string::npos) << relativeLog;
    EXPECT_EQ(relativeLog.find((dir / "src").utf8_string()), std::string::npos);

    View(0);
    EXPECT_TRUE(d->m_fullPath);
    EXPECT_EQ(Table(), full);
    EXPECT_NE(TakeLogs().find((dir / "dst/sub/deeper/c.txt").utf8_string()), std::string::npos);

    // A second round trip records again and restores from the latest recording.
    View(1);
    EXPECT_EQ(d->m_tmp_SrcName.size(), 8u);
    View(0);
    EXPECT_EQ(Table(), full);
}

TEST_F(IvtViewTest, EveryCellOfAFolderModeColumnGoesThroughTheRelativeView)
{
    IVTDialog* d = dialog.get();
    // A hashed destination: column 1 has paths, column 0 none at all, one row has no path.
    RunScript(d, {{IVT_EVT_DST_DIR, 0, "/media/backup", true},
                  {IVT_EVT_INSERT_ITEM, 0, ""},
                  {IVT_EVT_SET_COL1_FILE_DST, 0, "/media/backup/day1/clip.mov"},
                  {IVT_EVT_SET_COL4_HASH_DESTINATION, 0, "aa"},
                  {IVT_EVT_INSERT_ITEM, 1, ""},
                  {IVT_EVT_SET_COL4_HASH_DESTINATION, 1, "bb"},
                  {IVT_EVT_INSERT_ITEM, 2, ""},
                  {IVT_EVT_SET_COL1_FILE_DST, 2, "/media/other/x.mov"}});
    View(1);
    EXPECT_EQ(Column(1), (std::vector<wxString>{"day1/clip.mov", "", "../other/x.mov"}));
    EXPECT_EQ(Column(0), (std::vector<wxString>{"", "", ""}));
    EXPECT_TRUE(d->m_tmp_SrcName.empty());
    EXPECT_EQ(d->m_tmp_DstName, (std::vector<wxString>{"/media/backup/day1/clip.mov", "", "/media/other/x.mov"}));
    View(0);
    EXPECT_EQ(Column(1), (std::vector<wxString>{"/media/backup/day1/clip.mov", "", "/media/other/x.mov"}));
    TakeLogs();
}

TEST_F(IvtViewTest, SingleFileIsShownRelativeToItsOwnFolder)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const wxString source = dir.WriteFile("cards/A001/clip.mov", "frames");
    const wxString destination = dir.WriteFile("backup/day1/copy.mov", "frames");
    d->m_combo4->SetSelection(IVT_TARGET_SINGLE_FILE);
    d->m_combo1->SetSelection(IVT_OP_COMPARE);
    d->m_srcFile = source;
    d->m_dstFile = destination;
    d->m_srcDir = dir / "cards"; // a folder of an earlier run: not what the single file is shown against
    RunScript(d, {{IVT_EVT_INSERT_ITEM, 0, source},
                  {IVT_EVT_SET_COL1_FILE_DST, 0, destination},
                  {IVT_EVT_SET_COL2_HASH_SOURCE, 0, "abc"},
                  {IVT_EVT_SET_COL4_HASH_DESTINATION, 0, "abc"},
                  {IVT_EVT_SET_COL5_HASH_COMPARISON, 0, "Ok"}});

    View(1);
    EXPECT_EQ(Cells(0), (std::vector<wxString>{"clip.mov", "copy.mov", "abc", "", "abc", "Ok"}));
    EXPECT_TRUE(d->m_tmp_SrcName.empty());
    EXPECT_TRUE(d->m_tmp_DstName.empty());
    View(0);
    EXPECT_EQ(Cells(0), (std::vector<wxString>{source, destination, "abc", "", "abc", "Ok"}));

    // Hash Source of a single file: only the source side exists.
    d->m_listCtrl->SetCell(0, 1, "");
    d->m_combo1->SetSelection(IVT_OP_HASH_SOURCE);
    View(1);
    EXPECT_EQ(Cells(0)[0], "clip.mov");
    EXPECT_EQ(Cells(0)[1], "");
    View(0);
    EXPECT_EQ(Cells(0)[0], source);

    // With a copy operation the folder rules apply, even for a single file.
    d->m_combo1->SetSelection(IVT_OP_COPY);
    View(1);
    EXPECT_EQ(Cells(0)[0], "A001/clip.mov");
    EXPECT_EQ(d->m_tmp_SrcName, std::vector<wxString>{source});
    View(0);
    EXPECT_EQ(Cells(0)[0], source);
    TakeLogs();
}

TEST_F(IvtViewTest, ViewAlreadySetAndNothingToShowAreReported)
{
    IVTDialog* d = dialog.get();
    const char* fullFirst = "Please calculate the hash with the full view before changing it to relative.\nThe table "
                            "must not be empty. Choose a source and/or a destination if you haven't done it yet.";

    // Empty list: 987, the choice goes back to " Full", no log.
    wxTEST_DIALOG(View(1), ExpectMessage("Message", fullFirst));
    EXPECT_EQ(d->m_combo2->GetSelection(), 0);
    EXPECT_TRUE(d->m_fullPath);
    EXPECT_EQ(d->m_runningThreads, 0);
    EXPECT_EQ(TakeLogs(), "");

    // Rows without any path: 987 too, and the end still writes their log.
    RunScript(d, {{IVT_EVT_INSERT_ITEM, 0, ""}, {IVT_EVT_SET_COL2_HASH_SOURCE, 0, "0123abcd"}});
    wxTEST_DIALOG(View(1), ExpectMessage("Message", fullFirst));
    EXPECT_EQ(d->m_combo2->GetSelection(), 0);
    EXPECT_NE(TakeLogs().find("0123abcd"), std::string::npos);

    // " Full" over the full view: 13107, a log all the same.
    RunScript(d, {{IVT_EVT_SET_COL0_TEXT, 0, "/src/a.txt"}, {IVT_EVT_SRC_DIR, 0, "/src", true}});
    wxTEST_DIALOG(View(0), ExpectMessage("Message", "You have already set this view"));
    EXPECT_TRUE(d->m_fullPath);
    EXPECT_EQ(d->m_listCtrl->GetCell(0, 0), "/src/a.txt");
    EXPECT_NE(TakeLogs().find("/src/a.txt"), std::string::npos);

    // " Relative" twice: the second is 13107 and changes nothing.
    View(1);
    EXPECT_EQ(d->m_listCtrl->GetCell(0, 0), "a.txt");
    wxTEST_DIALOG(View(1), ExpectMessage("Message", "You have already set this view"));
    EXPECT_EQ(d->m_listCtrl->GetCell(0, 0), "a.txt");
    EXPECT_EQ(d->m_tmp_SrcName.size(), 1u);
    View(0);
    EXPECT_EQ(d->m_listCtrl->GetCell(0, 0), "/src/a.txt");
    TakeLogs();

    // Refused while a worker is counted: the choice shows the pick, nothing else moves.
    d->m_runningThreads = 1;
    Choose(d->m_combo2, 1);
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(d->m_combo2->GetSelection(), 1);
    EXPECT_TRUE(d->m_fullPath);
    EXPECT_EQ(d->m_listCtrl->GetCell(0, 0), "/src/a.txt");
    EXPECT_EQ(d->m_runningThreads, 1);
    EXPECT_EQ(TakeLogs(), "");
    // Then " Full" over what is still the full view: 13107 and a log.
    d->m_runningThreads = 0;
    wxTEST_DIALOG(View(0), ExpectMessage("Message", "You have already set this view"));
    EXPECT_NE(TakeLogs(), "");
}

TEST_F(IvtViewTest, SortOrdersByCodeUnitsAndRowsKeepColourAndData)
{
    IVTDialog* d = dialog.get();
    // Texts per column chosen so that every column orders the rows differently.
    const std::vector<std::vector<wxString>> rows = {
        {"/s/b", "/d/9", "b1", "Success", "e0", "Ok"},  {"/s/A", "/d/a", "A2", "Failed", "E0", "No"},
        {"/s/0", "/d/Z", "0z", "Success", "10", ""},    {"/s/a", "/d/B", "a0", "", "F1", "Ok"},
        {"/s/Z", "/d/0", "Z9", "Not possible", "f", "Only in Source"},
    };
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
    {
        d->m_listCtrl->SetRowData(d->m_listCtrl->InsertRow(i, rows[i][0]), static_cast<wxUIntPtr>(i) * 100);
        for (int c = 1; c < 6; ++c)
            d->m_listCtrl->SetCell(i, c, rows[i][c]);
    }
    d->m_listCtrl->SetRowTextColour(1, *wxRED);
    d->m_listCtrl->SetRowTextColour(4, *wxRED);

    LogCapture log;
    for (int column = 0; column < 6; ++column)
    {
        SCOPED_TRACE(column);
        for (int click = 0; click < 2; ++click) // again: the same ascending order
        {
            log.messages.clear();
            ClickHeading(column);
            ASSERT_EQ(log.messages.size(), 1u);
            EXPECT_EQ(log.messages[0].first, wxLOG_Debug);
            EXPECT_EQ(log.messages[0].second, wxString::Format("column = %d", column));

            std::vector<wxString> expected;
            for (const auto& row : rows)
                expected.push_back(row[column]);
            std::stable_sort(expected.begin(), expected.end(),
                             [](const wxString& a, const wxString& b) { return a.Cmp(b) < 0; });
            EXPECT_EQ(Column(column), expected);
            for (long row = 0; row < d->m_listCtrl->RowCount(); ++row)
            {
                const std::size_t original = d->m_listCtrl->GetRowData(row) / 100;
                EXPECT_EQ(Cells(row), rows[original]);
                EXPECT_EQ(d->m_listCtrl->GetRowTextColour(row), original == 1 || original == 4 ? red : wxNullColour);
            }
        }
    }
    // Source Hash: digits, then upper case, then lower case.
    ClickHeading(2);
    EXPECT_EQ(Column(2), (std::vector<wxString>{"0z", "A2", "Z9", "a0", "b1"}));

    // Not on a column, or while a worker runs: nothing moves, nothing is logged.
    log.messages.clear();
    ClickHeading(-1);
    d->m_runningThreads = 1;
    ClickHeading(0);
    d->m_runningThreads = 0;
    EXPECT_EQ(Column(2), (std::vector<wxString>{"0z", "A2", "Z9", "a0", "b1"}));
    EXPECT_TRUE(log.messages.empty());
}

TEST_F(IvtViewTest, ClickOnARealHeadingSortsByThatColumn)
{
    IVTDialog* d = dialog.get();
    const std::vector<wxString> hashes = {"c0", "B1", "a2", "91"};
    for (int i = 0; i < 4; ++i)
    {
        d->m_listCtrl->SetRowData(d->m_listCtrl->InsertRow(i, wxString::Format("/s/%d", i)), i * 100u);
        d->m_listCtrl->SetCell(i, 2, hashes[i]);
    }
    d->Raise();
    PumpFor(std::chrono::milliseconds(200));
    // The middle of the "Source Hash" heading, on screen.
    const int x = d->m_listCtrl->GetColumnWidth(0) + d->m_listCtrl->GetColumnWidth(1) + 60;
    wxUIActionSimulator mouse;
    mouse.MouseMove(d->m_listCtrl->ClientToScreen(wxPoint(x, 8)));
    PumpFor(std::chrono::milliseconds(100));
    mouse.MouseClick();
    PumpUntil([&] { return d->m_listCtrl->GetCell(0, 2) == "91"; }, std::chrono::seconds(10), "sorted by click");
    EXPECT_EQ(Column(2), (std::vector<wxString>{"91", "B1", "a2", "c0"}));
    EXPECT_EQ(Column(0), (std::vector<wxString>{"/s/3", "/s/1", "/s/2", "/s/0"}));
}

TEST_F(IvtViewTest, RowsSortedInTheRelativeViewGetTheirOwnFullPathsBack)
{
    IVTDialog* d = dialog.get();
    TempDir dir;
    const std::vector<wxString> relatives = {"c/3.txt", "a/1.txt", "b/2.txt"};
    CopiedRows(dir / "src", dir / "dst", relatives);
    // Sorted once in the full view: the next recording must not be the stale one.
    View(1);
    View(0);
    ClickHeading(0);
    EXPECT_EQ(Column(0)[0], dir / "src/a/1.txt");
    View(1);
    ClickHeading(2); // by hash: back to the copy order
    EXPECT_EQ(Column(0), relatives);
    View(0);
    for (long row = 0; row < 3; ++row)
    {
        EXPECT_EQ(d->m_listCtrl->GetCell(row, 0), dir / "src/" + relatives[row]);
        EXPECT_EQ(d->m_listCtrl->GetCell(row, 1), dir / "dst/" + relatives[row]);
    }
    TakeLogs();
}

TEST(RecordedPaths, LatestRecordingFollowsTheRowsAndFallsBackToTheFolder)
{
    const std::vector<wxString> cells = {"x", "y"};
    // Two recordings: the later one counts.
    EXPECT_EQ(RestoredFullPaths({"/old/x", "/old/y", "/new/y", "/new/x"}, cells, "/f"),
              (std::vector<wxString>{"/new/y", "/new/x"}));
    // Nothing recorded for these rows: joined to the folder, empty cells stay empty.
    EXPECT_EQ(RestoredFullPaths({}, {"a/b.txt", "", "../up/c.txt"}, "/base/dir"),
              (std::vector<wxString>{"/base/dir/a/b.txt", "", "/base/up/c.txt"}));

    std::vector<wxString> recorded = {"/stale", "/p0", "/p1", "/p2"};
    ReorderLatestRecording(recorded, {0, 100, 200}, {200, 0, 100});
    EXPECT_EQ(recorded, (std::vector<wxString>{"/stale", "/p2", "/p0", "/p1"}));
    // Equal item data keep their order.
    recorded = {"/a", "/b", "/c"};
    ReorderLatestRecording(recorded, {0, 0, 100}, {100, 0, 0});
    EXPECT_EQ(recorded, (std::vector<wxString>{"/c", "/a", "/b"}));
    // Not the same rows, or too short a recording: left alone.
    ReorderLatestRecording(recorded, {0, 100, 200}, {0, 100, 300});
    EXPECT_EQ(recorded, (std::vector<wxString>{"/c", "/a", "/b"}));
    ReorderLatestRecording(recorded, {0, 100, 200, 300}, {300, 200, 100, 0});
    EXPECT_EQ(recorded, (std::vector<wxString>{"/c", "/a", "/b"}));
}
