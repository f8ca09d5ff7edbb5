// The second process of the single-instance tests: a new start of an application.
//
//   singleinstance_helper LOCK SERVICE ACTION FORCE [ARGUMENTS...]
//
// calls IsThereAnotherInstance with ARGUMENTS as the start's command line and prints
// "result=0|1", "checker=null|set" and every message box it shows as
// "message=CAPTION|TEXT" (answered with OK).

#include "korgui/singleinstance.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

class Client : public SingleInstanceClient
{
public:
    wxConnectionBase* OnMakeConnection() override { return new wxConnection; }
};

class Factory : public SingleInstanceClientFactory
{
public:
    std::unique_ptr<SingleInstanceClient> CreateClient() const override { return std::make_unique<Client>(); }
};

class AnswerMessageBoxes : public wxModalDialogHook
{
protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* box = wxDynamicCast(dialog, wxMessageDialog))
        {
            std::printf("message=%s|%s\n", box->GetCaption().utf8_str().data(), box->GetMessage().utf8_str().data());
            return wxID_OK;
        }
        std::printf("unexpected dialog\n");
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5)
    {
        std::fprintf(stderr, "usage: %s LOCK SERVICE ACTION FORCE [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    // The toolkit's application sees only the program: its own command-line parser
    // would refuse the start's arguments.
    int wxArgc = 1;
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(wxArgc, argv) || !wxTheApp->CallOnInit())
        return 2;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    AnswerMessageBoxes hook;
    hook.Register();

    // The start's own command line: the program followed by ARGUMENTS.
    wxCmdLineArgsArray startArgs;
    wxArrayString startList;
    startList.push_back(wxString::FromUTF8(argv[0]));
    for (int i = 5; i < argc; ++i)
        startList.push_back(wxString::FromUTF8(argv[i]));
    std::vector<const wchar_t*> pointers;
    for (const wxString& a : startList)
        pointers.push_back(a.wc_str());
    startArgs.Init(static_cast<int>(pointers.size()), pointers.data());

    wxSingleInstanceChecker* checker = nullptr;
    const bool result = IsThereAnotherInstance(
        wxString::FromUTF8(argv[1]), wxString::FromUTF8(argv[2]), "topic", "Caption", static_cast<int>(startList.size()), startArgs, std::atoi(argv[4]) != 0,
        Factory(), static_cast<SingleInstanceOnAlreadyRunningAction>(std::atoi(argv[3])), checker);
    std::printf("result=%d\nchecker=%s\n", result ? 1 : 0, checker ? "set" : "null");
    std::fflush(stdout);
    delete checker;

    hook.Unregister();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
