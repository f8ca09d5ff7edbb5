// How long the GUI thread of the copy-and-verify dialog is ever busy at once, and how
// much memory 100,000 result rows cost. A 20 ms timer on the GUI thread records the
// longest gap between its ticks while the dialog, driven as a user drives it, runs:
// - Hash Source of a tree of 100,000 files of 1 KiB (paths of about 60 characters),
//   from Run to its end (log written, controls enabled);
// - on those 100,000 rows: the switch to the relative view and back, and a sort by
//   the source hash and by the source path;
// - Compare of the tree with a copy of it;
// - the removal of duplicates from that copy (most of its files are duplicates).
// Prints each phase's longest stall, then two verdicts: the worst stall of all phases
// (gui_longest_stall_ms) and the growth of the resident memory from before the
// listing to the end of Hash Source (gui_memory_growth_100k_rows_mb).

#include "benchcommon.h"

#include "korgui/ivtdialog.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/workerevents.h"

#include "korbase/files.h"
#include "korbase/hash.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace
{

const int FILES = 100000;
const int FOLDERS = 100;
const int DISTINCT_CONTENTS = 1000; // so the copy holds 99 duplicates of each file

using Clock = std::chrono::steady_clock;

// The longest gap between two ticks of a 20 ms timer on the GUI thread since Reset.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Tick(); });
        m_timer.Start(20);
    }

    void Reset()
    {
        m_last = Clock::now();
        m_longest = 0;
    }

    // Milliseconds; the time since the last tick counts too.
    double Longest()
    {
        Tick();
        return m_longest;
    }

private:
    void Tick()
    {
        const Clock::time_point now = Clock::now();
        m_longest = std::max(m_longest, std::chrono::duration<double, std::milli>(now - m_last).count());
        m_last = now;
    }

    wxTimer m_timer;
    Clock::time_point m_last = Clock::now();
    double m_longest = 0;
};

double ResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0; // kB
    return 0;
}

// FOLDERS folders of FILES / FOLDERS files of 1 KiB; file i holds content i % DISTINCT_CONTENTS.
void WriteTree(const std::string& root)
{
    std::string data(1024, '\0');
    for (int f = 0; f < FOLDERS; ++f)
    {
        const std::string folder = root + "/day" + std::to_string(1000 + f).substr(1);
        if (mkdir(folder.c_str(), 0755) != 0)
            korbench::Run("false");
        for (int i = f * (FILES / FOLDERS); i < (f + 1) * (FILES / FOLDERS); ++i)
        {
            const std::string number = std::to_string(i % DISTINCT_CONTENTS);
            std::fill(data.begin(), data.end(), '.');
            std::copy(number.begin(), number.end(), data.begin());
            const std::string path = folder + "/clip-" + std::to_string(1000000 + i).substr(1) + "-cam.bin";
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size()) || close(fd) != 0)
                korbench::Run("false");
        }
    }
}

void RemoveDesktopLogs()
{
    wxArrayString logs;
    wxDir::GetAllFiles(GetUserDesktopPath(), &logs, "log*.tsv", wxDIR_FILES);
    for (const wxString& log : logs)
        wxRemoveFile(log);
}

void WaitUntilIdle(IVTDialog* d)
{
    WaitDispatchingEvents([d] { return d->m_runningThreads == 0 && d->GetWorkerEvents()->InFlight() == 0; });
}

// As a user does: the choices made, the paths typed and confirmed with Enter, Run pressed; returns at the end.
void RunOperation(IVTDialog* d, int operation, const wxString& source, const wxString& destination)
{
    d->m_combo4->SetSelection(IVT_TARGET_SUBFOLDERS);
    d->m_combo1->SetSelection(operation);
    d->m_combo3->SetSelection(HASH_MD5);
    wxCommandEvent enter(wxEVT_TEXT_ENTER);
    d->m_tc1->ChangeValue(source);
    d->ForTheEnterEventTc1(enter);
    if (!destination.empty())
    {
        d->m_tc2->ChangeValue(destination);
        d->ForTheEnterEventTc2(enter);
    }
    wxCommandEvent click(wxEVT_BUTTON, d->m_buttonRun->GetId());
    click.SetEventObject(d->m_buttonRun);
    d->m_buttonRun->ProcessWindowEvent(click);
    WaitUntilIdle(d);
}

void ChooseView(IVTDialog* d, int view)
{
    d->m_combo2->SetSelection(view);
    wxCommandEvent choice(wxEVT_CHOICE, d->m_combo2->GetId());
    choice.SetEventObject(d->m_combo2);
    choice.SetInt(view);
    d->m_combo2->ProcessWindowEvent(choice);
    WaitUntilIdle(d);
}

void SortBy(IVTDialog* d, int column)
{
    wxListEvent click(wxEVT_LIST_COL_CLICK, d->m_listCtrl->GetId());
    click.SetEventObject(d->m_listCtrl);
    click.m_col = column;
    d->m_listCtrl->ProcessWindowEvent(click);
    WaitUntilIdle(d);
}

bool AllRowsHaveColumn(IVTDialog* d, int column, const wxString& text = wxString())
{
    if (d->m_listCtrl->RowCount() != FILES)
        return false;
    for (long row = 0; row < FILES; ++row)
    {
        const wxString cell = d->m_listCtrl->GetCell(row, column);
        if (text.empty() ? (cell.empty() || KcvIsHashError(cell)) : cell != text)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    korbench::UseFreshHome();
    korbench::WxSession wx(argc, argv);
    wxLog::SetLogLevel(wxLOG_Info); // no "column = n" line per sort

    const std::string trees = korbench::FreshDir();
    const std::string source = trees + "/footage-source";
    const std::string copy = trees + "/footage-backup";
    korbench::Run("mkdir -p '" + source + "'");
    WriteTree(source);
    korbench::Run("cp -a '" + source + "' '" + copy + "' && find '" + trees +
                  "' -type f -print0 | xargs -0 cat > /dev/null");

    auto* dialog = new IVTDialog(nullptr, AppVersion(), "Copy and Verify");
    dialog->Show();
    wxTheApp->Yield(true);
    StallMeter meter;
    double worst = 0;
    bool complete = true;
    const auto phase = [&](const char* name, const std::function<void()>& work, const std::function<bool()>& check)
    {
        RemoveDesktopLogs();
        meter.Reset();
        work();
        const double longest = meter.Longest();
        worst = std::max(worst, longest);
        const bool ok = check();
        complete = complete && ok;
        std::printf("  %-28s longest stall %7.1f ms%s\n", name, longest, ok ? "" : "  (result incomplete)");
        std::fflush(stdout);
    };

    const double before = ResidentMegabytes();
    phase(
        "hash_source_100000_files", [&] { RunOperation(dialog, IVT_OP_HASH_SOURCE, source, wxString()); },
        [&] { return AllRowsHaveColumn(dialog, IVT_COL_SOURCE_HASH) && dialog->m_buttonRun->IsEnabled(); });
    const double growth = ResidentMegabytes() - before;
    std::printf("  resident memory %.1f MB before, %.1f MB after %d rows\n", before, before + growth, FILES);

    const wxString firstPath = dialog->m_listCtrl->GetCell(0, IVT_COL_SOURCE_PATH);
    phase(
        "view_relative", [&] { ChooseView(dialog, IVT_VIEW_RELATIVE); },
        [&] { return !dialog->m_fullPath && dialog->m_listCtrl->GetCell(0, IVT_COL_SOURCE_PATH) != firstPath; });
    phase(
        "view_full", [&] { ChooseView(dialog, IVT_VIEW_FULL); },
        [&] { return dialog->m_fullPath && dialog->m_listCtrl->GetCell(0, IVT_COL_SOURCE_PATH) == firstPath; });
    phase(
        "sort_by_source_hash", [&] { SortBy(dialog, IVT_COL_SOURCE_HASH); },
        [&] {
            return dialog->m_listCtrl->GetCell(0, IVT_COL_SOURCE_HASH) <=
                   dialog->m_listCtrl->GetCell(FILES - 1, IVT_COL_SOURCE_HASH);
        });
    phase(
        "sort_by_source_path", [&] { SortBy(dialog, IVT_COL_SOURCE_PATH); },
        [&] { return dialog->m_listCtrl->GetCell(0, IVT_COL_SOURCE_PATH) == firstPath; });

    dialog->CleanNoButton();
    phase(
        "compare_100000_files", [&] { RunOperation(dialog, IVT_OP_COMPARE, source, copy); },
        [&] { return AllRowsHaveColumn(dialog, IVT_COL_HASH_COMPARISON, dialog->m_txtOk); });

    // The copy's rows as a finished Copy and Compare leaves them, which the removal requires.
    dialog->m_CopyHappened = true;
    {
        korbench::AnswerEveryDialog answer;
        phase(
            "remove_duplicates", [&]
            {
                wxCommandEvent click(wxEVT_BUTTON, dialog->m_buttonNoDuplicates->GetId());
                click.SetEventObject(dialog->m_buttonNoDuplicates);
                dialog->m_buttonNoDuplicates->ProcessWindowEvent(click);
                WaitUntilIdle(dialog);
            },
            [&]
            {
                wxArrayString left;
                wxDir::GetAllFiles(copy, &left);
                if (left.size() != static_cast<size_t>(DISTINCT_CONTENTS))
                    std::printf("  %zu files left in the copy, progress \"%s\"\n", left.size(),
                                static_cast<const char*>(dialog->m_progressText->GetLabel().utf8_str()));
                return left.size() == static_cast<size_t>(DISTINCT_CONTENTS);
            });
    }

    RemoveDesktopLogs();
    dialog->Destroy();
    wxTheApp->Yield(true);
    if (!complete)
        std::fprintf(stderr, "a phase left an incomplete result\n");
    const bool stalls = korbench::ReportAtMost("gui_longest_stall_ms", worst, 100);
    const bool memory = korbench::ReportAtMost("gui_memory_growth_100k_rows_mb", growth, 100);
    return stalls && memory && complete ? 0 : 1;
}
