#include "korgui/verify/runplan.h"

#include "korgui/verify/pathchecks.h"

#include <wx/intl.h>

namespace
{

RunPlan Refuse(const char* caption, const char* text, bool removeEmptyRows = false)
{
    RunPlan plan;
    plan.refusal = {caption, text};
    plan.removeEmptyRows = removeEmptyRows;
    return plan;
}

RunPlan Start(RunStart start)
{
    RunPlan plan;
    plan.start = start;
    return plan;
}

RunPlan RelativeViewRefused()
{
    return Refuse(wxTRANSLATE("Relative Displayed Path Warning"),
                  wxTRANSLATE("Please select the full displayed path before this operation.\nYou can go back to the "
                              "relative view after it."));
}

RunPlan DoubleCopyRefused(bool removeEmptyRows)
{
    return Refuse(wxTRANSLATE("Double copy - error message"),
                  wxTRANSLATE("Copy has been already done: press the Clean button if you want to copy files again."),
                  removeEmptyRows);
}

RunPlan PlanSingleFile(const RunInputs& in)
{
    const int op = in.operation;
    if (in.sourceFile.empty() && in.sourceField.empty() && (op == IVT_OP_HASH_SOURCE || IvtIsCopyOperation(op)))
        return Refuse(wxTRANSLATE("Missing src file error message"),
                      wxTRANSLATE("Missing source file: please choose a file. If you manually typed the path, please "
                                  "press enter inside the text dialog, otherwise choose a file using the button"));
    if (in.destinationFile.empty() && !in.destinationListed && (op == IVT_OP_HASH_DESTINATION || op == IVT_OP_COMPARE))
        return Refuse(wxTRANSLATE("Missing dst file error message"),
                      wxTRANSLATE("Missing destination file. If you manually typed the path, please press enter "
                                  "inside the text dialog, otherwise choose a file using the button"));
    switch (op)
    {
    case IVT_OP_HASH_SOURCE:
        return in.relativeView ? RelativeViewRefused() : Start(RunStart::HashSourceFile);
    case IVT_OP_HASH_DESTINATION:
        return in.relativeView ? RelativeViewRefused() : Start(RunStart::HashDestinationFile);
    case IVT_OP_COMPARE:
        return Start(RunStart::CompareFiles);
    case IVT_OP_COPY:
        // A file copied once is not copied again until Clean; no message.
        return in.copyHappened ? RunPlan() : Start(RunStart::CopyFile);
    case IVT_OP_COPY_AND_COMPARE:
        return in.copyHappened ? RunPlan() : Start(RunStart::CopyFileAndCompare);
    default:
        return RunPlan();
    }
}

// Folders, once a stale copy is forgotten: `destinationListed` and `copyStatus` as they are then.
RunPlan PlanFoldersFrom(const RunInputs& in, bool destinationListed, bool copyStatus)
{
    const int op = in.operation;
    if (in.sourceFolder.empty() && in.sourceField.empty() && op != IVT_OP_HASH_DESTINATION)
    {
        if (op != IVT_OP_HASH_SOURCE)
            return RunPlan();
        return Refuse(wxTRANSLATE("Empty source folder"),
                      wxTRANSLATE("Warning: you should choose a source directory in order to calculate the hash code"));
    }
    RunPlan plan;
    plan.createDefaultDestination =
        in.destinationField == in.defaultDestination && !destinationListed && IvtIsCopyOperation(op);
    switch (op)
    {
    case IVT_OP_HASH_SOURCE:
    case IVT_OP_HASH_DESTINATION:
        if (in.relativeView)
            return RelativeViewRefused();
        plan.start = RunStart::HashFolder;
        return plan;
    case IVT_OP_COMPARE:
        plan.start = RunStart::CompareFolders;
        return plan;
    case IVT_OP_COPY:
        plan.start = RunStart::CopyFolder;
        return plan;
    case IVT_OP_COPY_AND_COMPARE:
        if (copyStatus && destinationListed)
            return DoubleCopyRefused(false);
        plan.start = RunStart::CopyFolderAndCompare;
        return plan;
    default:
        return Refuse(wxTRANSLATE("No option selected - error message"),
                      wxTRANSLATE("Error, no option selected: \nPlease choose an option"), true);
    }
}

RunPlan PlanFolders(const RunInputs& in)
{
    // A copy whose destination was emptied from outside is forgotten: a new copy may go there.
    const bool stale = in.copyStatus && (!IsFolderWithFiles(in.destinationFolder, true) ||
                                         !IsFolderWithFiles(in.destinationFolder, false));
    RunPlan plan = stale ? PlanFoldersFrom(in, false, false) : PlanFoldersFrom(in, in.destinationListed, in.copyStatus);
    plan.forgetStaleCopy = stale;
    return plan;
}

} // namespace

RunPlan PlanRun(const RunInputs& in)
{
    return in.target == IVT_TARGET_SINGLE_FILE ? PlanSingleFile(in) : PlanFolders(in);
}

RunPlan PlanCopyAfterListing(const RunInputs& in)
{
    if (in.target == IVT_TARGET_SINGLE_FILE)
    {
        const bool compare = in.operation == IVT_OP_COPY_AND_COMPARE;
        RunPlan plan = Start(compare ? RunStart::CopyFileAndCompare : RunStart::CopyFile);
        plan.createDefaultDestination = in.destinationField == in.defaultDestination;
        return plan;
    }
    if (in.destinationListed)
        return Refuse(wxTRANSLATE("Not empty destination directory - error message"),
                      wxTRANSLATE("Copying to a non-empty destination directory is not allowed."));
    if (in.copyStatus)
        return DoubleCopyRefused(true);
    return Start(RunStart::CopyFolder);
}
