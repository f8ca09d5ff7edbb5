#pragma once

#include <wx/cmdargs.h>
#include <wx/ipc.h>
#include <wx/snglinst.h>
#include <wx/string.h>

#include <cstddef>
#include <memory>
#include <vector>

// A second start of an application hands its command line to the running instance.
//
// The instances talk through the toolkit's IPC classes (wx/ipc.h). A service name
// is never a TCP port: it names a Unix-domain socket in a folder that only the user
// can enter ($XDG_RUNTIME_DIR/korgui, or ~/.korgui-runtime without it).
//
// The toolkit's own server reads a request synchronously with a ten-minute timeout
// and trusts the sizes it is sent. SingleInstanceServer therefore listens itself: it
// reads without ever blocking, drops a client that does not finish within
// clientTimeoutMillis or sends more than maxMessageBytes, makes room for a new
// client when maxPendingClients wait already, and passes the host's connection only
// execute requests that hold a JSON array of strings. Refused requests are written
// to standard error. The client side is the toolkit's own, after a short check that
// the running instance answers at all (the toolkit's client would wait ten minutes
// for one that hangs); it tries again for answerTimeoutMillis.

// What IsThereAnotherInstance does when another instance runs.
enum SingleInstanceOnAlreadyRunningAction
{
    SingleInstanceDoNothing = 0,
    SingleInstancePassCommandLine = 1, // send the arguments to the running instance
};

// The socket that serves `serviceName`, creating the private folder when needed.
// Returns an empty text, with the reason in `error`, when the folder is not one that
// only this user can enter (another owner, a mode open to others, not a folder).
wxString SingleInstanceSocketPath(const wxString& serviceName, wxString* error = nullptr);

// The server of the running instance. The host derives from it and creates its
// connection objects in OnAcceptConnection.
class SingleInstanceServer : public wxServer
{
public:
    SingleInstanceServer();
    // A copy does not listen: one socket has one server.
    SingleInstanceServer(const SingleInstanceServer& other);
    SingleInstanceServer& operator=(const SingleInstanceServer& other);
    virtual ~SingleInstanceServer();

    static const wxString GetDefaultServerName();

    // Listens on the socket of `serviceName`. Fails (with a logged reason) when the
    // folder or an existing socket there is not this user's own, or when another
    // server already answers on it: create the server only once the single-instance
    // checker has found no other instance.
    bool Create(const wxString& serviceName) override;

    // The host's connection for `topic`, or null to refuse the client.
    wxConnectionBase* OnAcceptConnection(const wxString& topic) override = 0;

    // The socket listened on; empty before a successful Create().
    const wxString& GetSocketPath() const { return m_socketPath; }

    static const std::size_t maxMessageBytes;
    static const int clientTimeoutMillis;
    static const std::size_t maxPendingClients;

private:
    class Listener;

    std::unique_ptr<Listener> m_listener;
    wxString m_socketPath;
};

// A connection of the running instance; the host handles the arguments in OnExecute.
class SingleInstanceConnection : public wxConnection
{
public:
    SingleInstanceConnection() = default;
    virtual ~SingleInstanceConnection() = default;

    // `data` is the JSON text of an array of the new start's arguments.
    bool OnExecute(const wxString& topic, const void* data, std::size_t size, wxIPCFormat format) override = 0;

    // Reads the arguments out of an execute request; false (and `arguments` empty)
    // unless it is UTF-8 text of at most SingleInstanceServer::maxMessageBytes that
    // holds a JSON array of strings.
    static bool ReadArguments(const void* data, std::size_t size, wxIPCFormat format,
                              std::vector<wxString>& arguments);
};

// The client of a new start. The host supplies the connection objects.
class SingleInstanceClient : public wxClient
{
public:
    SingleInstanceClient() = default;
    SingleInstanceClient(const SingleInstanceClient& other) = default;
    SingleInstanceClient& operator=(const SingleInstanceClient& other) = default;
    virtual ~SingleInstanceClient() = default;

    wxConnectionBase* OnMakeConnection() override = 0;

    // How long a new start keeps trying to reach the running instance before it
    // reports the instance as too busy.
    static const int answerTimeoutMillis;
};

class SingleInstanceClientFactory
{
public:
    SingleInstanceClientFactory() = default;
    SingleInstanceClientFactory(const SingleInstanceClientFactory& other) = default;
    SingleInstanceClientFactory& operator=(const SingleInstanceClientFactory& other) = default;

    // A new client for one call of IsThereAnotherInstance.
    virtual std::unique_ptr<SingleInstanceClient> CreateClient() const = 0;

protected:
    ~SingleInstanceClientFactory() = default;
};

// Takes the single-instance lock `lockName`. Returns false when no other instance
// holds it; `checker` then holds the lock, and the caller keeps it for the life of
// the application. Returns true when another instance runs: with
// SingleInstancePassCommandLine, the arguments 1 to argc - 1 are first sent to it
// as the JSON text of an array of strings on `serviceName` and `topic`; `checker`
// is then null, and `delivered` (when given) is false only when there were
// arguments and they did not arrive: a message box captioned `caption` then says
// why. When nobody serves the socket at all (with or without arguments), the lock
// is taken to be left over from an instance that was killed: it is taken over and
// the result is false, so that this start opens the arguments itself. With
// `forceAnotherInstance` it returns true at once and leaves the checker.
bool IsThereAnotherInstance(const wxString& lockName, const wxString& serviceName, const wxString& topic,
                            const wxString& caption, int argc, const wxCmdLineArgsArray& argv,
                            bool forceAnotherInstance, const SingleInstanceClientFactory& clientFactory,
                            SingleInstanceOnAlreadyRunningAction action, wxSingleInstanceChecker*& checker,
                            bool* delivered = nullptr);
