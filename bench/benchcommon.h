#pragma once

// Shared pieces of the benchmarks: a wx application to run in, timing, and the
// one-line verdict every comparison prints:
//   <case> ratio=<ours/reference> target<=<target> PASS|FAIL

#include <wx/modalhook.h>
#include <wx/string.h>

#include <functional>
#include <string>

namespace korbench
{

// Starts wx as a GUI application (needs a display) for the lifetime of the object.
class WxSession
{
public:
    WxSession(int& argc, char** argv);
    ~WxSession();
    WxSession(const WxSession&) = delete;
    WxSession& operator=(const WxSession&) = delete;
};

// Answers every modal dialog at once with OK while it exists (closing messages).
class AnswerEveryDialog : public wxModalDialogHook
{
public:
    AnswerEveryDialog() { Register(); }
    ~AnswerEveryDialog() override { Unregister(); }

protected:
    int Enter(wxDialog*) override { return wxID_OK; }
    void Exit(wxDialog*) override {}
};

// The dialog writes its logs to the desktop: gives the process a fresh home folder
// (HOME and XDG_CONFIG_HOME), removed at exit. Call it before starting wx.
void UseFreshHome();

// Seconds taken by `work`, the median of `runs` runs; `prepare` (untimed) runs before each.
double MedianSeconds(int runs, const std::function<void()>& work, const std::function<void()>& prepare = {});

// Times `ours` and `reference` alternately, `runs` times each, so that both meet the
// same machine conditions; prints the verdict for the medians and returns true on PASS.
// `prepare` (untimed) runs before every timed run of either side.
bool Compare(const std::string& name, int runs, const std::function<void()>& ours,
             const std::function<void()>& reference, double target, const std::function<void()>& prepare = {});

// Prints the verdict line and returns true on PASS.
bool Report(const std::string& name, double ours, double reference, double target);

// Prints `<case> value=<value> target<=<target> PASS|FAIL` for an absolute target
// (a value that must not exceed it) and returns true on PASS.
bool ReportAtMost(const std::string& name, double value, double target);

// Runs a shell command, aborting the benchmark if it fails.
void Run(const std::string& command);

// A fresh temporary folder (mktemp -d under $KORBENCH_DIR or /var/tmp), removed at exit.
std::string FreshDir();

} // namespace korbench
