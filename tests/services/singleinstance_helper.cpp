// A new start of an application for the single-instance tests:
//   singleinstance_helper LOCK SERVICE ACTION [ARGUMENTS...]
// prints each message box it is shown as "message=CAPTION|TEXT" (answered with OK),
// then "result=0|1", "checker=null|set" and "delivered=0|1".

#include "korgui/singleinstance.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

struct Client : SingleInstanceClient
{
    wxConnectionBase* OnMakeConnection() override { return new wxConnection; }
};

struct Factory : SingleInstanceClientFactory
{
    std::unique_ptr<SingleInstanceClient> CreateClient() const override { return std::make_unique<Client>(); }
};

struct PrintMessageBoxes : wxModalDialogHook
{
    int Enter(wxDialog* dialog) override
    {
        const auto* box = static_cast<wxMessageDialog*>(dialog); // the only kind it shows
        std::printf("message=%s|%s\n", box->GetCaption().utf8_str().data(), box->GetMessage().utf8_str().data());
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

int main(int argc, char** argv)
{
    int wxArgc = 1; // the toolkit's own parser would refuse the start's arguments
    wxApp::SetInstance(new wxApp);
    if (argc < 4 || !wxEntryStart(wxArgc, argv) || !wxTheApp->CallOnInit())
        return 2;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    PrintMessageBoxes hook;
    hook.Register();
    std::vector<wxString> start = {wxString::FromUTF8(argv[0])};
    for (int i = 4; i < argc; ++i)
        start.push_back(wxString::FromUTF8(argv[i]));
    std::vector<const wchar_t*> pointers;
    for (const wxString& a : start)
        pointers.push_back(a.wc_str());
    wxCmdLineArgsArray startArgs;
    startArgs.Init(static_cast<int>(pointers.size()), pointers.data());

    wxSingleInstanceChecker* checker = nullptr;
    bool delivered = false;
    const bool result = IsThereAnotherInstance(
        wxString::FromUTF8(argv[1]), wxString::FromUTF8(argv[2]), "topic", "Caption", static_cast<int>(start.size()),
        startArgs, false, Factory(), static_cast<SingleInstanceOnAlreadyRunningAction>(std::atoi(argv[3])), checker,
        &delivered);
    std::printf("result=%d\nchecker=%s\ndelivered=%d\n", result ? 1 : 0, checker ? "set" : "null", delivered ? 1 : 0);
    delete checker;
    hook.Unregister();
    wxEntryCleanup();
    return 0;
}
