// 100,000 result rows, each an insert and five cell events sent from a worker
// thread through the dialog's event channel: applied by IVTDialog (virtual list),
// beside the same events applied to a plain report-mode wxListCtrl, which receives
// them through the same channel.
//
// On the same 100,000 rows: the column sort by a hash column beside std::sort of the
// same strings, and the duplicate removal of rows without duplicates (button to end
// event, its closing message answered at once) beside filling a std::unordered_set
// with the same hashes.

#include "benchcommon.h"

#include "korgui/ivtdialog.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/workerevents.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/stattext.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <unordered_set>
#include <vector>

namespace
{

const int rows = 100000;

// What a copy-and-compare worker sends for each file.
void SendRows(WorkerEventChannel& channel)
{
    for (int i = 0; i < rows; ++i)
    {
        const wxString name = wxString::Format("/home/user/footage/day%03d/clip%06d.mov", i / 1000, i);
        channel.Post(IVT_EVT_INSERT_ITEM, i, name);
        channel.Post(IVT_EVT_SET_COL1_FILE_DST, i, "/media/backup" + name);
        channel.Post(IVT_EVT_SET_COL2_HASH_SOURCE, i, wxString::Format("%032x", i));
        channel.Post(IVT_EVT_SET_COL3_COPY_STATUS, i, "Success");
        channel.Post(IVT_EVT_SET_COL4_HASH_DESTINATION, i, wxString::Format("%032x", i));
        channel.Post(IVT_EVT_SET_COL5_HASH_COMPARISON, i, "Ok");
    }
}

// Seconds from the first event sent until the last one is applied and the list painted.
double Measure(WorkerEventChannel& channel, wxWindow* list)
{
    const auto start = std::chrono::steady_clock::now();
    std::atomic<bool> sent{false};
    std::thread worker([&] {
        SendRows(channel);
        sent = true;
    });
    WaitDispatchingEvents([&] { return sent.load() && channel.InFlight() == 0; });
    worker.join();
    list->Refresh();
    list->Update();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The reference: the same handlers on a plain report list.
class PlainListFrame : public wxFrame
{
public:
    PlainListFrame() : wxFrame(nullptr, wxID_ANY, "reference", wxDefaultPosition, wxSize(1320, 370))
    {
        list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT);
        const char* headings[] = {"File Source Path", "File Destination Path", "Source Hash",
                                  "Copy Status",      "Destination Hash",      "Hash Comparison"};
        for (const char* h : headings)
            list->AppendColumn(h, wxLIST_FORMAT_LEFT, 200);
        Bind(wxEVT_TEXT, &PlainListFrame::OnEvent, this);
    }

    wxListCtrl* list;

private:
    void OnEvent(wxCommandEvent& event)
    {
        const int row = event.GetInt();
        if (event.GetId() == IVT_EVT_INSERT_ITEM)
        {
            const long index = list->InsertItem(row, event.GetString());
            list->SetItemData(index, row * 100);
            return;
        }
        if (list->GetItemCount() < 1)
            return;
        const int column = event.GetId() - IVT_EVT_SET_COL1_FILE_DST + 1;
        list->SetItem(row, column, event.GetString());
        if (event.GetId() == IVT_EVT_SET_COL2_HASH_SOURCE || event.GetId() == IVT_EVT_SET_COL4_HASH_DESTINATION)
            list->ScrollList(0, row);
    }
};

// A hash-like text of `i`, in no particular order.
wxString MixedHash(unsigned i)
{
    wxString hash;
    for (unsigned part = 1; part <= 4; ++part)
    {
        unsigned x = (i + 1) * 2654435761u * part;
        x ^= x >> 15;
        hash += wxString::Format("%08x", x * 2246822519u);
    }
    return hash;
}

bool BenchColumnSort(IVTDialog* dialog)
{
    ResultListCtrl* list = dialog->m_listCtrl;
    const int hashColumn = 2;
    std::vector<wxString> hashes;
    for (long row = 0; row < list->RowCount(); ++row)
    {
        hashes.push_back(MixedHash(static_cast<unsigned>(row)));
        list->SetCell(row, hashColumn, hashes.back());
    }
    std::vector<wxString> strings;
    const auto prepare = [&]
    {
        // Both sides start from the copy order.
        list->SortRows([](wxIntPtr a, wxIntPtr b, wxIntPtr) { return a < b ? -1 : (a > b ? 1 : 0); }, 0);
        strings = hashes;
    };
    const auto ours = [&]
    {
        wxListEvent click(wxEVT_LIST_COL_CLICK, list->GetId());
        click.SetEventObject(list);
        click.m_col = hashColumn;
        list->ProcessWindowEvent(click);
        list->Update();
    };
    const auto reference = [&]
    { std::sort(strings.begin(), strings.end(), [](const wxString& a, const wxString& b) { return a.Cmp(b) < 0; }); };
    const wxLogLevel level = wxLog::GetLogLevel();
    wxLog::SetLogLevel(wxLOG_Info); // no "column = 2" line per run
    const bool pass = korbench::Compare("column_sort_100000_rows_vs_std_sort", 5, ours, reference, 10, prepare);

    // Compare ends with the reference: sort once more to check the outcome.
    prepare();
    ours();
    wxLog::SetLogLevel(level);
    bool sorted = true;
    for (long row = 1; row < list->RowCount(); ++row)
        sorted &= list->GetCell(row - 1, hashColumn).Cmp(list->GetCell(row, hashColumn)) <= 0;
    if (!sorted)
        std::fprintf(stderr, "the column sort left rows out of order\n");
    return pass && sorted;
}

bool BenchDuplicateScan(IVTDialog* dialog)
{
    korbench::AnswerEveryDialog answer;
    ResultListCtrl* list = dialog->m_listCtrl;
    dialog->m_CopyHappened = true;
    std::vector<wxString> hashes;
    for (long row = 0; row < list->RowCount(); ++row)
        hashes.push_back(list->GetCell(row, 4));

    const auto ours = [&]
    {
        wxCommandEvent click(wxEVT_BUTTON, dialog->m_buttonNoDuplicates->GetId());
        click.SetEventObject(dialog->m_buttonNoDuplicates);
        dialog->m_buttonNoDuplicates->ProcessWindowEvent(click);
        WaitDispatchingEvents([&] { return dialog->m_runningThreads == 0; });
    };
    std::size_t distinct = 0;
    const auto reference = [&]
    {
        std::unordered_set<wxString> set;
        for (const wxString& h : hashes)
            set.insert(h);
        distinct = set.size();
    };
    const bool pass = korbench::Compare("duplicate_scan_100000_rows_vs_unordered_set", 5, ours, reference, 5);

    bool untouched = distinct == hashes.size();
    for (long row = 0; row < list->RowCount(); ++row)
        untouched &= list->GetRowTextColour(row) == wxNullColour;
    if (!untouched)
        std::fprintf(stderr, "rows without duplicates were touched\n");
    return pass && untouched && dialog->m_progressText->GetLabelText() == "Duplicates removed";
}

} // namespace

int main(int argc, char** argv)
{
    korbench::WxSession wx(argc, argv);

    auto* dialog = new IVTDialog(nullptr, AppVersion(), "Copy and Verify");
    dialog->Show();
    wxTheApp->Yield(true);
    const double ours = Measure(*dialog->GetWorkerEvents(), dialog);
    const bool complete = dialog->m_listCtrl->RowCount() == rows && dialog->m_listCtrl->GetCell(rows - 1, 5) == "Ok";
    bool upkeep = complete && BenchColumnSort(dialog);
    upkeep = complete && BenchDuplicateScan(dialog) && upkeep;
    dialog->Destroy();

    auto* frame = new PlainListFrame;
    frame->Show();
    wxTheApp->Yield(true);
    auto channel = WorkerEventChannel::Create(frame);
    const double reference = Measure(*channel, frame);
    const bool referenceComplete = frame->list->GetItemCount() == rows;
    channel->Detach();
    frame->Destroy();
    wxTheApp->Yield(true);

    if (!complete || !referenceComplete)
    {
        std::fprintf(stderr, "not every row arrived\n");
        return 1;
    }
    const bool insert = korbench::Report("list_100000_rows_insert_and_5_cells", ours, reference, 0.2);
    return insert && upkeep ? 0 : 1;
}
