#include "korgui/singleinstance.h"

#include "korgui/services/localsocket.h"

#include "korbase/jsonobject.h"
#include "korbase/ui/messagetext.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

const int SingleInstanceClient::answerTimeoutMillis = 5000;

namespace
{

const int retryPauseMillis = 100;

enum class HandOver
{
    Delivered,
    NobodyServes, // no socket, or nobody listening on it, all the while
    Failed,
};

// Sends `text` with `client` to the running instance, trying again for
// answerTimeoutMillis while it is busy or not listening yet; without a client, only
// makes sure that it answers. The reason of the last failure goes to `reason`.
HandOver SendToRunningInstance(const wxString& serviceName, const wxString& topic, const wxString& text,
                               SingleInstanceClient* client, wxString& reason)
{
    const wxString path = SingleInstanceSocketPath(serviceName, &reason);
    if (path.empty())
        return HandOver::Failed;
    const std::int64_t deadline = NowMillis() + SingleInstanceClient::answerTimeoutMillis;
    bool everServed = false;
    for (;;)
    {
        struct stat st;
        if (lstat(NativePath(path).c_str(), &st) != 0)
        {
            reason = wxString::Format(_("nobody serves \"%s\": %s"), path, wxSysErrorMsgStr(errno));
        }
        else if (!IsOwnSocket(path, reason))
        {
            return HandOver::Failed; // only a socket of this user's own gets the command line
        }
        else
        {
            const int left = static_cast<int>(std::max<std::int64_t>(deadline - NowMillis(), 1));
            const int fd = ConnectTo(path);
            const bool listening = fd >= 0 || errno != ECONNREFUSED;
            if (fd >= 0)
                close(fd);
            everServed = everServed || listening;
            if (!listening)
            {
                reason = wxString::Format(_("nobody answers on \"%s\": %s"), path, wxSysErrorMsgStr(ECONNREFUSED));
            }
            else if (IsServerAnswering(path, left, reason))
            {
                if (!client)
                    return HandOver::Delivered;
                const std::unique_ptr<wxConnectionBase> connection(client->MakeConnection("localhost", path, topic));
                if (connection && connection->Execute(text))
                {
                    connection->Disconnect();
                    return HandOver::Delivered;
                }
                reason = wxString::Format(_("the running instance dropped the connection on \"%s\"."), path);
            }
        }
        if (NowMillis() + retryPauseMillis > deadline)
            return everServed ? HandOver::Failed : HandOver::NobodyServes;
        wxMilliSleep(retryPauseMillis);
    }
}

// Takes over a lock whose holder serves nothing (an instance that was killed, its
// process number perhaps reused since). True when this start holds the lock now.
bool TakeOverLock(const wxString& lockName, wxSingleInstanceChecker*& checker)
{
    delete checker;
    const wxString lockPath = wxIsAbsolutePath(lockName) ? lockName : wxGetHomeDir() + "/" + lockName;
    wxRemoveFile(lockPath);
    checker = new wxSingleInstanceChecker;
    return checker->Create(lockName) && !checker->IsAnotherRunning();
}

} // namespace

bool IsThereAnotherInstance(const wxString& lockName, const wxString& serviceName, const wxString& topic,
                            const wxString& caption, int argc, const wxCmdLineArgsArray& argv,
                            bool forceAnotherInstance, const SingleInstanceClientFactory& clientFactory,
                            SingleInstanceOnAlreadyRunningAction action, wxSingleInstanceChecker*& checker,
                            bool* delivered)
{
    if (delivered)
        *delivered = true;
    checker = new wxSingleInstanceChecker;
    checker->Create(lockName);
    if (forceAnotherInstance)
        return true;
    if (!checker->IsAnotherRunning())
        return false;

    std::vector<wxString> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(wxString::Format("%s", argv[i]));
    if (action == SingleInstancePassCommandLine)
    {
        // A start without arguments only makes sure that the running instance is alive.
        const std::unique_ptr<SingleInstanceClient> client =
            arguments.empty() ? nullptr : clientFactory.CreateClient();
        wxString reason = _("no client to send with.");
        const HandOver result = arguments.empty() || client
                                    ? SendToRunningInstance(serviceName, topic,
                                                            JsonToText(ToJson(arguments), JSON_COMPACT),
                                                            client.get(), reason)
                                    : HandOver::Failed;
        if (result == HandOver::NobodyServes && TakeOverLock(lockName, checker))
            return false; // this start is the running instance now, and opens its paths itself
        if (result != HandOver::Delivered && !arguments.empty())
        {
            if (delivered)
                *delivered = false;
            wxMessageBox(BreakLongWords(_("Sorry, the existing instance may be too busy to respond.\nPlease close "
                                          "any open dialogs and retry.") +
                                        "\n\n" + reason),
                         wxGetTranslation(caption), wxOK | wxICON_INFORMATION);
        }
    }

    delete checker;
    checker = nullptr;
    return true;
}
