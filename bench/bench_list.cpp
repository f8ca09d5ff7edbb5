// 100,000 result rows, each an insert and five cell events sent from a worker
// thread through the dialog's event channel: applied by IVTDialog (virtual list),
// beside the same events applied to a plain report-mode wxListCtrl, which receives
// them through the same channel.

#include "benchcommon.h"

#include "korgui/ivtdialog.h"
#include "korgui/ivtprotocol.h"
#include "korgui/resultlist.h"
#include "korgui/workerevents.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/listctrl.h>

#include <chrono>
#include <cstdio>
#include <thread>

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

} // namespace

int main(int argc, char** argv)
{
    korbench::WxSession wx(argc, argv);

    auto* dialog = new IVTDialog(nullptr, AppVersion(), "Copy and Verify");
    dialog->Show();
    wxTheApp->Yield(true);
    const double ours = Measure(*dialog->GetWorkerEvents(), dialog);
    const bool complete = dialog->m_listCtrl->RowCount() == rows && dialog->m_listCtrl->GetCell(rows - 1, 5) == "Ok";
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
    return korbench::Report("list_100000_rows_insert_and_5_cells", ours, reference, 0.2) ? 0 : 1;
}
