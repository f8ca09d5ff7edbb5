// The checks of typed and picked paths, on real files and folders, without windows:
// one row per message and outcome.

#include "harness/helpers.h"

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/pathchecks.h"

#include <gtest/gtest.h>

#include <map>

using namespace kortest;

namespace
{

const std::string INVALID = "Invalid Path Error|";
const std::string FILE_NOT_FOLDER =
    INVALID + "Warning: you wrote a file-path and not a directory path\n(Please note the selected target)";
const std::string FOLDER_NOT_FILE =
    INVALID + "Warning: you wrote a directory-path and not a file path\n(Please note the selected target)";

// "caption|text", or "" for no message.
std::string Text(const ToolMessage& m)
{
    return m.IsSet() ? std::string(m.caption) + "|" + m.text : "";
}

class PathChecks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        paths["file"] = dir.WriteFile("clip.mov", "x");
        paths["folder"] = dir.WriteFile("full/a.mov", "a").BeforeLast('/');
        paths["nested"] = dir.WriteFile("nested/sub/b.mov", "b").BeforeLast('/').BeforeLast('/');
        paths["empty"] = dir.MakeDir("empty");
        paths["missing"] = dir / "missing";
        paths["default"] = dir / "import-20260101";
    }

    TempDir dir;
    std::map<std::string, wxString> paths;
};

} // namespace

TEST_F(PathChecks, EnterInThePathFields)
{
    using O = PathEntryOutcome;
    const int single = IVT_TARGET_SINGLE_FILE, tree = IVT_TARGET_SUBFOLDERS, top = IVT_TARGET_FOLDER_ONLY;
    const struct
    {
        bool destination;
        int target, operation;
        const char* path;
        O outcome;
        std::string text;
    } rows[] = {
        {false, tree, IVT_OP_COPY, "file", O::ClearField, FILE_NOT_FOLDER},
        {false, top, IVT_OP_COPY, "missing", O::ClearField,
         INVALID + "Invalid source path: the directory does not exist"},
        {false, tree, IVT_OP_COPY, "default", O::Accept, ""}, // the default destination, not created yet
        {false, top, IVT_OP_HASH_SOURCE, "empty", O::Accept, ""},
        {false, single, IVT_OP_COPY, "folder", O::ClearField, FOLDER_NOT_FILE},
        {false, single, IVT_OP_COMPARE, "missing", O::ClearField,
         INVALID + "Invalid source path: the file does not exist"},
        {false, single, IVT_OP_HASH_SOURCE, "file", O::Accept, ""},
        {true, tree, IVT_OP_COMPARE, "file", O::RestoreDefault, FILE_NOT_FOLDER},
        {true, top, IVT_OP_COPY, "missing", O::RestoreDefault,
         INVALID + "Invalid destination path: the directory does not exist"},
        {true, tree, IVT_OP_COPY, "default", O::Accept, ""},
        {true, single, IVT_OP_COPY_AND_COMPARE, "folder", O::Accept, ""}, // a single file is copied into a folder
        {true, single, IVT_OP_COPY, "file", O::RestoreDefault, FILE_NOT_FOLDER},
        {true, single, IVT_OP_COMPARE, "folder", O::ClearField, FOLDER_NOT_FILE},
        {true, single, IVT_OP_HASH_DESTINATION, "missing", O::ClearField,
         INVALID + "Invalid destination path: the file does not exist"},
        {true, single, IVT_OP_COMPARE, "file", O::Accept, ""},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(std::string(row.destination ? "destination " : "source ") + row.path + " target " +
                     std::to_string(row.target) + " operation " + std::to_string(row.operation));
        const wxString& path = paths[row.path];
        const PathEntryCheck check = row.destination
                                         ? CheckDestinationEntry(path, row.target, row.operation, paths["default"])
                                         : CheckSourceEntry(path, row.target, paths["default"]);
        EXPECT_EQ(check.outcome, row.outcome);
        EXPECT_EQ(Text(check.message), row.text);
    }
}

TEST_F(PathChecks, PickedSourceFolder)
{
    using O = SourcePickOutcome;
    const struct
    {
        int target;
        const char* path;
        O outcome;
        std::vector<std::string> texts;
    } rows[] = {
        {IVT_TARGET_FOLDER_ONLY, "folder", O::Accept, {}},
        {IVT_TARGET_FOLDER_ONLY, "nested", O::RefuseAndIncludeSubfolders,
         {"Error message|Error, you should choose a not-empty folder as source.\nDid you mean to use the 'Include "
          "SubFolders' mode which includes the subfolders?\n(You're currently using the 'Do not include Sub "
          "Folders' mode.)",
          "|Now 'Include SubFolders' will be selected, but you can change this anytime.\nPlease choose again your "
          "source."}},
        {IVT_TARGET_SUBFOLDERS, "nested", O::Accept, {}},
        {IVT_TARGET_SUBFOLDERS, "empty", O::Refuse,
         {"Error message|Error, you should choose a not-empty folder as source"}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(std::string(row.path) + " target " + std::to_string(row.target));
        const SourceFolderPick pick = CheckSourceFolderPick(paths[row.path], row.target);
        EXPECT_EQ(pick.outcome, row.outcome);
        std::vector<std::string> texts;
        for (const ToolMessage& m : pick.messages)
            texts.push_back(Text(m));
        EXPECT_EQ(texts, row.texts);
    }
}

TEST_F(PathChecks, AnotherDestinationFolderAfterACopyWarns)
{
    const std::string warning = "Warning message|Warning, you already have copied the source directory to the "
                                "destination:\nYou are changing the destination folder but the previous "
                                "directory used before remains untouched";
    const struct
    {
        bool copyMade;
        const char* field;
        const char* defaultFolder;
        std::string text;
    } rows[] = {
        {false, "folder", "default", ""},
        {true, "folder", "default", warning},
        {true, "default", "default", ""},    // the default folder, never created
        {true, "folder", "folder", warning}, // the default folder, created by the copy
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(std::string(row.field) + (row.copyMade ? " after a copy" : ""));
        const ToolMessage m = DestinationChangeWarning(row.copyMade, paths[row.field], paths[row.defaultFolder]);
        EXPECT_EQ(Text(m), row.text);
    }
    EXPECT_EQ(Text(DestinationFilePickCancelled()), "File destination error message|Error, choose an existing file");
}
