#include "korgui/ivtdialog.h"

#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/progresslabel.h"
#include "korgui/verify/resultlist.h"
#include "korgui/common/throttle.h"

#include "korbase/files.h"

#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <climits>

namespace
{

const wxColour PROGRESS_DONE_COLOUR(25, 210, 87);

struct MessageText
{
    int code;
    const char* caption;
    const char* message;
};

// The messages a worker asks for with IVT_EVT_MESSAGE_BOX.
const MessageText WORKER_MESSAGES[] = {
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

// Worker events: result list and texts

void IVTDialog::OnUpdate__InsertItemListCtrl(wxCommandEvent& event)
{
    const long row = m_listCtrl->InsertRow(event.GetInt(), event.GetString());
    m_listCtrl->SetRowData(row, static_cast<wxUIntPtr>(event.GetInt()) * 100);
}

void IVTDialog::OnUpdate__SetItem1ColListCtrl__ChangeText(wxCommandEvent& event)
{
    m_listCtrl->SetCell(event.GetInt(), IVT_COL_SOURCE_PATH, event.GetString());
}

bool IVTDialog::SetCellIfRows(wxCommandEvent& event, ResultColumn column)
{
    if (m_listCtrl->RowCount() < 1)
        return false;
    m_listCtrl->SetCell(event.GetInt(), column, event.GetString());
    return true;
}

void IVTDialog::OnUpdate__SetItem2ColListCtrl__FileDst(wxCommandEvent& event)
{
    SetCellIfRows(event, IVT_COL_DESTINATION_PATH);
}

void IVTDialog::OnUpdate__SetItem3ColListCtrl__HashSource(wxCommandEvent& event)
{
    if (SetCellIfRows(event, IVT_COL_SOURCE_HASH))
        ScrollListSoon(event.GetInt());
}

void IVTDialog::OnUpdate__SetItem4ColListCtrl_CopyStatus(wxCommandEvent& event)
{
    SetCellIfRows(event, IVT_COL_COPY_STATUS);
}

void IVTDialog::OnUpdate__SetItem5ColListCtrl__DestinationHash(wxCommandEvent& event)
{
    if (SetCellIfRows(event, IVT_COL_DESTINATION_HASH))
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
    SetCellIfRows(event, IVT_COL_HASH_COMPARISON);
}

void IVTDialog::SetItemRed(wxCommandEvent& event)
{
    m_listCtrl->SetRowTextColour(event.GetInt(), *wxRED);
}

void IVTDialog::DeleteListItem(wxCommandEvent& event)
{
    if (event.GetInt() == IVT_DELETE_ALL)
        m_listCtrl->DeleteAllRows();
}

void IVTDialog::ScrollListCtrl(wxCommandEvent& event)
{
    if (event.GetInt() == IVT_SCROLL_TO_TOP)
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
    if (event.GetInt() == IVT_PROGRESS_DONE)
    {
        m_progress->Show(event.GetString());
        m_progressText->SetForegroundColour(PROGRESS_DONE_COLOUR);
    }
    else
    {
        m_progress->ShowSoon(event.GetString());
    }
}

void IVTDialog::ProgressBarUpdateDuplicates(wxCommandEvent& event)
{
    if (event.GetInt() == IVT_PROGRESS_DONE)
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

void IVTDialog::UpdateListing(wxCommandEvent& event, PathList& files,
                              std::vector<ListingProblem>& problems, const wxString& folder, const char* errorText)
{
    const auto list = [&](bool recursive) {
        // The sending worker has just listed the folder: its files are taken as they are.
        auto* listing = static_cast<IvtFolderListing*>(event.GetClientData());
        problems.clear();
        if (listing && listing->folder == folder && listing->recursive == recursive)
        {
            files = std::move(listing->files);
            problems = std::move(listing->problems);
        }
        else
        {
            files = GetAllFiles(folder, AllFilesFilter(), recursive, &problems);
        }
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
        problems.clear();
        break;
    default:
        ShowInternalError(errorText);
    }
}

std::vector<ListingProblem> IVTDialog::ListingProblems(const std::vector<ListingProblem>& problems) const
{
    return m_combo4->GetSelection() == IVT_TARGET_SINGLE_FILE ? std::vector<ListingProblem>() : problems;
}

void IVTDialog::Update__m_pathSrcGetAllFiles(wxCommandEvent& event)
{
    UpdateListing(event, m_pathSource, m_sourceProblems, m_tmp_SrcDir,
                  wxTRANSLATE("Error about m_PathSrcGetAllFiles value\n, please report it to "));
}

void IVTDialog::Update__m_pathDstGetAllFiles(wxCommandEvent& event)
{
    UpdateListing(event, m_PathDestination, m_destinationProblems, m_tmp_DstDir,
                  wxTRANSLATE("Error about m_PathDstGetAllFiles value\n, please report it to "));
}

// Worker events: messages

void IVTDialog::OnMessageBox(wxCommandEvent& event)
{
    const int code = event.GetInt();
    const auto message = std::find_if(std::begin(WORKER_MESSAGES), std::end(WORKER_MESSAGES),
                                      [code](const MessageText& m) { return m.code == code; });
    if (message == std::end(WORKER_MESSAGES))
        return;
    wxMessageBox(wxGetTranslation(message->message), wxGetTranslation(message->caption), wxSTAY_ON_TOP, this);

    switch (code)
    {
    case IVT_MSG_FULL_VIEW_FIRST:
        m_combo2->SetSelection(IVT_VIEW_FULL);
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
