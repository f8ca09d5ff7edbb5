#include "korgui/ivtdialog.h"

#include "korgui/verify/datetimetext.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/progresslabel.h"
#include "korgui/verify/resultlist.h"
#include "korverify/verifylog.h"

#include "korbase/datetime.h"
#include "korbase/files.h"
#include "korbase/hash.h"

#include <wx/choice.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include <cstdlib>
#include <ctime>

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
