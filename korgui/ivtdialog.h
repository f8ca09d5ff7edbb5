#pragma once

#include "korbase/appversion.h"
#include "korbase/files.h"
#include "korgui/verify/pathlist.h"

#include <wx/dialog.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

struct LogOutcome;
class MyThread;
class ProgressLabel;
struct PathEntryCheck;
struct RunInputs;
struct RunPlan;
enum class RunStart;
struct ToolMessage;
class ResultListCtrl;
class Throttle;
class WorkerEventChannel;
class wxButton;
class wxChoice;
class wxListEvent;
class wxStaticText;
class wxTextCtrl;
enum ResultColumn : int;

// A worker's stop request. Shared between the worker and the dialog's slot, so that
// Stop stays safe when a detached worker has already ended and deleted itself.
using StopFlag = std::shared_ptr<std::atomic<bool>>;

// One stoppable worker of the dialog: the stop request of the last worker started in
// it and whether that worker still runs.
struct WorkerSlot
{
    StopFlag stop;
    bool alive = false;

    void Start(StopFlag workerStop)
    {
        stop = std::move(workerStop);
        alive = true;
    }
};

// The copy-and-verify tool: pick a source, a destination, an operation and a hash
// type, run it, and read the outcome in the six-column result list. All file work
// runs on worker threads (MyThread), which report only through the events of
// ivtprotocol.h; the dialog owns every control and field, and only the GUI thread
// touches them. The host creates it and shows it (modeless); it destroys itself when
// closed, which it refuses while a worker is counted.
class IVTDialog : public wxDialog
{
public:
    IVTDialog(wxWindow* parent, const AppVersion& version, const wxString& title);
    ~IVTDialog() override;

    // Where users report internal errors; the internal-error messages end with it.
    static wxString SupportAddress();

    // The channel the dialog's workers send their events through.
    const std::shared_ptr<WorkerEventChannel>& GetWorkerEvents() const { return m_workerEvents; }

    // Enables the nine command controls again and ends the running state.
    void AbleWidgetsAgain();

    void OnClick__Stop(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OperationsComboboxFn(wxCommandEvent& event);
    void RecursiveComboBoxFile(wxCommandEvent& event);

    // Choosing source and destination
    // Takes `path` as the source as if the user had typed it and pressed Enter; a
    // file switches the Target to "Single File" first, a folder to "Include Subfolders".
    // For hosts that open the tool on a path they were given.
    void SetSourcePath(const wxString& path);
    void OnClick__PathSource(wxCommandEvent& event);
    void OnClick__PathDst(wxCommandEvent& event);
    void ForTheEnterEventTc1(wxCommandEvent& event);
    void ForTheEnterEventTc2(wxCommandEvent& event);
    // List the chosen source / destination on a worker and return when it is done
    // (events keep flowing meanwhile).
    void SourceChoice();
    void DestinationChoice();

    // Checks the choices against the operation, lists, and starts it.
    void OnClick__Run(wxCommandEvent& event);

    // Writes the result list with its master hash to log<date-time>.tsv on the desktop,
    // from the rows as they are now, on a worker counted in m_runningThreads.
    void SaveLog();
    // The log's worker is done: its outcome shows (GUI thread).
    void LogWritten(const LogOutcome& outcome);

    // Clean
    void OnClick__Clean(wxCommandEvent& event);
    void CleanFromThread(wxCommandEvent& event);
    void CleanNoButton();
    void CleanNoButtonDst();
    void RemoveEmptyRows();

    // Worker events: result list and texts
    void OnUpdate__InsertItemListCtrl(wxCommandEvent& event);
    void OnUpdate__SetItem1ColListCtrl__ChangeText(wxCommandEvent& event);
    void OnUpdate__SetItem2ColListCtrl__FileDst(wxCommandEvent& event);
    void OnUpdate__SetItem3ColListCtrl__HashSource(wxCommandEvent& event);
    void OnUpdate__SetItem4ColListCtrl_CopyStatus(wxCommandEvent& event);
    void OnUpdate__SetItem5ColListCtrl__DestinationHash(wxCommandEvent& event);
    void OnUpdate_SetItem6ColListCtrl__HashComparison(wxCommandEvent& event);
    void SetItemRed(wxCommandEvent& event);
    void DeleteListItem(wxCommandEvent& event);
    void ScrollListCtrl(wxCommandEvent& event);
    void OnUpdate__Set_Tc1(wxCommandEvent& event);
    void OnUpdate__Set_Tc2(wxCommandEvent& event);
    void Update__m_combo2SetSelection(wxCommandEvent& event);
    void ProgressBarUpdate(wxCommandEvent& event);
    void ProgressBarUpdateDuplicates(wxCommandEvent& event);

    // Worker events: fields
    void Update__m_srcDir(wxCommandEvent& event);
    void Update__m_dstDir(wxCommandEvent& event);
    void Update__m_tmp_SrcDir(wxCommandEvent& event);
    void Update__m_PathDestination(wxCommandEvent& event);
    void Update__m_tmp_SrcName(wxCommandEvent& event);
    void Update__m_tmp_DstName(wxCommandEvent& event);
    void Update__m_CopyStatus(wxCommandEvent& event);
    void Update__m_CopyHappened(wxCommandEvent& event);
    void Update__m_HashSrcHappened(wxCommandEvent& event);
    void Update__m_HashDstHappened(wxCommandEvent& event);
    void Update__m_fullPath(wxCommandEvent& event);
    void Update__m_pathSrcGetAllFiles(wxCommandEvent& event);
    void Update__m_pathDstGetAllFiles(wxCommandEvent& event);

    // Worker events: messages
    void OnMessageBox(wxCommandEvent& event);

    // Worker events: end of a worker
    void CopySourceToDestinationAndCompareAFTER(wxCommandEvent& event);
    void NoDuplicatesAFTER(wxCommandEvent& event);
    void CopySrcToDstFnAFTER(wxCommandEvent& event);
    void HelperRunHashComparisonEmptyAFTER(wxCommandEvent& event);
    void HashSourceFnAFTER(wxCommandEvent& event);
    void HashDestinationFnAFTER(wxCommandEvent& event);
    void CompareOnlySharedFilesAFTER(wxCommandEvent& event);
    void RefreshView_AFTER(wxCommandEvent& event);

    // Full and relative path views, column sort
    void RefreshView(wxCommandEvent& event);
    void OnColClick__Sort(wxListEvent& event);

    // Duplicate removal in the destination
    void OnClick__NoDuplicates(wxCommandEvent& event);

    // Hashing and comparing: the operation starters (Run calls them; they take what
    // their worker needs from the dialog as it is now and start it).
    void HashSourceFn();
    void HashDestinationFn();
    // Also the second step of a single-file "Copy Source to Destination and Compare".
    void CompareOnlySharedFiles();

    // Copying: list source and destination, then copy (into an empty destination folder).
    void CopySrcToDstFn();
    void CopySourceToDestinationAndCompare();

    // Controls (children of the dialog's panel)
    wxTextCtrl* m_tc1 = nullptr; // source path
    wxButton* m_buttonSrc = nullptr;
    wxTextCtrl* m_tc2 = nullptr; // destination path
    wxButton* m_buttonDst = nullptr;
    wxChoice* m_combo1 = nullptr; // Operation (IvtOperation)
    wxChoice* m_combo4 = nullptr; // Target (IvtTarget)
    wxChoice* m_combo3 = nullptr; // Hash Type (HashAlgorithm)
    wxChoice* m_combo2 = nullptr; // Displayed Path: 0 full, 1 relative
    wxButton* m_buttonRun = nullptr;
    wxButton* m_buttonStop = nullptr;
    wxStaticText* m_progressText = nullptr;
    wxButton* m_buttonNoDuplicates = nullptr;
    wxButton* m_buttonClean = nullptr;
    ResultListCtrl* m_listCtrl = nullptr;

    // State, GUI thread only
    bool m_singleFileCompareAfterCopy = false;
    std::unique_ptr<ProgressLabel> m_progress; // every change of m_progressText goes through it
    long long m_scrollAmount = 0; // asked for and not yet scrolled; see ScrollListSoon
    std::unique_ptr<Throttle> m_listScroll; // scrolls the list at most every SCREEN_UPDATE_INTERVAL
    bool m_operationRunning = false;
    WorkerSlot m_copyThread;
    WorkerSlot m_hashSrcThread;
    WorkerSlot m_hashDstThread;
    WorkerSlot m_compareThread;
    WorkerSlot m_copyCompareThread;
    std::int16_t m_runningThreads = 0; // workers started and not yet ended
    int m_logsBeingWritten = 0;        // of those, the log workers (SaveLog)
    std::deque<wxString> m_tmp_SrcName; // see recordedpaths.h
    std::deque<wxString> m_tmp_DstName;
    bool m_fullPath = true;
    static constexpr int NO_RUN_TARGET = 100;    // m_lastTargetSelection before the first Run
    static constexpr int NO_RUN_OPERATION = 101; // m_lastOperationSelection before the first Run
    int m_lastTargetSelection = NO_RUN_TARGET;
    int m_lastOperationSelection = NO_RUN_OPERATION;
    wxString m_SrcdefaultPath;
    wxString m_srcFile;
    PathList m_pathSource;
    wxString m_srcDir;
    wxString m_tmp_SrcDir;
    wxString m_dstDefaultPathId;
    wxString m_dstFile;
    bool m_CopyStatus = false;
    bool m_CopyHappened = false;
    PathList m_PathDestination;
    // Entries the last listings of each side skipped, shown as rows by the operations.
    std::vector<ListingProblem> m_sourceProblems;
    std::vector<ListingProblem> m_destinationProblems;
    wxString m_tmp_DstDir;
    wxString m_dstDefaultDir;
    bool m_HashSrcHappened = false;
    bool m_HashDstHappened = false;
    wxString m_dstDir;
    const wxString m_txtFailed;
    const wxString m_txtSuccess;
    const wxString m_txtNotNeeded;
    const wxString m_txtNotPossible;
    const wxString m_txtNo;
    const wxString m_txtOk;
    const wxString m_txtFileRemoved;
    const wxString m_hostRevision;
    const wxString m_platform;
    wxString m_startTime;

private:
    void CreateControls();
    // The default destination folder on the desktop for a date-time text.
    static wxString DefaultDestinationFolder(const wxString& dateTimeText);
    // A message box of the tool: the dialog as parent, kept on top, OK and the information icon.
    void Message(const wxString& caption, const wxString& text);
    // The same for an untranslated caption and text.
    void Message(const ToolMessage& message);
    // A refused path entry: its message, and the field emptied or reset. False when accepted.
    bool RefusePathEntry(wxTextCtrl* field, const PathEntryCheck& check);
    // Runs a joinable listing worker to its end, counted in m_runningThreads. Returns
    // false when the dialog was destroyed while it waited: the caller must return
    // without touching it.
    bool RunListingWorker(std::unique_ptr<MyThread> worker);
    // SourceChoice, DestinationChoice and both; false as for RunListingWorker.
    bool ListSource();
    bool ListDestination();
    bool ListBoth();
    // What Run looks at, as it is now.
    RunInputs CurrentRunInputs() const;
    // Refuses a Run: its message (if any), then the controls come back.
    void RefuseRun(const RunPlan& plan);
    // Lists what the operation needs and starts it.
    void StartRun(RunStart start);
    // The nine controls that Run disables and AbleWidgetsAgain enables.
    void EnableCommandControls(bool enable);
    // Progress label back to the default colour with `text`.
    void ResetProgressText(const wxString& text);
    // The cleans share everything but the source side.
    void Clean(bool destinationOnly);
    // Internal-error box of the flag and listing events.
    void ShowInternalError(const char* untranslatedText);
    // Stores a flag event's code in `flag`; other codes show `errorText`.
    void UpdateFlag(wxCommandEvent& event, bool& flag, const char* errorText);
    // Listing events 100061 and 100062.
    void UpdateListing(wxCommandEvent& event, PathList& files, std::vector<ListingProblem>& problems,
                       const wxString& folder, const char* errorText);
    // The skipped entries of a side for the operation about to start: none for a single file.
    std::vector<ListingProblem> ListingProblems(const std::vector<ListingProblem>& problems) const;
    // Column events 100015 to 100019 act only while the list has rows; false when it has none.
    bool SetCellIfRows(wxCommandEvent& event, ResultColumn column);
    // End of a hashing operation; logs when `hashColumn` holds a hash.
    void FinishHashing(WorkerSlot& slot, ResultColumn hashColumn);
    // Scrolls the list by `amount`, now or (when it scrolled just before) a little later.
    void ScrollListSoon(int amount);
    void ScrollListNow();
    // Rows whose Copy Status or Hash Comparison failed, or whose destination file was removed, turn red.
    void MarkFailedRowsRed();

    // Starts a detached operation worker and counts it in m_runningThreads; `slot`,
    // when given, lets Stop reach it. A worker that cannot be created is reported, is
    // not counted, and the dialog is idle again. Returns false then. `failureText`
    // replaces the usual "Could not create thread".
    bool StartOperationWorker(std::unique_ptr<MyThread> worker, WorkerSlot* slot,
                              const wxString& failureText = wxString());

    // The copy of CopySrcToDstFn from the lists as they are: Run has just made them.
    void StartCopy();

    const std::shared_ptr<WorkerEventChannel> m_workerEvents;

    wxDECLARE_EVENT_TABLE();
};
