// What Run decides from the dialog's choices and fields, without windows: one row per
// message and outcome. A row's state is a list of words (see Inputs).

#include "harness/helpers.h"

#include "korgui/verify/runplan.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kortest;

namespace
{

using S = RunStart;

bool Has(const std::string& words, const std::string& word)
{
    std::istringstream in(words);
    std::string w;
    while (in >> w)
        if (w == word)
            return true;
    return false;
}

// "single" or folders; "op<N>"; "file" (source file chosen), "typed" (source field
// filled), "folder" (source folder chosen), "dstfile", "listed" (destination listing
// holds files), "relative", "copied" (single file), "copystatus" (folder copy made),
// "default" (destination field shows the default folder), "emptied" (the copy's
// destination folder was emptied from outside).
RunInputs Inputs(const std::string& words, const TempDir& dir)
{
    RunInputs in;
    in.target = Has(words, "single") ? IVT_TARGET_SINGLE_FILE : IVT_TARGET_SUBFOLDERS;
    for (int op = 0; op < 8; ++op)
        if (Has(words, "op" + std::to_string(op)))
            in.operation = op;
    in.relativeView = Has(words, "relative");
    in.sourceFile = Has(words, "file") ? dir / "src/a.mov" : wxString();
    in.sourceField = Has(words, "typed") ? dir / "src" : wxString();
    in.sourceFolder = Has(words, "folder") ? dir / "src" : wxString();
    in.destinationFile = Has(words, "dstfile") ? dir / "dst/a.mov" : wxString();
    in.defaultDestination = dir / "import-1";
    in.destinationField = Has(words, "default") ? in.defaultDestination : dir / "dst";
    in.destinationFolder = Has(words, "emptied") ? dir / "emptied" : dir / "dst";
    in.destinationListed = Has(words, "listed");
    in.copyHappened = Has(words, "copied");
    in.copyStatus = Has(words, "copystatus");
    return in;
}

struct Row
{
    const char* state;
    RunStart start;
    const char* caption; // of the refusal; "" for none
    const char* flags;   // "rows" removeEmptyRows, "stale" forgetStaleCopy, "create" createDefaultDestination
};

void Check(const Row& row, const RunPlan& plan)
{
    SCOPED_TRACE(row.state);
    EXPECT_EQ(static_cast<int>(plan.start), static_cast<int>(row.start));
    EXPECT_STREQ(plan.refusal.IsSet() ? plan.refusal.caption : "", row.caption);
    EXPECT_EQ(plan.refusal.IsSet(), *row.caption != '\0');
    EXPECT_EQ(plan.removeEmptyRows, Has(row.flags, "rows"));
    EXPECT_EQ(plan.forgetStaleCopy, Has(row.flags, "stale"));
    EXPECT_EQ(plan.createDefaultDestination, Has(row.flags, "create"));
}

class RunPlanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.WriteFile("src/a.mov", "a");
        dir.WriteFile("dst/a.mov", "a");
        dir.MakeDir("emptied");
    }
    TempDir dir;
};

const char* const MISSING_SOURCE = "Missing src file error message";
const char* const MISSING_DESTINATION = "Missing dst file error message";
const char* const RELATIVE = "Relative Displayed Path Warning";
const char* const DOUBLE_COPY = "Double copy - error message";

} // namespace

TEST_F(RunPlanTest, BeforeListing)
{
    const Row rows[] = {
        {"single op0", S::Nothing, MISSING_SOURCE, ""},
        {"single op3 dstfile", S::Nothing, MISSING_SOURCE, ""},
        {"single op2 file", S::Nothing, MISSING_DESTINATION, ""},
        {"single op1", S::Nothing, MISSING_DESTINATION, ""},
        {"single op0 file relative", S::Nothing, RELATIVE, ""},
        {"single op1 dstfile relative", S::Nothing, RELATIVE, ""},
        {"single op0 typed", S::HashSourceFile, "", ""},
        {"single op1 dstfile", S::HashDestinationFile, "", ""},
        {"single op2 file listed", S::CompareFiles, "", ""},
        {"single op3 file copied", S::Nothing, "", ""}, // copied once: nothing until Clean
        {"single op4 file default", S::CopyFileAndCompare, "", ""},
        {"op0", S::Nothing, "Empty source folder", ""},
        {"op2", S::Nothing, "", ""}, // no source, no message
        {"op1", S::HashFolder, "", ""},
        {"op0 folder relative", S::Nothing, RELATIVE, ""},
        {"op2 typed listed", S::CompareFolders, "", ""},
        {"op3 folder default", S::CopyFolder, "", "create"},
        {"op3 folder default listed", S::CopyFolder, "", ""},
        {"op4 folder listed copystatus", S::Nothing, DOUBLE_COPY, ""},
        {"op4 folder default listed copystatus emptied", S::CopyFolderAndCompare, "", "stale create"},
        {"op2 listed copystatus emptied", S::Nothing, "", "stale"},
        {"op7 folder", S::Nothing, "No option selected - error message", "rows"},
    };
    for (const Row& row : rows)
        Check(row, PlanRun(Inputs(row.state, dir)));
}

TEST_F(RunPlanTest, AfterListingACopy)
{
    const Row rows[] = {
        {"op3 folder listed", S::Nothing, "Not empty destination directory - error message", ""},
        {"op3 folder copystatus", S::Nothing, DOUBLE_COPY, "rows"},
        {"op3 folder", S::CopyFolder, "", ""},
        {"single op3 file default", S::CopyFile, "", "create"},
        {"single op4 file", S::CopyFileAndCompare, "", ""},
    };
    for (const Row& row : rows)
        Check(row, PlanCopyAfterListing(Inputs(row.state, dir)));
}
