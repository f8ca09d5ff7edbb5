// Hashing and comparing from the Run button on real trees, every hash checked with
// coreutils.

#include "ivtfixture.h"


#include <map>

using namespace kortest;

namespace
{

const char* const DIGEST_TOOLS[] = {"md5sum", "sha1sum", "sha256sum", "sha384sum", "sha512sum"};

// A file that exists and lists as a regular file but cannot be read, even by root:
// a link to the reading process's own memory, whose first page is never mapped.
void WriteUnreadableFile(const TempDir& dir, const wxString& relative)
{
    Shell("ln -s /proc/self/mem " + ShellQuote(dir / relative));
}

} // namespace

TEST_F(IvtDialogTest, HashSourceOfAFolderMatchesCoreutilsForEveryAlgorithm)
{
    IVTDialog* d = dialog.get();
    TempDir src;
    src.WriteFile("a.mov", "first clip");
    src.WriteFile("empty.txt", "");
    src.WriteFile("day 1/\xC3\xA9t\xC3\xA9.mov", std::string(300000, 'x') + "tail");
    src.WriteFile("day 1/deeper/b.wav", "\x01\x02\x03");

    for (int hashType = 0; hashType < 5; ++hashType)
    {
        SCOPED_TRACE(DIGEST_TOOLS[hashType]);
        Choose(d->m_combo3, hashType);
        RunToEnd(src.Path(), wxString(), IVT_OP_HASH_SOURCE);

        ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
        for (long row = 0; row < 4; ++row)
        {
            const auto cells = Cells(row);
            EXPECT_EQ(cells[IVT_COL_SOURCE_PATH], d->m_pathSource[row]);
            EXPECT_EQ(cells[IVT_COL_SOURCE_HASH].utf8_string(), CoreutilsHash(DIGEST_TOOLS[hashType], cells[0]));
        }
        EXPECT_EQ(TakeDesktopLogs().size(), 1u);
        EXPECT_TRUE(AllEnabled(d));
    }
}

TEST_F(IvtDialogTest, CompareListsOneSidedFilesAndMarksDifferencesRed)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    for (const TempDir* tree : {&src, &dst})
        tree->WriteFile("same.mov", "same");
    src.WriteFile("changed.mov", "0123456789");
    dst.WriteFile("changed.mov", "0123456788"); // one byte differs
    src.WriteFile("sub/A.txt", "case");         // differs from sub/a.txt only in letter case
    dst.WriteFile("sub/a.txt", "case");
    RunToEnd(src.Path(), dst.Path(), IVT_OP_COMPARE);

    // Source rows first, then the destination files without a partner.
    ASSERT_EQ(d->m_listCtrl->RowCount(), 4);
    std::map<wxString, long> rowOf;
    for (long row = 0; row < 4; ++row)
        rowOf[Cells(row)[IVT_COL_SOURCE_PATH].empty() ? Cells(row)[IVT_COL_DESTINATION_PATH]
                                                      : Cells(row)[IVT_COL_SOURCE_PATH]] = row;
    EXPECT_EQ(rowOf.at(dst / "sub/a.txt"), 3);
    const auto md5 = [](const wxString& path) { return wxString(CoreutilsHash("md5sum", path)); };
    const struct
    {
        wxString path;
        std::vector<wxString> cells;
        bool red;
    } rows[] = {
        {src / "same.mov",
         {src / "same.mov", dst / "same.mov", md5(src / "same.mov"), "Not needed", md5(dst / "same.mov"), "Ok"},
         false},
        {src / "changed.mov",
         {src / "changed.mov", dst / "changed.mov", md5(src / "changed.mov"), "Not needed", md5(dst / "changed.mov"),
          "No"},
         true},
        {src / "sub/A.txt", {src / "sub/A.txt", "", md5(src / "sub/A.txt"), "Not needed", "", "Only in Source"}, false},
        {dst / "sub/a.txt", {"", dst / "sub/a.txt", "", "Not needed", md5(dst / "sub/a.txt"), "Only in Destination"},
         false},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.path.utf8_string());
        EXPECT_EQ(Cells(rowOf.at(row.path)), row.cells);
        EXPECT_EQ(RowIsRed(rowOf.at(row.path)), row.red);
    }
    EXPECT_TRUE(d->m_HashSrcHappened && d->m_HashDstHappened);
    EXPECT_EQ(TakeDesktopLogs().size(), 1u);
}

// The same unreadable file on both sides gives the same error text twice, and still "No".
TEST_F(IvtDialogTest, AFileThatCannotBeReadIsNeverOk)
{
    IVTDialog* d = dialog.get();
    TempDir src, dst;
    WriteUnreadableFile(src, "lost.mov");
    WriteUnreadableFile(dst, "lost.mov");
    src.WriteFile("fine.mov", "fine");
    dst.WriteFile("fine.mov", "fine");
    RunToEnd(src.Path(), dst.Path(), IVT_OP_COMPARE);
    ASSERT_EQ(d->m_listCtrl->RowCount(), 2);
    const long lost = Cells(0)[IVT_COL_SOURCE_PATH] == src / "lost.mov" ? 0 : 1;
    EXPECT_EQ(Cells(1 - lost)[IVT_COL_HASH_COMPARISON], "Ok");
    EXPECT_TRUE(KcvIsHashError(Cells(lost)[IVT_COL_SOURCE_HASH]));
    EXPECT_EQ(Cells(lost)[IVT_COL_HASH_COMPARISON], "No");
    EXPECT_TRUE(RowIsRed(lost));
}
