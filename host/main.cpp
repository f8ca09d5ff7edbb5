#include "commandline.h"
#include "hostserver.h"
#include "mainframe.h"

#include "korgui/korgui.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/uilocale.h>

#include <langinfo.h>

#include <clocale>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

// Read in main, before the toolkit (and its display) starts.
HostCommandLine commandLine;

} // namespace

class KorHostApp : public wxApp
{
public:
    bool OnInit() override
    {
        // Without a UI locale wx stays in the "C" locale and non-ASCII file names break.
        wxUILocale::UseDefault();
        const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
        KorguiLoadTranslations(exe.GetPath());

        // A second start hands its paths to the running instance and ends.
        wxArrayString arguments;
        arguments.push_back(argv[0]);
        for (const wxString& source : commandLine.sources)
            arguments.push_back(source);
        std::vector<const wchar_t*> pointers;
        for (const wxString& a : arguments)
            pointers.push_back(a.wc_str());
        wxCmdLineArgsArray startArguments;
        startArguments.Init(static_cast<int>(pointers.size()), pointers.data());
        wxSingleInstanceChecker* checker = nullptr;
        bool delivered = false;
        if (IsThereAnotherInstance(HostLockName(), SingleInstanceServer::GetDefaultServerName(), HostTopic(),
                                   "korhost", static_cast<int>(arguments.size()), startArguments, false,
                                   HostClientFactory(), SingleInstancePassCommandLine, checker, &delivered))
        {
            // Paths the running instance never got must not end in success.
            if (!delivered)
                m_exitCode = 1;
            CallAfter([this] { ExitMainLoop(); });
            return true;
        }
        m_checker.reset(checker);

        auto* frame = new MainFrame;
        frame->Show();
        frame->StartSingleInstanceServer();
        for (const wxString& source : commandLine.sources)
            frame->OpenCopyAndVerify(source);
        return true;
    }

    int OnRun() override
    {
        const int result = wxApp::OnRun();
        return m_exitCode != 0 ? m_exitCode : result;
    }

private:
    std::unique_ptr<wxSingleInstanceChecker> m_checker;
    int m_exitCode = 0;
};

wxIMPLEMENT_APP_NO_MAIN(KorHostApp);

int main(int argc, char** argv)
{
    // Command-line paths are bytes in the user's encoding, UTF-8 on any current
    // system: read them as such even when no locale is set.
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");

    int exitCode = 0;
    const std::optional<HostCommandLine> read = ReadHostCommandLine(argc, argv, exitCode);
    if (!read)
        return exitCode;
    commandLine = *read;
    // The toolkit gets the program name alone: the paths are read already.
    int toolkitArgc = 1;
    return wxEntry(toolkitArgc, argv);
}
