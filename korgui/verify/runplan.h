#pragma once

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/toolmessage.h"

#include <wx/string.h>

// What the Run button does, decided without windows from the dialog's choices and
// fields (and, for a copy made before, from what its destination holds now).

// The dialog's state that Run looks at.
struct RunInputs
{
    int target = IVT_TARGET_SUBFOLDERS;
    int operation = IVT_OP_COPY_AND_COMPARE;
    bool relativeView = false; // Displayed Path is " Relative"
    wxString sourceFile;       // the chosen single source file
    wxString sourceField;      // the text of the source field
    wxString sourceFolder;     // the chosen source folder
    wxString destinationFile;  // the chosen single destination file
    wxString destinationField; // the text of the destination field
    wxString defaultDestination;
    wxString destinationFolder;     // the listed destination folder
    bool destinationListed = false; // the destination listing holds files
    bool copyStatus = false;        // a folder copy was made into the destination
    bool copyHappened = false;      // a single file was copied
};

enum class RunStart
{
    Nothing, // refused: show `refusal` (when set), then give the controls back
    HashSourceFile,
    HashDestinationFile,
    CompareFiles,
    CopyFile,           // lists, then asks PlanCopyAfterListing
    CopyFileAndCompare, // the same, and the compare follows the copy
    HashFolder,         // lists, then the hash column is emptied and the hashing starts
    CompareFolders,
    CopyFolder, // lists, then asks PlanCopyAfterListing
    CopyFolderAndCompare,
};

struct RunPlan
{
    RunStart start = RunStart::Nothing;
    ToolMessage refusal;
    bool removeEmptyRows = false;          // before the controls come back after a refusal
    bool forgetStaleCopy = false;          // the copy's destination was emptied from outside
    bool createDefaultDestination = false; // before listing
};

RunPlan PlanRun(const RunInputs& in);

// The second look of a copy, once source and destination are listed: a folder copy
// needs an empty destination and no copy made before; a single-file copy into the
// default destination creates that folder first.
RunPlan PlanCopyAfterListing(const RunInputs& in);
