#include "hostserver.h"
#include "mainframe.h"

#include "korgui/korgui.h"

#include <wx/app.h>
#include <wx/cmdline.h>
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

// A path as the running instance must see it: its working folder may be another.
wxString AbsolutePath(const wxString& argument)
{
    wxFileName name(argument);
    name.MakeAbsolute();
    return name.GetFullPath();
}

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

        // Options first: --help and mistakes are answered here, not by the running instance.
        if (!wxApp::OnInit())
            return false;

        // A second start hands its paths to the running instance and ends.
        wxArrayString arguments;
        arguments.push_back(argv[0]);
        for (const wxString& source : m_sources)
            arguments.push_back(source);
        std::vector<const wchar_t*> pointers;
        for (const wxString& a : arguments)
            pointers.push_back(a.wc_str());
        wxCmdLineArgsArray startArguments;
        startArguments.Init(static_cast<int>(pointers.size()), pointers.data());
        wxSingleInstanceChecker* checker = nullptr;
        if (IsThereAnotherInstance(HostLockName(), SingleInstanceServer::GetDefaultServerName(), HostTopic(),
                                   "korhost", static_cast<int>(arguments.size()), startArguments, false,
                                   HostClientFactory(), SingleInstancePassCommandLine, checker))
        {
            CallAfter([this] { ExitMainLoop(); });
            return true;
        }
        m_checker.reset(checker);

        auto* frame = new MainFrame;
        frame->Show();
        frame->StartSingleInstanceServer();
        for (const wxString& source : m_sources)
            frame->OpenCopyAndVerify(source);
        return true;
    }

    void OnInitCmdLine(wxCmdLineParser& parser) override
    {
        wxApp::OnInitCmdLine(parser);
        parser.AddParam(_("source folder or file"), wxCMD_LINE_VAL_STRING,
                        wxCMD_LINE_PARAM_OPTIONAL | wxCMD_LINE_PARAM_MULTIPLE);
    }

    bool OnCmdLineParsed(wxCmdLineParser& parser) override
    {
        for (size_t i = 0; i < parser.GetParamCount(); ++i)
            m_sources.push_back(AbsolutePath(parser.GetParam(i)));
        return wxApp::OnCmdLineParsed(parser);
    }

private:
    std::unique_ptr<wxSingleInstanceChecker> m_checker;
    std::vector<wxString> m_sources;
};

wxIMPLEMENT_APP_NO_MAIN(KorHostApp);

int main(int argc, char** argv)
{
    // Command-line paths are bytes in the user's encoding, UTF-8 on any current
    // system: read them as such even when no locale is set.
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    return wxEntry(argc, argv);
}
