// Shared main of the test binaries: boots a real wx GUI application on the display
// (Xvfb in scripts/test) with a temporary home, then runs GoogleTest.

#include "harness/helpers.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/uilocale.h>
#include <wx/utils.h>

#include <cstdlib>
#include <string>

namespace
{

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << func.utf8_string() << ": " << cond.utf8_string()
                                          << " " << msg.utf8_string();
}

std::string MakeTemporaryHome()
{
    char pattern[] = "/tmp/korgui-test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir)
    {
        std::perror("mkdtemp");
        std::exit(2);
    }
    return dir;
}

} // namespace

int main(int argc, char** argv)
{
    // Before wx starts, so that listing the tests needs no display.
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    const std::string home = MakeTemporaryHome();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
    std::system(("mkdir -m 700 -p '" + home + "/run' '" + home + "/.config'").c_str());

    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
    {
        std::fprintf(stderr, "cannot start wxWidgets (is DISPLAY set?)\n");
        return 2;
    }
    wxUILocale::UseDefault();
    wxSetAssertHandler(FailOnAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);

    const int result = RUN_ALL_TESTS();

    if (wxTheApp)
        wxTheApp->OnExit();
    wxEntryCleanup();
    if (!std::getenv("KORGUI_KEEP_TEST_HOME"))
        std::system(("chmod -R u+rwx '" + home + "' 2>/dev/null; rm -rf '" + home + "'").c_str());
    return result;
}
