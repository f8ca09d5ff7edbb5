#include "korgui/verify/pathchecks.h"

#include "korgui/verify/ivtprotocol.h"

#include "korbase/files.h"

#include <wx/filefn.h>
#include <wx/intl.h>

namespace
{

const char* const INVALID_PATH = wxTRANSLATE("Invalid Path Error");
const char* const FILE_NOT_FOLDER =
    wxTRANSLATE("Warning: you wrote a file-path and not a directory path\n(Please note the selected target)");
const char* const FOLDER_NOT_FILE =
    wxTRANSLATE("Warning: you wrote a directory-path and not a file path\n(Please note the selected target)");

PathEntryCheck Refused(PathEntryOutcome outcome, const char* text)
{
    return {outcome, {INVALID_PATH, text}};
}

// A folder path typed where a folder is wanted: `missingText` when it names nothing usable.
PathEntryCheck CheckFolderEntry(const wxString& text, const wxString& defaultDestination, PathEntryOutcome refusal,
                                const char* missingText)
{
    if (wxFileExists(text))
        return Refused(refusal, FILE_NOT_FOLDER);
    if (!wxDirExists(text) && text != defaultDestination)
        return Refused(refusal, missingText);
    return {};
}

} // namespace

bool IsFolderWithFiles(const wxString& folder, bool recursive)
{
    return !GetAllFiles(folder, AllFilesFilter(), recursive).empty();
}

bool WantsDestinationFile(int target, int operation)
{
    return target == IVT_TARGET_SINGLE_FILE && !IvtIsCopyOperation(operation);
}

PathEntryCheck CheckSourceEntry(const wxString& text, int target, const wxString& defaultDestination)
{
    if (target != IVT_TARGET_SINGLE_FILE)
        return CheckFolderEntry(text, defaultDestination, PathEntryOutcome::ClearField,
                                wxTRANSLATE("Invalid source path: the directory does not exist"));
    if (wxFileExists(text))
        return {};
    return Refused(PathEntryOutcome::ClearField,
                   wxDirExists(text) ? FOLDER_NOT_FILE : wxTRANSLATE("Invalid source path: the file does not exist"));
}

PathEntryCheck CheckDestinationEntry(const wxString& text, int target, int operation,
                                     const wxString& defaultDestination)
{
    if (!WantsDestinationFile(target, operation))
        return CheckFolderEntry(text, defaultDestination, PathEntryOutcome::RestoreDefault,
                                wxTRANSLATE("Invalid destination path: the directory does not exist"));
    if (wxDirExists(text))
        return Refused(PathEntryOutcome::ClearField, FOLDER_NOT_FILE);
    if (!wxFileExists(text))
        return Refused(PathEntryOutcome::ClearField, wxTRANSLATE("Invalid destination path: the file does not exist"));
    return {};
}

SourceFolderPick CheckSourceFolderPick(const wxString& folder, int target)
{
    const char* const errorCaption = wxTRANSLATE("Error message");
    if (target == IVT_TARGET_FOLDER_ONLY)
    {
        if (IsFolderWithFiles(folder, false))
            return {};
        return {SourcePickOutcome::RefuseAndIncludeSubfolders,
                {{errorCaption,
                  wxTRANSLATE("Error, you should choose a not-empty folder as source.\nDid you mean to use the "
                              "'Include SubFolders' mode which includes the subfolders?\n(You're currently using the "
                              "'Do not include Sub Folders' mode.)")},
                 {"", wxTRANSLATE("Now 'Include SubFolders' will be selected, but you can change this "
                                  "anytime.\nPlease choose again your source.")}}};
    }
    if (IsFolderWithFiles(folder, true))
        return {};
    return {SourcePickOutcome::Refuse,
            {{errorCaption, wxTRANSLATE("Error, you should choose a not-empty folder as source")}}};
}

ToolMessage DestinationFilePickCancelled()
{
    return {wxTRANSLATE("File destination error message"), wxTRANSLATE("Error, choose an existing file")};
}

ToolMessage DestinationChangeWarning(bool copyMade, const wxString& fieldText, const wxString& defaultDestination)
{
    const bool untouchedDefault = fieldText == defaultDestination && !wxDirExists(defaultDestination);
    if (!copyMade || untouchedDefault)
        return {};
    return {wxTRANSLATE("Warning message"),
            wxTRANSLATE("Warning, you already have copied the source directory to the destination:\nYou are changing "
                        "the destination folder but the previous directory used before remains untouched")};
}
