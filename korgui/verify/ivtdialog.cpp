#include "korgui/ivtdialog.h"

#include "korgui/common/uniquefolder.h"
#include "korgui/verify/datetimetext.h"
#include "korgui/verify/ivtworkers.h"
#include "korgui/verify/progresslabel.h"
#include "korverify/verifylog.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/listsortkeys.h"
#include "korgui/verify/recordedpaths.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/workerevents.h"

#include "korbase/datetime.h"
#include "korbase/files.h"
#include "korbase/hash.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>

namespace
{

const wxColour progressDoneColour(25, 210, 87);

bool IsFolderWithFiles(const wxString& folder, bool recursive)
{
    return !GetAllFiles(folder, AllFilesFilter(), recursive).empty();
}

wxString ImportFolder(const wxString& dateTimeText)
{
    return UniqueFolderPath(GetUserDesktopPath(), "import-" + dateTimeText);
}

// Fixed widths keep the rows aligned; a translation that needs more room gets it.
void AtLeastBestSize(wxWindow* window)
{
    const wxSize best = window->GetBestSize();
    const wxSize size = window->GetSize();
    window->SetMinSize(wxSize(std::max(size.x, best.x), std::max(size.y, best.y)));
}

wxStaticText* Label(wxWindow* parent, const wxString& text, int width)
{
    auto* label = new wxStaticText(parent, wxID_ANY, text, wxDefaultPosition, wxSize(width, -1));
    AtLeastBestSize(label);
    return label;
}

struct MessageText
{
    int code;
    const char* caption;
    const char* message;
};

// The messages a worker asks for with IVT_EVT_MESSAGE_BOX.
const MessageText workerMessages[] = {
    {IVT_MSG_CHOOSE_DESTINATION_FILE, wxTRANSLATE("Destination file message"),
     wxTRANSLATE("Please choose a destination file")},
    {IVT_MSG_FULL_VIEW_FIRST, wxTRANSLATE("Message"),
     wxTRANSLATE("Please calculate the hash with the full view before changing it to relative.\nThe table must not be "
                 "empty. Choose a source and/or a destination if you haven't done it yet.")},
    {IVT_MSG_COPY_NOT_FOR_COMPARE, wxTRANSLATE("Warning message"),
     wxTRANSLATE("Warning, the selected function does not work if your purpose\n is to compare two existing files")},
    {IVT_MSG_COPY_EMPTY_SOURCE, wxTRANSLATE("Empty-Directory Error message"),
     wxTRANSLATE("Error, empty source directory")},
    {IVT_MSG_EMPTY_DESTINATION_DIR, wxTRANSLATE("Empty-Directory Error message"),
     wxTRANSLATE("Error, empty destination directory ")},
    {IVT_MSG_VIEW_ALREADY_SET, wxTRANSLATE("Message"), wxTRANSLATE("You have already set this view")},
    {IVT_MSG_COMPARE_EMPTY_SOURCE, wxTRANSLATE("Empty-Source-File Error message"),
     wxTRANSLATE("Error, source folder is empty. Please, choose a source file ")},
    {IVT_MSG_COMPARE_EMPTY_DESTINATION, wxTRANSLATE("Empty-Destination-Directory Error message"),
     wxTRANSLATE("Error, destination folder is empty. No comparison can be done ")},
    {IVT_MSG_DESTINATION_NOT_EMPTY, wxTRANSLATE("Not-Empty-Directory-Copy Error message"),
     wxTRANSLATE("Error, you only can do a copy to an existing empty destination folder ")},
    {IVT_MSG_SOURCE_FOLDER_EMPTY, wxTRANSLATE("Empty-Directory. Error message"),
     wxTRANSLATE("Your source folder is empty, please: \n1)try selecting 'Include subfolders' under 'Target'.\n2)If "
                 "you manually wrote the path (or copy-pasted it), try pressing Enter on your keyboard after adding "
                 "the path.")},
};

} // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(IVTDialog, wxDialog)
    EVT_COMMAND(IVT_EVT_INSERT_ITEM, wxEVT_TEXT, IVTDialog::OnUpdate__InsertItemListCtrl)
    EVT_COMMAND(IVT_EVT_SET_COL0_TEXT, wxEVT_TEXT, IVTDialog::OnUpdate__SetItem1ColListCtrl__ChangeText)
    EVT_COMMAND(IVT_EVT_SET_COL1_FILE_DST, wxEVT_TEXT, IVTDialog::OnUpdate__SetItem2ColListCtrl__FileDst)
    EVT_COMMAND(IVT_EVT_SET_COL2_HASH_SOURCE, wxEVT_TEXT, IVTDialog::OnUpdate__SetItem3ColListCtrl__HashSource)
    EVT_COMMAND(IVT_EVT_SET_COL3_COPY_STATUS, wxEVT_TEXT, IVTDialog::OnUpdate__SetItem4ColListCtrl_CopyStatus)
    EVT_COMMAND(IVT_EVT_SET_COL4_HASH_DESTINATION, wxEVT_TEXT, IVTDialog::OnUpdate__SetItem5ColListCtrl__DestinationHash)
    EVT_COMMAND(IVT_EVT_SET_COL5_HASH_COMPARISON, wxEVT_TEXT, IVTDialog::OnUpdate_SetItem6ColListCtrl__HashComparison)
    EVT_COMMAND(IVT_EVT_SET_ITEM_RED, wxEVT_TEXT, IVTDialog::SetItemRed)
    EVT_COMMAND(IVT_EVT_DELETE_ALL_ITEMS, wxEVT_TEXT, IVTDialog::DeleteListItem)
    EVT_COMMAND(IVT_EVT_SCROLL_LIST, wxEVT_TEXT, IVTDialog::ScrollListCtrl)
    EVT_COMMAND(IVT_EVT_SET_TC1, wxEVT_TEXT, IVTDialog::OnUpdate__Set_Tc1)
    EVT_COMMAND(IVT_EVT_SET_TC2, wxEVT_TEXT, IVTDialog::OnUpdate__Set_Tc2)
    EVT_COMMAND(IVT_EVT_SET_DISPLAYED_PATH, wxEVT_TEXT, IVTDialog::Update__m_combo2SetSelection)
    EVT_COMMAND(IVT_EVT_PROGRESS, wxEVT_TEXT, IVTDialog::ProgressBarUpdate)
    EVT_COMMAND(IVT_EVT_PROGRESS_DUPLICATES, wxEVT_TEXT, IVTDialog::ProgressBarUpdateDuplicates)

    EVT_COMMAND(IVT_EVT_SRC_DIR, wxEVT_TEXT, IVTDialog::Update__m_srcDir)
    EVT_COMMAND(IVT_EVT_DST_DIR, wxEVT_TEXT, IVTDialog::Update__m_dstDir)
    EVT_COMMAND(IVT_EVT_TMP_SRC_DIR, wxEVT_TEXT, IVTDialog::Update__m_tmp_SrcDir)
    EVT_COMMAND(IVT_EVT_APPEND_PATH_DESTINATION, wxEVT_TEXT, IVTDialog::Update__m_PathDestination)
    EVT_COMMAND(IVT_EVT_APPEND_TMP_SRC_NAME, wxEVT_TEXT, IVTDialog::Update__m_tmp_SrcName)
    EVT_COMMAND(IVT_EVT_APPEND_TMP_DST_NAME, wxEVT_TEXT, IVTDialog::Update__m_tmp_DstName)
    EVT_COMMAND(IVT_EVT_COPY_STATUS, wxEVT_TEXT, IVTDialog::Update__m_CopyStatus)
    EVT_COMMAND(IVT_EVT_COPY_HAPPENED, wxEVT_TEXT, IVTDialog::Update__m_CopyHappened)
    EVT_COMMAND(IVT_EVT_HASH_SRC_HAPPENED, wxEVT_TEXT, IVTDialog::Update__m_HashSrcHappened)
    EVT_COMMAND(IVT_EVT_HASH_DST_HAPPENED, wxEVT_TEXT, IVTDialog::Update__m_HashDstHappened)
    EVT_COMMAND(IVT_EVT_FULL_PATH, wxEVT_TEXT, IVTDialog::Update__m_fullPath)
    EVT_COMMAND(IVT_EVT_LIST_SOURCE, wxEVT_TEXT, IVTDialog::Update__m_pathSrcGetAllFiles)
    EVT_COMMAND(IVT_EVT_LIST_DESTINATION, wxEVT_TEXT, IVTDialog::Update__m_pathDstGetAllFiles)

    EVT_COMMAND(IVT_EVT_CLEAN, wxEVT_TEXT, IVTDialog::CleanFromThread)
    EVT_COMMAND(IVT_EVT_MESSAGE_BOX, wxEVT_TEXT, IVTDialog::OnMessageBox)

    EVT_COMMAND(IVT_EVT_COPY_COMPARE_END, wxEVT_TEXT, IVTDialog::CopySourceToDestinationAndCompareAFTER)
    EVT_COMMAND(IVT_EVT_NO_DUPLICATES_END, wxEVT_TEXT, IVTDialog::NoDuplicatesAFTER)
    EVT_COMMAND(IVT_EVT_COPY_END, wxEVT_TEXT, IVTDialog::CopySrcToDstFnAFTER)
    EVT_COMMAND(IVT_EVT_HASH_HELPER_END, wxEVT_TEXT, IVTDialog::HelperRunHashComparisonEmptyAFTER)
    EVT_COMMAND(IVT_EVT_HASH_SOURCE_END, wxEVT_TEXT, IVTDialog::HashSourceFnAFTER)
    EVT_COMMAND(IVT_EVT_HASH_DESTINATION_END, wxEVT_TEXT, IVTDialog::HashDestinationFnAFTER)
    EVT_COMMAND(IVT_EVT_COMPARE_END, wxEVT_TEXT, IVTDialog::CompareOnlySharedFilesAFTER)
    EVT_COMMAND(IVT_EVT_REFRESH_VIEW_END, wxEVT_TEXT, IVTDialog::RefreshView_AFTER)
wxEND_EVENT_TABLE()
// clang-format on

IVTDialog::IVTDialog(wxWindow* parent, const AppVersion& version, const wxString& title)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxSize(1320, 370),
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxRESIZE_BORDER |
                   wxSTAY_ON_TOP),
      m_SrcdefaultPath(GetUserDesktopPath()),
      m_dstDefaultPathId(GetUserDesktopPath()),
      m_txtFailed(_("Failed")),
      m_txtSuccess(_("Success")),
      m_txtNotNeeded(_("Not needed")),
      m_txtNotPossible(_("Not possible")),
      m_txtNo(_("No")),
      m_txtOk(_("Ok")),
      m_txtFileRemoved(_("File removed ")),
      m_hostRevision(version.GetLoomRevision()),
      m_platform(version.GetPlatform()),
      m_workerEvents(WorkerEventChannel::Create(this))
{
    CreateControls();

    m_startTime = DateTimeNowAsString();
    m_dstDefaultDir = ImportFolder(m_startTime);
    m_dstDir = m_dstDefaultDir;
    m_tmp_DstDir = m_dstDefaultDir;
    m_tc2->ChangeValue(m_dstDefaultDir);
    m_PathDestination = GetAllFiles(m_dstDefaultDir, AllFilesFilter(), false);

    SetMinSize(wxSize(185, 185));
    CentreOnParent(wxBOTH);
}

wxString IVTDialog::SupportAddress()
{
    return "support@korvo.com";
}

IVTDialog::~IVTDialog()
{
    // Workers still sending find the channel closed and are released from any wait.
    m_workerEvents->Detach();
}

void IVTDialog::CreateControls()
{
    auto* panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE);
    const wxSizerFlags centred = wxSizerFlags().CentreVertical();
    const wxSizerFlags label = wxSizerFlags(centred).Border(wxRIGHT, 6);

    auto* sourceRow = new wxBoxSizer(wxHORIZONTAL);
    sourceRow->Add(Label(panel, _("Source:"), 75), label);
    m_tc1 = new wxTextCtrl(panel, wxID_ANY, wxString(), wxDefaultPosition, wxSize(-1, 24), wxTE_PROCESS_ENTER);
    m_tc1->SetBackgroundColour(*wxWHITE);
    AtLeastBestSize(m_tc1);
    sourceRow->Add(m_tc1, wxSizerFlags(1).CentreVertical());
    m_buttonSrc = new wxButton(panel, wxID_ANY, _("Select a Drive, Folder or File"));
    sourceRow->Add(m_buttonSrc, wxSizerFlags(centred).Border(wxLEFT, 8));

    auto* destinationRow = new wxBoxSizer(wxHORIZONTAL);
    destinationRow->Add(Label(panel, _("Destination:"), 75), label);
    m_tc2 = new wxTextCtrl(panel, wxID_ANY, wxString(), wxDefaultPosition, wxSize(-1, 24), wxTE_PROCESS_ENTER);
    m_tc2->SetBackgroundColour(*wxWHITE);
    AtLeastBestSize(m_tc2);
    destinationRow->Add(m_tc2, wxSizerFlags(1).CentreVertical());
    m_buttonDst = new wxButton(panel, wxID_ANY, _("Select a Drive, Folder or File"));
    destinationRow->Add(m_buttonDst, wxSizerFlags(centred).Border(wxLEFT, 8));

    auto* optionsRow = new wxBoxSizer(wxHORIZONTAL);
    optionsRow->Add(Label(panel, _("Operation:"), 76), label);
    const wxString operations[] = {_("Hash Source"), _("Hash Destination"), _("Compare Source and Destination"),
                                   _("Copy Source to Destination"), _("Copy Source to Destination and Compare")};
    m_combo1 = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxSize(300, 31), WXSIZEOF(operations), operations);
    m_combo1->SetSelection(IVT_OP_COPY_AND_COMPARE);
    AtLeastBestSize(m_combo1);
    optionsRow->Add(m_combo1, centred);
    optionsRow->AddSpacer(47);
    optionsRow->Add(Label(panel, _("Target:"), 70), label);
    const wxString targets[] = {_("Include Subfolders"), _("Do Not Include SubFolders"), _("Single File")};
    m_combo4 = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, WXSIZEOF(targets), targets);
    m_combo4->SetSelection(IVT_TARGET_SUBFOLDERS);
    optionsRow->Add(m_combo4, centred);
    optionsRow->AddSpacer(50);
    optionsRow->Add(Label(panel, _("Hash Type:"), 130), label);
    const wxString hashTypes[] = {"MD5", "SHA1", "SHA256", "SHA384", "SHA512"};
    m_combo3 = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxSize(-1, 33), WXSIZEOF(hashTypes), hashTypes);
    m_combo3->SetSelection(0);
    AtLeastBestSize(m_combo3);
    optionsRow->Add(m_combo3, centred);
    optionsRow->AddSpacer(50);
    optionsRow->Add(Label(panel, _("Displayed Path:"), 132), label);
    const wxString views[] = {_(" Full"), _(" Relative")};
    m_combo2 = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxSize(-1, 33), WXSIZEOF(views), views);
    m_combo2->SetSelection(0);
    AtLeastBestSize(m_combo2);
    optionsRow->Add(m_combo2, centred);

    auto* commandRow = new wxBoxSizer(wxHORIZONTAL);
    m_buttonRun = new wxButton(panel, wxID_ANY, _("Run"), wxDefaultPosition, wxSize(-1, 25));
    AtLeastBestSize(m_buttonRun);
    commandRow->Add(m_buttonRun, centred);
    m_buttonStop = new wxButton(panel, wxID_ANY, _("Stop"), wxDefaultPosition, wxSize(-1, 25));
    AtLeastBestSize(m_buttonStop);
    commandRow->Add(m_buttonStop, wxSizerFlags(centred).Border(wxLEFT, 8));
    commandRow->AddSpacer(50);
    m_progressText = new wxStaticText(panel, wxID_ANY, _("Progress:"), wxDefaultPosition, wxSize(260, -1),
                                      wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    m_progressText->SetMinSize(m_progressText->GetSize());
    m_progress = std::make_unique<ProgressLabel>(m_progressText, SCREEN_UPDATE_INTERVAL);
    m_listScroll = std::make_unique<Throttle>(SCREEN_UPDATE_INTERVAL, [this] { ScrollListNow(); });
    commandRow->Add(m_progressText, wxSizerFlags(1).CentreVertical());
    m_buttonNoDuplicates = new wxButton(panel, wxID_ANY, _("Remove duplicates in the destination"),
                                        wxDefaultPosition, wxSize(245, 25));
    AtLeastBestSize(m_buttonNoDuplicates);
    commandRow->Add(m_buttonNoDuplicates, centred);
    commandRow->AddSpacer(50);
    m_buttonClean = new wxButton(panel, wxID_ANY, _("Clean"), wxDefaultPosition, wxSize(-1, 25));
    AtLeastBestSize(m_buttonClean);
    commandRow->Add(m_buttonClean, centred);

    m_listCtrl = new ResultListCtrl(panel, wxPoint(10, 10), wxSize(550, 310));
    m_listCtrl->SetBackgroundColour(wxColour(200, 200, 200));
    const struct
    {
        wxString heading;
        int width;
    } columns[] = {{_("File Source Path"), 430}, {_("File Destination Path"), 430}, {_("Source Hash"), 220},
                   {_("Copy Status"), 100},      {_("Destination Hash"), 220},      {_("Hash Comparison"), 120}};
    for (int i = 0; i < ResultRows::COLUMNS; ++i)
        m_listCtrl->AppendColumn(columns[i].heading, wxLIST_FORMAT_LEFT, columns[i].width);

    auto* main = new wxBoxSizer(wxVERTICAL);
    const wxSizerFlags row = wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT, 20);
    main->AddSpacer(15);
    main->Add(sourceRow, row);
    main->AddSpacer(15);
    main->Add(destinationRow, row);
    main->AddSpacer(15);
    main->Add(optionsRow, row);
    main->AddSpacer(5);
    main->Add(commandRow, row);
    main->AddSpacer(15);
    main->Add(m_listCtrl, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT, 21));
    main->AddSpacer(20);
    panel->SetSizer(main);

    m_tc1->Bind(wxEVT_TEXT_ENTER, &IVTDialog::ForTheEnterEventTc1, this);
    m_buttonSrc->Bind(wxEVT_BUTTON, &IVTDialog::OnClick__PathSource, this);
    m_tc2->Bind(wxEVT_TEXT_ENTER, &IVTDialog::ForTheEnterEventTc2, this);
    m_buttonDst->Bind(wxEVT_BUTTON, &IVTDialog::OnClick__PathDst, this);
    m_buttonRun->Bind(wxEVT_BUTTON, &IVTDialog::OnClick__Run, this);
    m_buttonStop->Bind(wxEVT_BUTTON, &IVTDialog::OnClick__Stop, this);
    m_buttonClean->Bind(wxEVT_BUTTON, &IVTDialog::OnClick__Clean, this);
    m_combo1->Bind(wxEVT_CHOICE, &IVTDialog::OperationsComboboxFn, this);
    m_combo4->Bind(wxEVT_CHOICE, &IVTDialog::RecursiveComboBoxFile, this);
    Bind(wxEVT_CLOSE_WINDOW, &IVTDialog::OnClose, this);
    m_combo2->Bind(wxEVT_CHOICE, &IVTDialog::RefreshView, this);
    m_listCtrl->Bind(wxEVT_LIST_COL_CLICK, &IVTDialog::OnColClick__Sort, this);
    m_buttonNoDuplicates->Bind(wxEVT_BUTTON, &IVTDialog::OnClick__NoDuplicates, this);
}

void IVTDialog::EnableCommandControls(bool enable)
{
    for (wxWindow* control : std::initializer_list<wxWindow*>{m_combo1, m_combo2, m_combo3, m_combo4, m_buttonSrc,
                                                              m_buttonDst, m_buttonRun, m_buttonNoDuplicates,
                                                              m_buttonClean})
        control->Enable(enable);
}

void IVTDialog::AbleWidgetsAgain()
{
    EnableCommandControls(true);
    m_operationRunning = false;
}

void IVTDialog::ResetProgressText(const wxString& text)
{
    m_progressText->SetForegroundColour(wxNullColour);
    m_progress->Show(text);
}

void IVTDialog::OnClick__Stop(wxCommandEvent&)
{
    if (!m_operationRunning)
        return;
    stopPressed = true;
    m_progress->Show(_("Please wait for the current operation to end..."));
    for (WorkerSlot* slot : {&m_copyThread, &m_hashSrcThread, &m_hashDstThread, &m_compareThread, &m_copyCompareThread})
    {
        if (slot->alive)
        {
            *slot->stop = true;
            slot->alive = false;
        }
    }
}

void IVTDialog::OnClose(wxCloseEvent& event)
{
    if (event.CanVeto() && m_runningThreads > 0)
    {
        wxMessageBox(_("The process is still running...please press the Stop Button\n and then close the window"),
                     wxString(), wxSTAY_ON_TOP, this);
        event.Veto();
        return;
    }
    if (m_runningThreads == 0)
        Destroy();
}

void IVTDialog::OperationsComboboxFn(wxCommandEvent&)
{
    if (m_combo4->GetSelection() != IVT_TARGET_SINGLE_FILE)
        return;
    // With a single file, a copy writes into a destination folder and the others read a
    // destination file: moving between the two kinds makes the destination meaningless.
    if (IvtIsCopyOperation(m_combo1->GetSelection()) != IvtIsCopyOperation(m_lastOperationSelection))
        CleanNoButtonDst();
}

void IVTDialog::RecursiveComboBoxFile(wxCommandEvent&)
{
    if (m_combo4->GetSelection() == IVT_TARGET_SINGLE_FILE && m_lastTargetSelection != IVT_TARGET_SINGLE_FILE)
        CleanNoButton();
}

void IVTDialog::Message(const wxString& caption, const wxString& text)
{
    wxMessageBox(text, caption, wxSTAY_ON_TOP, this);
}

// Choosing source and destination

void IVTDialog::SetSourcePath(const wxString& path)
{
    const int target = wxFileExists(path) ? IVT_TARGET_SINGLE_FILE : IVT_TARGET_SUBFOLDERS;
    if (m_combo4->GetSelection() != target)
    {
        m_combo4->SetSelection(target);
        wxCommandEvent choice(wxEVT_CHOICE, m_combo4->GetId());
        choice.SetInt(target);
        RecursiveComboBoxFile(choice);
    }
    m_tc1->ChangeValue(path);
    wxCommandEvent enter(wxEVT_TEXT_ENTER, m_tc1->GetId());
    ForTheEnterEventTc1(enter);
}

void IVTDialog::OnClick__PathSource(wxCommandEvent&)
{
    const int operation = m_combo1->GetSelection();
    const int target = m_combo4->GetSelection();
    // The pickers belong to this dialog, which stays on top: a picker without a
    // parent could open behind it.
    if (target == IVT_TARGET_SINGLE_FILE)
    {
        const wxString file = wxFileSelector(_("Choose a file"), m_SrcdefaultPath, wxString(), wxString(),
                                             wxFileSelectorDefaultWildcardStr, wxFD_OPEN, this);
        if (!wxFileExists(file))
            return;
        if (IvtIsCopyOperation(operation) && m_tc1->GetValue() != file && !m_tc1->GetValue().empty())
            CleanNoButton();
        m_srcFile = file;
        m_tc1->ChangeValue(file);
        m_SrcdefaultPath = wxPathOnly(file);
        if (IvtIsCopyOperation(operation))
        {
            m_pathSource.push_back(file);
            m_srcDir = wxPathOnly(file);
        }
        return;
    }

    const wxString folder =
        wxDirSelector(_("Choose a folder"), m_SrcdefaultPath, wxDD_DEFAULT_STYLE, wxDefaultPosition, this);
    if (folder.empty() || !wxDirExists(folder))
        return;
    m_tmp_SrcDir = folder;
    if (target == IVT_TARGET_FOLDER_ONLY)
    {
        if (!IsFolderWithFiles(folder, false))
        {
            Message(_("Error message"),
                    _("Error, you should choose a not-empty folder as source.\nDid you mean to use the 'Include "
                      "SubFolders' mode which includes the subfolders?\n(You're currently using the 'Do not include "
                      "Sub Folders' mode.)"));
            Message(wxString(), _("Now 'Include SubFolders' will be selected, but you can change this anytime.\nPlease "
                                  "choose again your source."));
            m_combo4->SetSelection(IVT_TARGET_SUBFOLDERS);
        }
        else
        {
            m_tc1->ChangeValue(folder);
        }
    }
    else if (!IsFolderWithFiles(folder, true))
    {
        Message(_("Error message"), _("Error, you should choose a not-empty folder as source"));
    }
    else
    {
        m_tc1->ChangeValue(folder);
    }
    m_SrcdefaultPath = m_tmp_SrcDir;
}

void IVTDialog::OnClick__PathDst(wxCommandEvent&)
{
    if (m_combo4->GetSelection() == IVT_TARGET_SINGLE_FILE && !IvtIsCopyOperation(m_combo1->GetSelection()))
    {
        const wxString file = wxFileSelector(_("Choose a file"), m_dstDefaultPathId, wxString(), wxString(),
                                             wxFileSelectorDefaultWildcardStr, wxFD_OPEN, this);
        if (file.empty())
        {
            Message(_("File destination error message"), _("Error, choose an existing file"));
            return;
        }
        m_dstFile = file;
        m_tc2->ChangeValue(file);
        m_dstDefaultPathId = wxPathOnly(file);
        return;
    }

    const wxString folder =
        wxDirSelector(_("Choose a folder"), m_dstDefaultPathId, wxDD_DEFAULT_STYLE, wxDefaultPosition, this);
    if (folder.empty())
        return;
    // The default folder not created yet holds no copy to warn about.
    const bool untouchedDefault = m_tc2->GetValue() == m_dstDefaultDir && !wxDirExists(m_dstDefaultDir);
    if (m_CopyStatus && !untouchedDefault)
    {
        Message(_("Warning message"),
                _("Warning, you already have copied the source directory to the destination:\nYou are changing the "
                  "destination folder but the previous directory used before remains untouched"));
        m_CopyStatus = false;
        m_CopyHappened = false;
        m_PathDestination.clear();
        m_listCtrl->DeleteAllRows();
    }
    m_tmp_DstDir = folder;
    m_tc2->ChangeValue(folder);
    m_dstDefaultPathId = folder;
}

void IVTDialog::ForTheEnterEventTc1(wxCommandEvent&)
{
    if (m_runningThreads > 0)
        return;
    const wxString text = m_tc1->GetValue();
    if (m_combo4->GetSelection() != IVT_TARGET_SINGLE_FILE)
    {
        if (wxFileExists(text))
        {
            Message(_("Invalid Path Error"),
                    _("Warning: you wrote a file-path and not a directory path\n(Please note the selected target)"));
            m_tc1->ChangeValue(wxString());
            return;
        }
        if (!wxDirExists(text) && text != m_dstDefaultDir)
        {
            Message(_("Invalid Path Error"), _("Invalid source path: the directory does not exist"));
            m_tc1->ChangeValue(wxString());
            return;
        }
        m_tmp_SrcDir = text;
        m_SrcdefaultPath = text;
        return;
    }

    if (!wxFileExists(text))
    {
        Message(_("Invalid Path Error"),
                wxDirExists(text)
                    ? _("Warning: you wrote a directory-path and not a file path\n(Please note the selected target)")
                    : _("Invalid source path: the file does not exist"));
        m_tc1->ChangeValue(wxString());
        return;
    }
    m_srcFile = text;
    m_SrcdefaultPath = wxPathOnly(text);
    if (IvtIsCopyOperation(m_combo1->GetSelection()))
    {
        m_CopyHappened = false;
        m_PathDestination.clear();
        m_listCtrl->DeleteAllRows();
        m_pathSource = {text};
        m_srcDir = wxPathOnly(text);
    }
}

void IVTDialog::ForTheEnterEventTc2(wxCommandEvent&)
{
    if (m_runningThreads > 0)
        return;
    const wxString text = m_tc2->GetValue();
    if (m_combo4->GetSelection() == IVT_TARGET_SINGLE_FILE && !IvtIsCopyOperation(m_combo1->GetSelection()))
    {
        if (wxDirExists(text))
        {
            Message(_("Invalid Path Error"),
                    _("Warning: you wrote a directory-path and not a file path\n(Please note the selected target)"));
            m_tc2->ChangeValue(wxString());
            return;
        }
        if (!wxFileExists(text))
        {
            Message(_("Invalid Path Error"), _("Invalid destination path: the file does not exist"));
            m_tc2->ChangeValue(wxString());
            return;
        }
        m_dstFile = text;
        m_dstDefaultPathId = wxPathOnly(text);
        return;
    }

    if (wxFileExists(text))
    {
        Message(_("Invalid Path Error"),
                _("Warning: you wrote a file-path and not a directory path\n(Please note the selected target)"));
        m_tc2->ChangeValue(m_dstDefaultDir);
        return;
    }
    if (!wxDirExists(text) && text != m_dstDefaultDir)
    {
        Message(_("Invalid Path Error"), _("Invalid destination path: the directory does not exist"));
        m_tc2->ChangeValue(m_dstDefaultDir);
        return;
    }
    m_tmp_DstDir = text;
    m_CopyStatus = false;
    m_CopyHappened = false;
    m_listCtrl->DeleteAllRows();
    m_progress->Show(_("Progress: 0%"));
    m_dstDefaultPathId = text;
}

void IVTDialog::RunListingWorker(std::unique_ptr<MyThread> worker)
{
    if (worker->Create() != wxTHREAD_NO_ERROR || worker->Run() != wxTHREAD_NO_ERROR)
    {
        Message(wxString(), _("Could not create thread"));
        return;
    }
    ++m_runningThreads;
    // Its immediate events need the GUI thread, and its queued ones are to be seen
    // when the listing returns.
    WaitDispatchingEvents([&] { return worker->HasEnded() && m_workerEvents->InFlight() == 0; });
    worker->Wait();
    --m_runningThreads;
}

void IVTDialog::SourceChoice()
{
    RunListingWorker(std::make_unique<SourceChoiceT>(this, m_combo4->GetSelection(), m_srcFile, m_tc1->GetValue(),
                                                     m_combo1->GetSelection(), m_listCtrl->RowCount(), m_tmp_SrcDir));
}

void IVTDialog::DestinationChoice()
{
    RunListingWorker(std::make_unique<DestinationChoiceT>(this, m_combo4->GetSelection(), m_dstFile,
                                                          m_pathSource.size(), m_combo1->GetSelection(),
                                                          m_listCtrl->RowCount(), m_tmp_DstDir, m_dstDir,
                                                          m_PathDestination.size()));
}

// Run

void IVTDialog::RefuseRun(const wxString& caption, const wxString& text)
{
    Message(caption, text);
    AbleWidgetsAgain();
}

void IVTDialog::OnClick__Run(wxCommandEvent&)
{
    if (m_runningThreads > 0)
        return;
    EnableCommandControls(false);
    ResetProgressText(_("Progress 0%"));
    const int target = m_combo4->GetSelection();
    const int operation = m_combo1->GetSelection();
    m_lastTargetSelection = target;
    m_lastOperationSelection = operation;
    if (target == IVT_TARGET_SINGLE_FILE)
        RunSingleFile(operation);
    else
        RunFolders(operation);
}

void IVTDialog::RunSingleFile(int operation)
{
    const bool relativeView = m_combo2->GetSelection() == 1;
    if (m_srcFile.empty() && m_tc1->GetValue().empty() &&
        (operation == IVT_OP_HASH_SOURCE || IvtIsCopyOperation(operation)))
    {
        RefuseRun(_("Missing src file error message"),
                  _("Missing source file: please choose a file. If you manually typed the path, please press enter "
                    "inside the text dialog, otherwise choose a file using the button"));
        return;
    }
    if (m_dstFile.empty() && m_PathDestination.empty() &&
        (operation == IVT_OP_HASH_DESTINATION || operation == IVT_OP_COMPARE))
    {
        RefuseRun(_("Missing dst file error message"),
                  _("Missing destination file. If you manually typed the path, please press enter inside the text "
                    "dialog, otherwise choose a file using the button"));
        return;
    }
    switch (operation)
    {
    case IVT_OP_HASH_SOURCE:
    case IVT_OP_HASH_DESTINATION:
        if (relativeView)
        {
            RefuseRun(_("Relative Displayed Path Warning"),
                      _("Please select the full displayed path before this operation.\nYou can go back to the "
                        "relative view after it."));
            return;
        }
        if (operation == IVT_OP_HASH_SOURCE)
        {
            SourceChoice();
        }
        else
        {
            if (m_listCtrl->RowCount() == 0)
                m_listCtrl->SetRowData(m_listCtrl->InsertRow(0, wxString()), 0);
            DestinationChoice();
        }
        m_listCtrl->SetCell(0, 5, wxString());
        if (operation == IVT_OP_HASH_SOURCE)
            HashSourceFn();
        else
            HashDestinationFn();
        return;
    case IVT_OP_COMPARE:
        CompareOnlySharedFiles();
        return;
    case IVT_OP_COPY:
        if (!m_CopyHappened)
        {
            SourceChoice();
            DestinationChoice();
            if (m_tc2->GetValue() == m_dstDefaultDir)
                CreateDirIfNotExists(m_dstDir);
            StartCopy(); // from the lists just made
            return;
        }
        AbleWidgetsAgain();
        return;
    case IVT_OP_COPY_AND_COMPARE:
        if (!m_CopyHappened)
        {
            SourceChoice();
            DestinationChoice();
            if (m_tc2->GetValue() == m_dstDefaultDir)
                CreateDirIfNotExists(m_dstDir);
            // The copy's end handler then compares the copy with its source.
            m_singleFileCompareAfterCopy = true;
            StartCopy();
            return;
        }
        AbleWidgetsAgain();
        return;
    default:
        AbleWidgetsAgain();
    }
}

void IVTDialog::RunFolders(int operation)
{
    if (m_CopyStatus && (!IsFolderWithFiles(m_dstDir, true) || !IsFolderWithFiles(m_dstDir, false)))
    {
        // The copy's destination was emptied from outside: a new copy may go there.
        m_PathDestination.clear();
        m_CopyStatus = false;
    }
    if (m_tmp_SrcDir.empty() && m_tc1->GetValue().empty() && operation != IVT_OP_HASH_DESTINATION)
    {
        if (operation == IVT_OP_HASH_SOURCE)
            Message(_("Empty source folder"),
                    _("Warning: you should choose a source directory in order to calculate the hash code"));
        AbleWidgetsAgain();
        return;
    }
    if (m_tc2->GetValue() == m_dstDefaultDir && m_PathDestination.empty() && IvtIsCopyOperation(operation))
        CreateDirIfNotExists(m_dstDir);

    switch (operation)
    {
    case IVT_OP_HASH_SOURCE:
    case IVT_OP_HASH_DESTINATION:
        if (m_combo2->GetSelection() == 1)
        {
            RefuseRun(_("Relative Displayed Path Warning"),
                      _("Please select the full displayed path before this operation.\nYou can go back to the "
                        "relative view after it."));
            return;
        }
        SourceChoice();
        DestinationChoice();
        {
            // Empties the comparison column first; its end starts the hashing.
            StartOperationWorker(std::make_unique<HelperRunHashComparisonEmpty>(this, m_listCtrl->RowCount(),
                                                                                operation, wxTHREAD_DETACHED),
                                 nullptr);
        }
        return;
    case IVT_OP_COMPARE:
        SourceChoice();
        DestinationChoice();
        CompareOnlySharedFiles();
        return;
    case IVT_OP_COPY:
        SourceChoice();
        DestinationChoice();
        if (!m_PathDestination.empty())
        {
            RefuseRun(_("Not empty destination directory - error message"),
                      _("Copying to a non-empty destination directory is not allowed."));
        }
        else if (m_CopyStatus)
        {
            Message(_("Double copy - error message"),
                    _("Copy has been already done: press the Clean button if you want to copy files again."));
            RemoveEmptyRows();
            AbleWidgetsAgain();
        }
        else
        {
            StartCopy(); // from the lists just made
        }
        return;
    case IVT_OP_COPY_AND_COMPARE:
        if (m_CopyStatus && !m_PathDestination.empty())
        {
            RefuseRun(_("Double copy - error message"),
                      _("Copy has been already done: press the Clean button if you want to copy files again."));
            return;
        }
        CopySourceToDestinationAndCompare();
        return;
    default:
        Message(_("No option selected - error message"), _("Error, no option selected: \nPlease choose an option"));
        RemoveEmptyRows();
        AbleWidgetsAgain();
    }
}

// Log

void IVTDialog::SaveLog()
{
    const ResultRows& rows = m_listCtrl->Rows();
    if (rows.Count() == 0)
        return;
    const LogCell cell = [&rows](std::size_t row, int column) -> const wxString&
    { return rows.GetCell(static_cast<long>(row), column); };
    const wxString desktop = GetUserDesktopPath() + wxFileName::GetPathSeparator();

    const wxString logPath = desktop + "log" + DateTimeNowAsString() + ".tsv";
    std::vector<wxString> lines = ReadLines(logPath); // a log of the same second stays in front
    LogHeadings headings;
    for (int c = 0; c < ResultRows::COLUMNS; ++c)
    {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT);
        m_listCtrl->GetColumn(c, column);
        headings[c] = column.GetText();
    }
    const std::vector<wxString> table =
        LogTableLines(rows.Count(), cell, headings, m_combo4->GetSelection() == IVT_TARGET_SINGLE_FILE);
    lines.insert(lines.end(), table.begin(), table.end());

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const wxString listPath =
        desktop + "MasterHash" + DateTimeNowAsString() + wxString::Format("%d", std::rand() % 50000) + ".txt";
    WriteLines(listPath, MasterHashListLines(rows.Count(), cell), LogEncoding::Utf8);

    const int operation = m_combo1->GetSelection();
    wxString operationName;
    if (operation == IVT_OP_HASH_SOURCE)
        operationName = "Hash Source";
    else if (operation == IVT_OP_HASH_DESTINATION)
        operationName = "Hash Destination";
    else if (operation != wxNOT_FOUND)
        operationName = m_combo1->GetString(operation);

    lines.push_back(" ");
    const auto algorithm = static_cast<HashAlgorithm>(m_combo3->GetSelection());
    const wxString masterHash = KcvCalcHashFromFile(listPath, algorithm, true);
    lines.push_back(
        wxString::Format(_("%s of this operation (%s): %s"), HashAlgorithmName(algorithm), operationName, masterHash));
    lines.push_back(_("This is the hash of a .txt file whose content is a sorted list of all the hash codes (one per "
                      "line) calculated during the current operation"));
    lines.push_back(" ");
    lines.push_back(_("Log generated on: ") + DateTimeWithSeparators(DateTimeNowAsString(), '-', ' ', ':'));
    lines.push_back(
        wxGetTranslation("Using Korvo LOOM, " + m_platform + " Copy and Verify Tool, " + "Rev. " + m_hostRevision));
    WriteLines(logPath, lines, LogEncoding::Utf16LE);
    wxRemoveFile(listPath);
    m_progress->Show(_("Log has been saved on the desktop"));
}

// Clean

void IVTDialog::OnClick__Clean(wxCommandEvent&)
{
    if (m_runningThreads <= 0)
        CleanNoButton();
}

void IVTDialog::CleanFromThread(wxCommandEvent& event)
{
    if (event.GetInt() == 1)
        CleanNoButton();
}

void IVTDialog::CleanNoButton()
{
    Clean(false);
}

void IVTDialog::CleanNoButtonDst()
{
    Clean(true);
}

void IVTDialog::Clean(bool destinationOnly)
{
    m_startTime = DateTimeNowAsString();
    m_dstDefaultDir = ImportFolder(DateTimeWithSeparators(m_startTime, '-', ' ', ' '));
    m_listCtrl->DeleteAllRows();
    if (!destinationOnly)
    {
        // A stopped worker asks for a clean while its operation still counts as
        // running: the chosen source stays for the next run.
        if (!m_operationRunning)
        {
            m_pathSource.clear();
            m_srcDir.clear();
            m_tmp_SrcDir.clear();
            m_srcFile.clear();
            m_tc1->ChangeValue(wxString());
        }
        m_operationRunning = false;
    }
    m_PathDestination.clear();
    m_dstDir = m_dstDefaultDir;
    if (!destinationOnly)
    {
        m_tmp_DstName.clear();
        m_tmp_SrcName.clear();
    }
    m_tmp_DstDir = m_dstDefaultDir;
    m_tc2->ChangeValue(m_dstDefaultDir);
    m_PathDestination = GetAllFiles(m_dstDefaultDir, AllFilesFilter(), false);
    m_fullPath = true;
    m_combo2->SetSelection(0);
    m_CopyStatus = false;
    m_CopyHappened = false;
    m_HashSrcHappened = false;
    m_HashDstHappened = false;
    m_dstFile.clear();
    ResetProgressText(_("Progress 0%"));
    for (WorkerSlot* slot : {&m_copyThread, &m_hashSrcThread, &m_hashDstThread, &m_compareThread, &m_copyCompareThread})
        slot->alive = false;
    stopPressed = false;
}

void IVTDialog::RemoveEmptyRows()
{
    m_listCtrl->RemoveBlankRows();
}

// Worker events: result list and texts

void IVTDialog::OnUpdate__InsertItemListCtrl(wxCommandEvent& event)
{
    const long row = m_listCtrl->InsertRow(event.GetInt(), event.GetString());
    m_listCtrl->SetRowData(row, static_cast<wxUIntPtr>(event.GetInt()) * 100);
}

void IVTDialog::OnUpdate__SetItem1ColListCtrl__ChangeText(wxCommandEvent& event)
{
    m_listCtrl->SetCell(event.GetInt(), 0, event.GetString());
}

bool IVTDialog::SetCellIfRows(wxCommandEvent& event, int column)
{
    if (m_listCtrl->RowCount() < 1)
        return false;
    m_listCtrl->SetCell(event.GetInt(), column, event.GetString());
    return true;
}

void IVTDialog::OnUpdate__SetItem2ColListCtrl__FileDst(wxCommandEvent& event)
{
    SetCellIfRows(event, 1);
}

void IVTDialog::OnUpdate__SetItem3ColListCtrl__HashSource(wxCommandEvent& event)
{
    if (SetCellIfRows(event, 2))
        ScrollListSoon(event.GetInt());
}

void IVTDialog::OnUpdate__SetItem4ColListCtrl_CopyStatus(wxCommandEvent& event)
{
    SetCellIfRows(event, 3);
}

void IVTDialog::OnUpdate__SetItem5ColListCtrl__DestinationHash(wxCommandEvent& event)
{
    if (SetCellIfRows(event, 4))
        ScrollListSoon(event.GetInt());
}

void IVTDialog::ScrollListSoon(int amount)
{
    // Hash cells of small files come thousands a second: the list scrolls a few
    // times a second, by the amounts asked for since it last did, so that it ends
    // where scrolling per cell would have taken it.
    m_scrollAmount += amount;
    m_listScroll->Request();
}

void IVTDialog::ScrollListNow()
{
    const auto amount = static_cast<int>(std::clamp<long long>(m_scrollAmount, INT_MIN, INT_MAX));
    m_scrollAmount = 0;
    m_listCtrl->ScrollList(0, amount);
}

void IVTDialog::OnUpdate_SetItem6ColListCtrl__HashComparison(wxCommandEvent& event)
{
    SetCellIfRows(event, 5);
}

void IVTDialog::SetItemRed(wxCommandEvent& event)
{
    m_listCtrl->SetRowTextColour(event.GetInt(), *wxRED);
}

void IVTDialog::DeleteListItem(wxCommandEvent& event)
{
    if (event.GetInt() == 100)
        m_listCtrl->DeleteAllRows();
}

void IVTDialog::ScrollListCtrl(wxCommandEvent& event)
{
    if (event.GetInt() == 1)
        m_listCtrl->ScrollList(0, 0);
}

void IVTDialog::OnUpdate__Set_Tc1(wxCommandEvent& event)
{
    m_tc1->ChangeValue(event.GetString());
}

void IVTDialog::OnUpdate__Set_Tc2(wxCommandEvent& event)
{
    m_tc2->ChangeValue(event.GetString());
}

void IVTDialog::Update__m_combo2SetSelection(wxCommandEvent& event)
{
    m_combo2->SetSelection(event.GetInt());
}

void IVTDialog::ProgressBarUpdate(wxCommandEvent& event)
{
    if (event.GetInt() == 100)
    {
        m_progress->Show(event.GetString());
        m_progressText->SetForegroundColour(progressDoneColour);
    }
    else
    {
        m_progress->ShowSoon(event.GetString());
    }
}

void IVTDialog::ProgressBarUpdateDuplicates(wxCommandEvent& event)
{
    if (event.GetInt() == 100)
        m_progress->Show(_("Duplicates removed"));
    else
        m_progress->ShowSoon(wxString::Format(_("Removing duplicates... %s%% "), event.GetString()));
}

// Worker events: fields

void IVTDialog::Update__m_srcDir(wxCommandEvent& event)
{
    m_srcDir = event.GetString();
}

void IVTDialog::Update__m_dstDir(wxCommandEvent& event)
{
    m_dstDir = event.GetString();
}

void IVTDialog::Update__m_tmp_SrcDir(wxCommandEvent& event)
{
    m_tmp_SrcDir = event.GetString();
}

void IVTDialog::Update__m_PathDestination(wxCommandEvent& event)
{
    m_PathDestination.push_back(event.GetString());
}

void IVTDialog::Update__m_tmp_SrcName(wxCommandEvent& event)
{
    m_tmp_SrcName.push_back(event.GetString());
}

void IVTDialog::Update__m_tmp_DstName(wxCommandEvent& event)
{
    m_tmp_DstName.push_back(event.GetString());
}

void IVTDialog::ShowInternalError(const char* untranslatedText)
{
    // Translated here, not by the callers: flag events come twice per copied file.
    wxMessageBox(wxGetTranslation(untranslatedText) + SupportAddress(), wxString(), wxSTAY_ON_TOP, this);
}

void IVTDialog::UpdateFlag(wxCommandEvent& event, bool& flag, const char* errorText)
{
    switch (event.GetInt())
    {
    case IVT_FLAG_TRUE:
        flag = true;
        break;
    case IVT_FLAG_FALSE:
        flag = false;
        break;
    default:
        ShowInternalError(errorText);
    }
}

void IVTDialog::Update__m_CopyStatus(wxCommandEvent& event)
{
    UpdateFlag(event, m_CopyStatus, wxTRANSLATE("Error about m_copyStatus value\n, please report it to "));
}

void IVTDialog::Update__m_CopyHappened(wxCommandEvent& event)
{
    UpdateFlag(event, m_CopyHappened, wxTRANSLATE("Error about m_copyHappened value\n, please report it to "));
}

void IVTDialog::Update__m_HashSrcHappened(wxCommandEvent& event)
{
    UpdateFlag(event, m_HashSrcHappened, wxTRANSLATE("Error about m_hashSrcHappened value\n, please report it to "));
}

void IVTDialog::Update__m_HashDstHappened(wxCommandEvent& event)
{
    UpdateFlag(event, m_HashDstHappened, wxTRANSLATE("Error about m_hashDstHappened value\n, please report it to "));
}

void IVTDialog::Update__m_fullPath(wxCommandEvent& event)
{
    UpdateFlag(event, m_fullPath, wxTRANSLATE("Error about m_fullPath value\n, please report it to "));
}

void IVTDialog::UpdateListing(wxCommandEvent& event, std::vector<wxString>& files, const wxString& folder,
                              const char* errorText)
{
    const auto list = [&](bool recursive) {
        // The sending worker has just listed the folder: its files are taken as they are.
        auto* listing = static_cast<IvtFolderListing*>(event.GetClientData());
        if (listing && listing->folder == folder && listing->recursive == recursive)
            files = std::move(listing->files);
        else
            files = GetAllFiles(folder, AllFilesFilter(), recursive);
    };
    switch (event.GetInt())
    {
    case IVT_LIST_TOP_LEVEL:
        list(false);
        break;
    case IVT_LIST_RECURSIVE:
        list(true);
        break;
    case IVT_LIST_EMPTY:
        files.clear();
        break;
    default:
        ShowInternalError(errorText);
    }
}

void IVTDialog::Update__m_pathSrcGetAllFiles(wxCommandEvent& event)
{
    UpdateListing(event, m_pathSource, m_tmp_SrcDir, wxTRANSLATE("Error about m_PathSrcGetAllFiles value\n, please report it to "));
}

void IVTDialog::Update__m_pathDstGetAllFiles(wxCommandEvent& event)
{
    UpdateListing(event, m_PathDestination, m_tmp_DstDir,
                  wxTRANSLATE("Error about m_PathDstGetAllFiles value\n, please report it to "));
}

// Worker events: messages

void IVTDialog::OnMessageBox(wxCommandEvent& event)
{
    const int code = event.GetInt();
    const auto message = std::find_if(std::begin(workerMessages), std::end(workerMessages),
                                      [code](const MessageText& m) { return m.code == code; });
    if (message == std::end(workerMessages))
        return;
    wxMessageBox(wxGetTranslation(message->message), wxGetTranslation(message->caption), wxSTAY_ON_TOP, this);

    switch (code)
    {
    case IVT_MSG_FULL_VIEW_FIRST:
        m_combo2->SetSelection(0);
        break;
    case IVT_MSG_COMPARE_EMPTY_DESTINATION:
        ResetProgressText(_("Progress: 0%  "));
        m_listCtrl->DeleteAllRows();
        break;
    case IVT_MSG_DESTINATION_NOT_EMPTY:
        m_listCtrl->DeleteAllRows();
        break;
    case IVT_MSG_SOURCE_FOLDER_EMPTY:
        ResetProgressText(_("Progress: 0%  "));
        AbleWidgetsAgain();
        break;
    default:
        break;
    }
}

// Worker events: end of a worker

void IVTDialog::MarkFailedRowsRed()
{
    for (long row = 0; row < m_listCtrl->RowCount(); ++row)
    {
        if (m_listCtrl->GetCell(row, 5) == m_txtNo || m_listCtrl->GetCell(row, 3) == m_txtFailed ||
            m_listCtrl->GetCell(row, 1).Contains(m_txtFileRemoved))
            m_listCtrl->SetRowTextColour(row, *wxRED);
    }
}

void IVTDialog::CopySourceToDestinationAndCompareAFTER(wxCommandEvent& event)
{
    if (event.GetInt() == 3)
    {
        m_copyCompareThread.alive = false;
        MarkFailedRowsRed();
        SaveLog();
        RemoveEmptyRows();
        AbleWidgetsAgain();
    }
    --m_runningThreads;
}

void IVTDialog::NoDuplicatesAFTER(wxCommandEvent& event)
{
    if (event.GetInt() == 4)
        --m_runningThreads;
    else
        wxMessageBox(_("Error - No duplicates After, please report to") + " " + SupportAddress(),
                     _("After thread error message"), wxSTAY_ON_TOP, this);
}

void IVTDialog::CopySrcToDstFnAFTER(wxCommandEvent& event)
{
    --m_runningThreads;
    m_copyThread.alive = false;
    if (event.GetInt() == IVT_COPY_END_SINGLE_FILE && m_singleFileCompareAfterCopy)
    {
        m_singleFileCompareAfterCopy = false;
        if (m_CopyHappened || !m_pathSource.empty())
        {
            if (!m_CopyHappened)
                Message(_("Info"), _("Only comparison has been done"));
            // The operation goes on in the compare: the controls stay disabled, and its
            // end handler writes the one log of the whole operation.
            CompareOnlySharedFiles();
            return;
        }
    }
    SaveLog();
    RemoveEmptyRows();
    AbleWidgetsAgain();
}

void IVTDialog::HelperRunHashComparisonEmptyAFTER(wxCommandEvent& event)
{
    --m_runningThreads;
    switch (event.GetInt())
    {
    case 7:
        HashSourceFn();
        return;
    case 8:
        HashDestinationFn();
        return;
    default:
        wxMessageBox(_("Error HelperRunHashThread, please report the bug"), _("HelperRunHash error"), wxSTAY_ON_TOP,
                     this);
        RemoveEmptyRows();
        AbleWidgetsAgain();
    }
}

void IVTDialog::FinishHashing(WorkerSlot& slot, int hashColumn)
{
    --m_runningThreads;
    slot.alive = false;
    AbleWidgetsAgain();
    RemoveEmptyRows();
    // A stopped run has cleaned its list: no hash, no log.
    for (long row = 0; row < m_listCtrl->RowCount(); ++row)
    {
        if (!m_listCtrl->GetCell(row, hashColumn).empty())
        {
            SaveLog();
            return;
        }
    }
}

void IVTDialog::HashSourceFnAFTER(wxCommandEvent&)
{
    FinishHashing(m_hashSrcThread, 2);
}

void IVTDialog::HashDestinationFnAFTER(wxCommandEvent&)
{
    FinishHashing(m_hashDstThread, 4);
}

void IVTDialog::CompareOnlySharedFilesAFTER(wxCommandEvent&)
{
    SaveLog(); // first, while the list is as the worker left it
    for (long row = 0; row < m_listCtrl->RowCount(); ++row)
    {
        if (!m_listCtrl->GetCell(row, 2).empty())
            m_HashSrcHappened = true;
        if (!m_listCtrl->GetCell(row, 4).empty())
            m_HashDstHappened = true;
    }
    --m_runningThreads;
    m_compareThread.alive = false;
    RemoveEmptyRows();
    AbleWidgetsAgain();
}

void IVTDialog::RefreshView_AFTER(wxCommandEvent&)
{
    --m_runningThreads;
    SaveLog();
}

// Workers of the results upkeep

std::vector<wxString> IVTDialog::ColumnTexts(int column) const
{
    std::vector<wxString> texts;
    texts.reserve(static_cast<std::size_t>(m_listCtrl->RowCount()));
    for (long row = 0; row < m_listCtrl->RowCount(); ++row)
        texts.push_back(m_listCtrl->GetCell(row, column));
    return texts;
}

// Full and relative path views, column sort

void IVTDialog::RefreshView(wxCommandEvent&)
{
    if (m_runningThreads > 0)
        return;
    PathViewSnapshot view;
    view.requestedView = m_combo2->GetSelection();
    view.fullViewNow = m_fullPath;
    view.sourceCells = ColumnTexts(0);
    view.destinationCells = ColumnTexts(1);
    const auto hasText = [](const std::vector<wxString>& cells)
    { return std::any_of(cells.begin(), cells.end(), [](const wxString& c) { return !c.empty(); }); };
    view.hasSourcePaths = hasText(view.sourceCells);
    view.hasDestinationPaths = hasText(view.destinationCells);
    view.sourceFile = m_srcFile;
    view.destinationFile = m_dstFile;
    view.recordedSourcePaths = m_tmp_SrcName;
    view.recordedDestinationPaths = m_tmp_DstName;
    view.sourceFolder = m_srcDir;
    view.destinationFolder = m_dstDir;
    view.operation = m_combo1->GetSelection();
    view.target = m_combo4->GetSelection();
    StartOperationWorker(std::make_unique<RefreshViewThread>(this, view), nullptr);
}

void IVTDialog::OnColClick__Sort(wxListEvent& event)
{
    if (m_runningThreads > 0)
        return;
    const int column = event.GetColumn();
    if (column == -1)
        return;
    wxLogDebug("column = %d", column);

    // Each row's text is looked up by its item data, not searched for per comparison.
    const long rows = m_listCtrl->RowCount();
    ListSortKeys keys;
    keys.Reserve(static_cast<std::size_t>(rows));
    std::vector<wxUIntPtr> dataBefore;
    dataBefore.reserve(static_cast<std::size_t>(rows));
    for (long row = 0; row < rows; ++row)
    {
        const wxUIntPtr data = m_listCtrl->GetRowData(row);
        keys.Add(static_cast<wxIntPtr>(data), m_listCtrl->GetCell(row, column));
        dataBefore.push_back(data);
    }
    m_listCtrl->SortRows(ListSortKeys::Compare, reinterpret_cast<wxIntPtr>(&keys));

    // In the relative view the recorded full paths move with their rows.
    if (!m_fullPath)
    {
        std::vector<wxUIntPtr> dataAfter;
        dataAfter.reserve(dataBefore.size());
        for (long row = 0; row < rows; ++row)
            dataAfter.push_back(m_listCtrl->GetRowData(row));
        ReorderLatestRecording(m_tmp_SrcName, dataBefore, dataAfter);
        ReorderLatestRecording(m_tmp_DstName, dataBefore, dataAfter);
    }
}

// Duplicate removal in the destination

void IVTDialog::OnClick__NoDuplicates(wxCommandEvent&)
{
    if (m_listCtrl->RowCount() == 0)
        return;
    if (m_runningThreads > 0 || !m_CopyHappened)
    {
        Message(_("Error message duplicates"),
                _("Error: you can use this function only if the destination folder\nyou want to remove the "
                  "duplicates from is a directory copied from a source.\nSource files should remain untouched!"));
        return;
    }
    if (m_combo2->GetSelection() != 0 || !m_fullPath)
    {
        Message(_("Warning view message"), _("Warning: you should select the full-path view before"));
        return;
    }
    StartOperationWorker(
        std::make_unique<deleteDuplicatesThread>(this, ColumnTexts(1), ColumnTexts(4), m_txtFileRemoved), nullptr);
}

// Hashing and comparing

bool IVTDialog::StartOperationWorker(std::unique_ptr<MyThread> worker, WorkerSlot* slot, const wxString& failureText)
{
    const auto fail = [this, slot, &failureText]
    {
        if (slot)
            slot->alive = false;
        Message(wxString(), failureText.empty() ? _("Could not create thread") : failureText);
        RemoveEmptyRows();
        AbleWidgetsAgain();
        return false;
    };
    if (worker->Create() != wxTHREAD_NO_ERROR)
        return fail();
    if (slot)
    {
        m_operationRunning = true;
        slot->Start(worker->GetStopFlag());
    }
    if (worker->Run() != wxTHREAD_NO_ERROR)
        return fail();
    // Detached and running: from here on the thread owns itself and deletes itself when it ends.
    worker.release();
    ++m_runningThreads;
    return true;
}

void IVTDialog::HashSourceFn()
{
    StartOperationWorker(std::make_unique<HashSourceThread>(this, m_combo4->GetSelection(), m_pathSource, m_srcFile,
                                                            m_listCtrl->RowCount(), m_combo3->GetSelection()),
                         &m_hashSrcThread);
}

void IVTDialog::HashDestinationFn()
{
    StartOperationWorker(std::make_unique<HashDstThread>(this, m_combo4->GetSelection(), m_combo1->GetSelection(),
                                                         m_PathDestination, m_dstFile, m_CopyStatus,
                                                         m_listCtrl->RowCount(), m_combo3->GetSelection()),
                         &m_hashDstThread);
}

void IVTDialog::CompareOnlySharedFiles()
{
    // The list is emptied by the worker, in order with its rows.
    StartOperationWorker(std::make_unique<CompareOnlySharedThread>(
                             this, m_combo4->GetSelection(), m_combo1->GetSelection(), m_combo3->GetSelection(),
                             m_srcFile, m_dstFile, m_srcDir, m_dstDir, m_pathSource, m_PathDestination, m_CopyStatus),
                         &m_compareThread);
}

// Copying

void IVTDialog::CopySrcToDstFn()
{
    m_listCtrl->DeleteAllRows();
    SourceChoice();
    DestinationChoice();
    StartCopy();
}

void IVTDialog::StartCopy()
{
    m_listCtrl->DeleteAllRows();
    auto worker = std::make_unique<CopySrcToDstThread>(this, m_combo1->GetSelection(), m_combo4->GetSelection(),
                                                       m_srcFile, m_srcDir, m_dstDir, m_tc2->GetValue(), m_pathSource,
                                                       m_PathDestination, m_CopyStatus, m_CopyHappened);
    if (!StartOperationWorker(std::move(worker), &m_copyThread))
        m_singleFileCompareAfterCopy = false;
}

void IVTDialog::CopySourceToDestinationAndCompare()
{
    m_listCtrl->DeleteAllRows();
    SourceChoice();
    DestinationChoice();
    StartOperationWorker(std::make_unique<CopySrcToDstAndCompareThread>(this, m_pathSource, m_PathDestination,
                                                                        m_srcDir, m_dstDir, m_combo3->GetSelection()),
                         &m_copyCompareThread, _("Could not create or run thread"));
}
