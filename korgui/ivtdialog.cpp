#include "korgui/ivtdialog.h"

#include "korgui/datetimetext.h"
#include "korgui/ivtprotocol.h"
#include "korgui/resultlist.h"
#include "korgui/workerevents.h"

#include "korbase/datetime.h"
#include "korbase/files.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{

const wxColour progressDoneColour(25, 210, 87);

wxString ImportFolder(const wxString& dateTimeText)
{
    return GetUserDesktopPath() + wxFileName::GetPathSeparator() + "import-" + dateTimeText;
}

// A deep copy of a translation, safe to hand to a worker thread.
wxString Translated(const char* text)
{
    return wxString(wxGetTranslation(text).wc_str());
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
      m_txtFailed(Translated(wxTRANSLATE("Failed"))),
      m_txtSuccess(Translated(wxTRANSLATE("Success"))),
      m_txtNotNeeded(Translated(wxTRANSLATE("Not needed"))),
      m_txtNotPossible(Translated(wxTRANSLATE("Not possible"))),
      m_txtNo(Translated(wxTRANSLATE("No"))),
      m_txtOk(Translated(wxTRANSLATE("Ok"))),
      m_txtFileRemoved(Translated(wxTRANSLATE("File removed "))),
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

    m_buttonStop->Bind(wxEVT_BUTTON, &IVTDialog::OnClick__Stop, this);
    m_buttonClean->Bind(wxEVT_BUTTON, &IVTDialog::OnClick__Clean, this);
    m_combo1->Bind(wxEVT_CHOICE, &IVTDialog::OperationsComboboxFn, this);
    m_combo4->Bind(wxEVT_CHOICE, &IVTDialog::RecursiveComboBoxFile, this);
    Bind(wxEVT_CLOSE_WINDOW, &IVTDialog::OnClose, this);
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
    m_progressText->SetLabelText(text);
}

void IVTDialog::OnClick__Stop(wxCommandEvent&)
{
    if (!m_operationRunning)
        return;
    stopPressed = true;
    m_progressText->SetLabelText(_("Please wait for the current operation to end..."));
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
    const auto isCopy = [](int operation) { return operation == IVT_OP_COPY || operation == IVT_OP_COPY_AND_COMPARE; };
    // With a single file, a copy writes into a destination folder and the others read a
    // destination file: moving between the two kinds makes the destination meaningless.
    if (isCopy(m_combo1->GetSelection()) != isCopy(m_lastOperationSelection))
        CleanNoButtonDst();
}

void IVTDialog::RecursiveComboBoxFile(wxCommandEvent&)
{
    if (m_combo4->GetSelection() == IVT_TARGET_SINGLE_FILE && m_lastTargetSelection != IVT_TARGET_SINGLE_FILE)
        CleanNoButton();
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
        m_listCtrl->ScrollList(0, event.GetInt());
}

void IVTDialog::OnUpdate__SetItem4ColListCtrl_CopyStatus(wxCommandEvent& event)
{
    SetCellIfRows(event, 3);
}

void IVTDialog::OnUpdate__SetItem5ColListCtrl__DestinationHash(wxCommandEvent& event)
{
    if (SetCellIfRows(event, 4))
        m_listCtrl->ScrollList(0, event.GetInt());
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
    m_progressText->SetLabelText(event.GetString());
    if (event.GetInt() == 100)
        m_progressText->SetForegroundColour(progressDoneColour);
}

void IVTDialog::ProgressBarUpdateDuplicates(wxCommandEvent& event)
{
    m_progressText->SetLabelText(wxString::Format(_("Removing duplicates... %s%% "), event.GetString()));
    if (event.GetInt() == 100)
        m_progressText->SetLabelText(_("Duplicates removed"));
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

void IVTDialog::ShowInternalError(const wxString& text)
{
    wxMessageBox(text + SupportAddress(), wxString(), wxSTAY_ON_TOP, this);
}

void IVTDialog::UpdateFlag(wxCommandEvent& event, bool& flag, const wxString& errorText)
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
    UpdateFlag(event, m_CopyStatus, _("Error about m_copyStatus value\n, please report it to "));
}

void IVTDialog::Update__m_CopyHappened(wxCommandEvent& event)
{
    UpdateFlag(event, m_CopyHappened, _("Error about m_copyHappened value\n, please report it to "));
}

void IVTDialog::Update__m_HashSrcHappened(wxCommandEvent& event)
{
    UpdateFlag(event, m_HashSrcHappened, _("Error about m_hashSrcHappened value\n, please report it to "));
}

void IVTDialog::Update__m_HashDstHappened(wxCommandEvent& event)
{
    UpdateFlag(event, m_HashDstHappened, _("Error about m_hashDstHappened value\n, please report it to "));
}

void IVTDialog::Update__m_fullPath(wxCommandEvent& event)
{
    UpdateFlag(event, m_fullPath, _("Error about m_fullPath value\n, please report it to "));
}

void IVTDialog::UpdateListing(wxCommandEvent& event, std::vector<wxString>& files, const wxString& folder,
                              const wxString& errorText)
{
    switch (event.GetInt())
    {
    case IVT_LIST_TOP_LEVEL:
        files = GetAllFiles(folder, AllFilesFilter(), false);
        break;
    case IVT_LIST_RECURSIVE:
        files = GetAllFiles(folder, AllFilesFilter(), true);
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
    UpdateListing(event, m_pathSource, m_tmp_SrcDir, _("Error about m_PathSrcGetAllFiles value\n, please report it to "));
}

void IVTDialog::Update__m_pathDstGetAllFiles(wxCommandEvent& event)
{
    UpdateListing(event, m_PathDestination, m_tmp_DstDir,
                  _("Error about m_PathDstGetAllFiles value\n, please report it to "));
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

void IVTDialog::CopySrcToDstFnAFTER(wxCommandEvent&)
{
    --m_runningThreads;
    m_copyThread.alive = false;
    RemoveEmptyRows();
    AbleWidgetsAgain();
}

void IVTDialog::HelperRunHashComparisonEmptyAFTER(wxCommandEvent& event)
{
    --m_runningThreads;
    const int next = event.GetInt();
    if (next != 7 && next != 8)
        wxMessageBox(_("Error HelperRunHashThread, please report the bug"), _("HelperRunHash error"), wxSTAY_ON_TOP,
                     this);
    RemoveEmptyRows();
    AbleWidgetsAgain();
}

void IVTDialog::HashSourceFnAFTER(wxCommandEvent&)
{
    --m_runningThreads;
    m_hashSrcThread.alive = false;
    AbleWidgetsAgain();
    RemoveEmptyRows();
}

void IVTDialog::HashDestinationFnAFTER(wxCommandEvent&)
{
    --m_runningThreads;
    m_hashDstThread.alive = false;
    AbleWidgetsAgain();
    RemoveEmptyRows();
}

void IVTDialog::CompareOnlySharedFilesAFTER(wxCommandEvent&)
{
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
}
