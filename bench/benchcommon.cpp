#include "benchcommon.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/uilocale.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace korbench
{

WxSession::WxSession(int& argc, char** argv)
{
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
    {
        std::fprintf(stderr, "cannot start wxWidgets: is DISPLAY set?\n");
        std::exit(2);
    }
    wxUILocale::UseDefault();
    delete wxLog::SetActiveTarget(new wxLogStderr);
}

WxSession::~WxSession()
{
    if (wxTheApp)
        wxTheApp->OnExit();
    wxEntryCleanup();
}

double MedianSeconds(int runs, const std::function<void()>& work, const std::function<void()>& prepare)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
    {
        if (prepare)
            prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool Compare(const std::string& name, int runs, const std::function<void()>& ours,
             const std::function<void()>& reference, double target, const std::function<void()>& prepare)
{
    std::vector<double> oursTimes, referenceTimes;
    for (int i = 0; i < runs; ++i)
    {
        oursTimes.push_back(MedianSeconds(1, ours, prepare));
        referenceTimes.push_back(MedianSeconds(1, reference, prepare));
    }
    std::sort(oursTimes.begin(), oursTimes.end());
    std::sort(referenceTimes.begin(), referenceTimes.end());
    return Report(name, oursTimes[runs / 2], referenceTimes[runs / 2], target);
}

bool Report(const std::string& name, double ours, double reference, double target)
{
    const double ratio = reference > 0 ? ours / reference : 0;
    const bool pass = ratio <= target;
    std::printf("%s ratio=%.3f target<=%.2f %s   (ours %.3f s, reference %.3f s)\n", name.c_str(), ratio, target,
                pass ? "PASS" : "FAIL", ours, reference);
    std::fflush(stdout);
    return pass;
}

bool ReportAtMost(const std::string& name, double value, double target)
{
    const bool pass = value <= target;
    std::printf("%s value=%.1f target<=%.0f %s\n", name.c_str(), value, target, pass ? "PASS" : "FAIL");
    std::fflush(stdout);
    return pass;
}

void Run(const std::string& command)
{
    if (std::system(command.c_str()) != 0)
    {
        std::fprintf(stderr, "benchmark step failed: %s\n", command.c_str());
        std::exit(2);
    }
}

namespace
{
std::vector<std::string>& DirsToRemove()
{
    static std::vector<std::string> dirs;
    return dirs;
}
void RemoveDirs()
{
    for (const std::string& d : DirsToRemove())
        std::system(("rm -rf '" + d + "'").c_str());
}
} // namespace

std::string FreshDir()
{
    const char* base = std::getenv("KORBENCH_DIR");
    std::string pattern = std::string(base ? base : "/var/tmp") + "/korbench-XXXXXX";
    if (!mkdtemp(pattern.data()))
    {
        std::perror("mkdtemp");
        std::exit(2);
    }
    if (DirsToRemove().empty())
        std::atexit(RemoveDirs);
    DirsToRemove().push_back(pattern);
    return pattern;
}

} // namespace korbench

namespace korbench
{

void UseFreshHome()
{
    const std::string home = FreshDir();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
}

} // namespace korbench
