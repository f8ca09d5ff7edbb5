#pragma once

#include "korgui/verify/toolmessage.h"

#include <wx/string.h>

#include <vector>

// The checks of the paths a user gives the copy-and-verify dialog, without windows:
// each looks at the disk and says what the dialog is to do and to show.

// True when `folder` holds at least one file (anywhere below it when `recursive`).
bool IsFolderWithFiles(const wxString& folder, bool recursive);

// Single File with an operation that reads a destination: the destination is a file.
// Otherwise it is a folder (a copy writes into a folder even for a single file).
bool WantsDestinationFile(int target, int operation);

// What a path field does with the text confirmed with Enter.
enum class PathEntryOutcome
{
    Accept,
    ClearField,
    RestoreDefault, // the destination field shows the default destination folder again
};

struct PathEntryCheck
{
    PathEntryOutcome outcome = PathEntryOutcome::Accept;
    ToolMessage message;
};

// Enter in the source field with `text`, under the Target choice `target`. A folder
// that does not exist is accepted only when it is the default destination folder.
PathEntryCheck CheckSourceEntry(const wxString& text, int target, const wxString& defaultDestination);

// Enter in the destination field with `text`.
PathEntryCheck CheckDestinationEntry(const wxString& text, int target, int operation,
                                     const wxString& defaultDestination);

// A folder picked as the source: a folder without files is refused, and in the
// top-level-only mode the dialog offers "Include Subfolders" instead.
enum class SourcePickOutcome
{
    Accept,
    Refuse,
    RefuseAndIncludeSubfolders,
};

struct SourceFolderPick
{
    SourcePickOutcome outcome = SourcePickOutcome::Accept;
    std::vector<ToolMessage> messages; // shown in this order
};

SourceFolderPick CheckSourceFolderPick(const wxString& folder, int target);

// The destination file picker was cancelled.
ToolMessage DestinationFilePickCancelled();

// Another destination folder picked after a copy: the dialog warns that the old one
// stays as it is, and forgets the copy. Not due while the field shows the default
// folder that was never created.
ToolMessage DestinationChangeWarning(bool copyMade, const wxString& fieldText, const wxString& defaultDestination);
