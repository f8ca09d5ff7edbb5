// The copy-and-verify dialog's Hash Source and Compare Source and Destination,
// timed from the Run handler until the operation's end handler has run (log
// included), beside command-line tools over the same warm files:
// - one 1 GiB file: Hash Source (single file) against `openssl dgst -<algo>`,
// and
//   the compare of it with a copy against `openssl dgst` over both;
// - a tree of 10,000 files of 4 KiB in 100 folders: Hash Source against
//   `find ... -print0 | xargs -0 md5sum`, and the compare of two identical
//   trees against the same over both trees.
// - the compare of the 1 GiB file with its copy (the destination read from the
//   storage, as always) against `md5sum` of the source, then of the copy;
// - a tree of 100,000 files of 1 KiB: Hash Source against `find | xargs -0 md5sum`.
// Ours and the reference run in turns (korbench::Compare), with `sync` before each
// run. `scripts/bench verify file`, `... tree` or `... many` runs only those cases;
// KORBENCH_ONLY=<part of a case name> only the matching ones.

#include "benchcommon.h"

#include "korgui/ivtdialog.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/resultlist.h"
#include "korgui/verify/workerevents.h"

#include "korbase/files.h"
#include "korbase/hash.h"

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/textctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace
{

// Writes `folders` x `perFolder` files of `bytes` random bytes under `root`.
void WriteTree(const std::string& root, int folders, int perFolder, size_t bytes)
{
    std::mt19937_64 random(42);
    std::string data(bytes, '\0');
    for (int f = 0; f < folders; ++f)
    {
        const std::string folder = root + "/folder" + std::to_string(f);
        korbench::Run("mkdir -p '" + folder + "'");
        for (int i = 0; i < perFolder; ++i)
        {
            for (char& c : data)
                c = static_cast<char>(random());
            std::ofstream(folder + "/clip" + std::to_string(i) + ".bin", std::ios::binary) << data;
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

// One timed operation of the dialog and what its list must hold afterwards.
struct Operation
{
    int target;
    int operation;
    HashAlgorithm hashType;
    wxString source;
    wxString destination; // empty: none chosen
    long rows;            // rows of the finished list
};

// Every row hashed, and compared where the operation compares.
bool Complete(IVTDialog* d, const Operation& op)
{
    if (d->m_listCtrl->RowCount() != op.rows)
        return false;
    for (long row = 0; row < op.rows; ++row)
    {
        if (KcvIsHashError(d->m_listCtrl->GetCell(row, 2)))
            return false;
        if (op.operation == IVT_OP_COMPARE && d->m_listCtrl->GetCell(row, 5) != d->m_txtOk)
            return false;
    }
    return true;
}

// Untimed, before every run of either side: checks what the last run of the
// dialog left (if it ran last), then leaves the dialog as a user does before
// pressing Run: a fresh list, the choices made, the paths typed and confirmed
// with Enter.
void Prepare(IVTDialog* d, const Operation& op, bool& complete)
{
    if (d->m_listCtrl->RowCount() > 0)
        complete = complete && Complete(d, op);
    RemoveDesktopLogs();
    korbench::Run("sync");
    d->CleanNoButton();
    d->m_combo4->SetSelection(op.target);
    d->m_lastTargetSelection = op.target;
    d->m_combo1->SetSelection(op.operation);
    d->m_combo3->SetSelection(op.hashType);
    wxCommandEvent enter(wxEVT_TEXT_ENTER);
    d->m_tc1->ChangeValue(op.source);
    d->ForTheEnterEventTc1(enter);
    if (!op.destination.empty())
    {
        d->m_tc2->ChangeValue(op.destination);
        d->ForTheEnterEventTc2(enter);
    }
}

// Presses Run and returns when the operation's end handler has run.
void RunToEnd(IVTDialog* d)
{
    wxCommandEvent click(wxEVT_BUTTON);
    d->OnClick__Run(click);
    WaitDispatchingEvents([d] { return d->m_runningThreads == 0 && d->GetWorkerEvents()->InFlight() == 0; });
}

// Times the dialog's `op` against `reference`; false when slower than `target`
// or when a run of the dialog left an incomplete list.
bool CompareOperation(const std::string& name, int runs, IVTDialog* d, const Operation& op,
                      const std::string& reference, double target)
{
    const char* only = std::getenv("KORBENCH_ONLY"); // <part of a case name>: those cases alone
    if (only && name.find(only) == std::string::npos)
        return true;
    bool complete = true;
    const bool fast = korbench::Compare(
        name, runs, [d] { RunToEnd(d); }, [&] { korbench::Run(reference); }, target, [&] { Prepare(d, op, complete); });
    // The last run was the reference's; this checks the dialog's last run.
    Prepare(d, op, complete);
    if (!complete)
        std::fprintf(stderr, "%s: the dialog's result list was not complete\n", name.c_str());
    return fast && complete;
}

} // namespace

int main(int argc, char** argv)
{
    // The dialog writes its logs to the desktop: give it a home of its own.
    const std::string home = korbench::FreshDir();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    // The case filter is ours, not an option for wxWidgets.
    const std::string only = argc > 1 ? argv[1] : "";
    int wxArgc = 1;
    korbench::WxSession wx(wxArgc, argv);

    auto* dialog = new IVTDialog(nullptr, AppVersion(), "Copy and Verify");
    dialog->Show();
    bool ok = true;

    // One warm 1 GiB file and a copy of it.
    if (only.empty() || only == "file")
    {
        const std::string big = korbench::FreshDir();
        const std::string bigFile = big + "/source/1GiB.bin";
        const std::string bigCopy = big + "/destination/1GiB.bin";
        korbench::Run("mkdir -p '" + big + "/source' '" + big + "/destination' && head -c 1073741824 /dev/urandom > '" +
                      bigFile + "' && cp '" + bigFile + "' '" + bigCopy + "' && cat '" + bigFile + "' '" + bigCopy +
                      "' > /dev/null");
        struct Algorithm
        {
            HashAlgorithm algorithm;
            const char* openssl;
        };
        for (const Algorithm a : {Algorithm{HASH_MD5, "md5"}, Algorithm{HASH_SHA256, "sha256"}})
        {
            const std::string openssl = std::string("openssl dgst -") + a.openssl + " '" + bigFile + "'";
            ok &= CompareOperation(std::string("hash_source_1GiB_") + a.openssl, 5, dialog,
                                   {IVT_TARGET_SINGLE_FILE, IVT_OP_HASH_SOURCE, a.algorithm, bigFile, wxString(), 1},
                                   openssl + " > /dev/null", 1.15);
            ok &= CompareOperation(std::string("compare_1GiB_") + a.openssl, 3, dialog,
                                   {IVT_TARGET_SINGLE_FILE, IVT_OP_COMPARE, a.algorithm, bigFile, bigCopy, 1},
                                   openssl + " '" + bigCopy + "' > /dev/null", 1.15);
        }
        // Both sides hashed at the same time, the copy from the storage.
        ok &= CompareOperation("compare_1GiB_md5_vs_md5sum", 5, dialog,
                               {IVT_TARGET_SINGLE_FILE, IVT_OP_COMPARE, HASH_MD5, bigFile, bigCopy, 1},
                               "md5sum '" + bigFile + "' > /dev/null && md5sum '" + bigCopy + "' > /dev/null", 0.65);
        korbench::Run("rm -rf '" + big + "'");
    }

    // Two identical warm trees of 10,000 files of 4 KiB in 100 folders.
    if (only.empty() || only == "tree")
    {
        const std::string trees = korbench::FreshDir();
        const std::string source = trees + "/source";
        const std::string destination = trees + "/destination";
        WriteTree(source, 100, 100, 4096);
        korbench::Run("cp -a '" + source + "' '" + destination + "' && find '" + trees +
                      "' -type f -print0 | xargs -0 cat > /dev/null");
        ok &= CompareOperation("hash_source_10000_files_md5", 5, dialog,
                               {IVT_TARGET_SUBFOLDERS, IVT_OP_HASH_SOURCE, HASH_MD5, source, wxString(), 10000},
                               "find '" + source + "' -type f -print0 | xargs -0 md5sum > /dev/null", 3.0);
        ok &= CompareOperation(
            "compare_10000_files_md5", 5, dialog,
            {IVT_TARGET_SUBFOLDERS, IVT_OP_COMPARE, HASH_MD5, source, destination, 10000},
            "find '" + source + "' '" + destination + "' -type f -print0 | xargs -0 md5sum > /dev/null", 3.0);
    }

    // 100,000 warm files of 1 KiB in 100 folders: the per-file cost of hashing.
    if (only.empty() || only == "many")
    {
        const std::string many = korbench::FreshDir() + "/source";
        WriteTree(many, 100, 1000, 1024);
        korbench::Run("find '" + many + "' -type f -print0 | xargs -0 cat > /dev/null");
        ok &= CompareOperation("hash_source_100000_files_1KiB_md5", 5, dialog,
                               {IVT_TARGET_SUBFOLDERS, IVT_OP_HASH_SOURCE, HASH_MD5, many, wxString(), 100000},
                               "find '" + many + "' -type f -print0 | xargs -0 md5sum > /dev/null", 0.80);
    }

    RemoveDesktopLogs();
    dialog->Destroy();
    wxTheApp->Yield(true);
    return ok ? 0 : 1;
}
