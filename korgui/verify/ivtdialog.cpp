#include "korgui/ivtdialog.h"

#include "korgui/common/uniquefolder.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/ivtworkers.h"
#include "korgui/verify/progresslabel.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/toolmessage.h"
#include "korgui/verify/workerevents.h"

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

} // namespace

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
    m_dstDefaultDir = DefaultDestinationFolder(m_startTime);
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
    const wxString hashTypes[] = {"MD5", "SHA1", "SHA256", "SHA384", "SHA512", "XXH64", "XXH3", "XXH128"};
    m_combo3 = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxSize(-1, 33), WXSIZEOF(hashTypes), hashTypes);
    m_combo3->SetSelection(0);
    AtLeastBestSize(m_combo3);
    optionsRow->Add(m_combo3, centred);
    optionsRow->AddSpacer(50);
    optionsRow->Add(Label(panel, _("Displayed Path:"), 132), label);
    const wxString views[] = {_(" Full"), _(" Relative")};
    m_combo2 = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxSize(-1, 33), WXSIZEOF(views), views);
    m_combo2->SetSelection(IVT_VIEW_FULL);
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
    // A log being written takes a moment and needs no Stop: the close waits for it.
    if (m_logsBeingWritten > 0 && m_runningThreads == m_logsBeingWritten)
        WaitDispatchingEvents([this] { return m_logsBeingWritten == 0; });
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

void IVTDialog::Message(const ToolMessage& message)
{
    // The translation of an empty key would be the catalogue's header.
    const wxString caption = *message.caption ? wxGetTranslation(message.caption) : wxString();
    Message(caption, wxGetTranslation(message.text));
}

wxString IVTDialog::DefaultDestinationFolder(const wxString& dateTimeText)
{
    // Each dialog of the process gets a name of its own, even within one second.
    return UniqueFolderPath(GetUserDesktopPath(), "import-" + dateTimeText);
}
