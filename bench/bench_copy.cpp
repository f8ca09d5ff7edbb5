// The copy-and-verify dialog's "Copy Source to Destination" and "Copy Source to
// Destination and Compare", run from its Run button to its end handler (list, copy,
// hash, rows, log), against `cp -a`, and against `cp -a`, `sync`, then `md5sum` (or
// `xxhsum -H3`) of both trees: one 1 GiB file, and a tree of 10,000 files of 4 KiB in
// 100 folders. Our compare hashes every copy from the storage while the reference
// reads the copies from the page cache, so these lines show what verification from
// the storage costs. With MD5 the hashing sets the pace, and reading the source once
// and verifying beside the copying must beat the reference's two hashes; with XXH3
// the disk does, and our verification reads the copy back from the device where the
// reference reads the page cache, so its target allows for that read.
//
// Every run copies into a fresh folder after a sync, ours and the reference in turns:
// on ext4, re-creating a tree shortly after deleting one is many times slower, and
// the disk may be shared with other work.

#include "benchcommon.h"

#include "korgui/ivtdialog.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/ivtworkers.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/workerevents.h"

#include "korbase/appversion.h"
#include "korbase/hash.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

void Enter(wxTextCtrl* field, const wxString& text)
{
    field->ChangeValue(text);
    wxCommandEvent enter(wxEVT_TEXT_ENTER, field->GetId());
    enter.SetString(text);
    enter.SetEventObject(field);
    field->ProcessWindowEvent(enter);
}

void Click(wxButton* button)
{
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

// Runs one operation as the user does, from a clean dialog, and returns when its
// end handler has run and its worker is gone.
void RunOperation(IVTDialog* d, int operation, HashAlgorithm algorithm, const std::string& source,
                  const std::string& destination)
{
    d->CleanNoButton();
    d->m_combo4->SetSelection(IVT_TARGET_SUBFOLDERS);
    d->m_combo1->SetSelection(operation);
    d->m_combo3->SetSelection(algorithm);
    Enter(d->m_tc1, wxString::FromUTF8(source));
    Enter(d->m_tc2, wxString::FromUTF8(destination));
    Click(d->m_buttonRun);
    WaitDispatchingEvents([d] {
        return d->m_runningThreads == 0 && d->GetWorkerEvents()->InFlight() == 0 && MyThread::LiveCount() == 0;
    });
}

// Every row copied, and compared "Ok" when the operation compares.
bool AllRowsSucceeded(IVTDialog* d, long expectedRows, bool compared)
{
    const ResultListCtrl* list = d->m_listCtrl;
    if (list->RowCount() != expectedRows)
        return false;
    // Converted once, not per row: the check is part of the timed run.
    const wxString success("Success"), ok("Ok");
    for (long row = 0; row < list->RowCount(); ++row)
        if (list->GetCell(row, 3) != success || (compared && list->GetCell(row, 5) != ok))
            return false;
    return true;
}

// Runs per side; the medians are compared. The first copy into a new tree is often
// the slowest on either side, so three runs would let one outlier decide.
constexpr int RUNS = 5;

bool ShellOk(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

// One operation timed against its reference.
struct Variant
{
    std::string suffix; // of the case's name
    int operation;
    HashAlgorithm algorithm;
    std::string tool;   // hashes both trees after `cp -a` and `sync`; empty: `cp -a` alone
    double target;
};

struct Case
{
    std::string name;
    std::string source; // a folder
    std::string make;   // shell command that makes `source` and reads it into the page cache
    long files;
    std::vector<Variant> variants;
};

// KORBENCH_ONLY=<part of a case name> runs the matching cases alone (for profiling).
bool Selected(const std::string& name)
{
    const char* only = std::getenv("KORBENCH_ONLY");
    return !only || name.find(only) != std::string::npos;
}

bool BenchCase(IVTDialog* d, const Case& c)
{
    bool ok = true;
    bool made = false;
    for (const Variant& v : c.variants)
    {
        const bool compare = v.operation == IVT_OP_COPY_AND_COMPARE;
        const std::string name = c.name + v.suffix;
        if (!Selected(name))
            continue;
        if (!made)
            korbench::Run(c.make);
        made = true;
        std::string target, oursTarget;
        bool rowsOk = true;
        const auto fresh = [&] {
            target = korbench::FreshDir();
            korbench::Run("sync");
        };
        const auto ours = [&] {
            oursTarget = target;
            RunOperation(d, v.operation, v.algorithm, c.source, target);
            rowsOk = AllRowsSucceeded(d, c.files, compare) && rowsOk;
        };
        const auto reference = [&] {
            const std::string copy = "cp -a '" + c.source + "/.' '" + target + "'";
            if (v.tool.empty())
                korbench::Run(copy);
            else
                korbench::Run(copy + " && sync && find '" + c.source + "' '" + target + "' -type f -print0 | xargs -0 " +
                              v.tool + " > /dev/null");
        };
        ok &= korbench::Compare(name, RUNS, ours, reference, v.target, fresh);
        // The last copy of ours, checked against its source.
        const bool same = ShellOk("diff -r '" + c.source + "' '" + oursTarget + "'");
        if (!same || !rowsOk)
            std::printf("%s_check FAIL: %s\n", name.c_str(), same ? "a row did not succeed" : "a copy differs");
        ok &= same && rowsOk;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    // The dialog writes its logs to the desktop: the home folder of a fresh home.
    const std::string home = korbench::FreshDir();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    korbench::WxSession wx(argc, argv);
    auto* dialog = new IVTDialog(nullptr, AppVersion(), "Copy and Verify");
    dialog->Show();

    const std::string data = korbench::FreshDir();
    const std::string big = data + "/big";
    const std::string tree = data + "/tree";
    // The small files first: the gibibyte copies left behind would crowd the page cache.
    bool ok = BenchCase(dialog, {"ivt_tree_10000x4KiB", tree,
                                 "mkdir '" + tree + "' && cd '" + tree + "' && for d in $(seq -w 1 100); do mkdir d$d && " +
                                     "for f in $(seq -w 1 100); do head -c 4096 /dev/urandom > d$d/f$f.bin; done; done && " +
                                     "cat */* > /dev/null",
                                 10000,
                                 {{"_copy_vs_cp", IVT_OP_COPY, HASH_MD5, "", 3.0},
                                  {"_copy_and_compare_md5_storage_vs_cp_sync_md5sum", IVT_OP_COPY_AND_COMPARE, HASH_MD5,
                                   "md5sum", 1.20}}});
    ok &= BenchCase(dialog, {"ivt_1GiB", big,
                             "mkdir '" + big + "' && head -c 1073741824 /dev/urandom > '" + big +
                                 "/1GiB.bin' && cat '" + big + "/1GiB.bin' > /dev/null",
                             1,
                             {{"_copy_vs_cp", IVT_OP_COPY, HASH_MD5, "", 1.2},
                              {"_copy_and_compare_md5_storage_vs_cp_sync_md5sum", IVT_OP_COPY_AND_COMPARE, HASH_MD5,
                               "md5sum", 0.80},
                              {"_copy_and_compare_xxh3_storage_vs_cp_sync_xxhsum", IVT_OP_COPY_AND_COMPARE, HASH_XXH3,
                               "xxhsum -H3", 1.20}}});

    dialog->Destroy();
    WaitDispatchingEvents([] { return wxTopLevelWindows.empty(); });
    return ok ? 0 : 1;
}
