#include "korgui/singleinstance.h"

#include "korgui/services/ipcrequest.h"
#include "korgui/services/localsocket.h"

#include "korbase/jsonobject.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgout.h>
#include <wx/socket.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <list>

const std::size_t SingleInstanceServer::maxMessageBytes = 1024 * 1024;
const int SingleInstanceServer::clientTimeoutMillis = 5000;
const std::size_t SingleInstanceServer::maxPendingClients = 64;

namespace
{

wxString SocketFileName(const wxString& serviceName)
{
    wxString name;
    for (wxUniChar c : serviceName)
        name += (wxIsalnum(c) && c.IsAscii()) || c == '-' || c == '_' || c == '.' ? c : wxUniChar('_');
    if (name.empty() || name.StartsWith("."))
        name.Prepend("service");
    return name;
}

// A refused request goes to standard error, never to a message box: anyone who can
// reach the socket could otherwise pile up boxes in the user's session.
void LogRefusedRequest(const wxString& reason)
{
    wxMessageOutputStderr().Printf(_("korgui: a request to this instance was refused: %s") + "\n", reason);
}

} // namespace

wxString SingleInstanceSocketPath(const wxString& serviceName, wxString* error)
{
    wxString reason;
    wxString runtime;
    wxString folder;
    if (wxGetEnv("XDG_RUNTIME_DIR", &runtime) && wxIsAbsolutePath(runtime) && IsPrivateFolder(runtime, reason))
        folder = wxFileName(runtime, "korgui").GetFullPath();
    else
        folder = wxFileName(wxGetHomeDir(), ".korgui-runtime").GetFullPath();

    if (mkdir(NativePath(folder).c_str(), 0700) != 0 && errno != EEXIST)
        reason = wxString::Format(_("Cannot create the folder \"%s\": %s"), folder, wxSysErrorMsgStr(errno));
    else if (IsPrivateFolder(folder, reason))
    {
        const wxString path = wxFileName(folder, SocketFileName(serviceName)).GetFullPath();
        if (NativePath(path).size() < sizeof(sockaddr_un::sun_path))
            return path;
        reason = wxString::Format(_("The socket path \"%s\" is too long."), path);
    }
    if (error)
        *error = reason;
    return wxString();
}

// Listens on the socket and screens every client before the host sees it. Runs on
// the GUI thread from socket events; never waits for a client.
class SingleInstanceServer::Listener : public wxEvtHandler
{
public:
    explicit Listener(SingleInstanceServer& owner) : m_owner(owner)
    {
        Bind(wxEVT_SOCKET, &Listener::OnSocketEvent, this);
        m_timer.Bind(wxEVT_TIMER, &Listener::OnTimer, this);
    }

    ~Listener() override
    {
        while (!m_clients.empty())
            Drop(m_clients.begin());
        if (m_socket)
        {
            m_socket->Notify(false);
            m_socket->Destroy();
        }
        RemoveSocketFile();
    }

    bool Listen(const wxString& path)
    {
        wxString error;
        struct stat st;
        if (lstat(NativePath(path).c_str(), &st) == 0)
        {
            if (!IsOwnSocket(path, error))
                return CannotListen(error);
            if (IsSocketServed(path))
                return CannotListen(wxString::Format(_("Another server already answers on \"%s\"."), path));
            unlink(NativePath(path).c_str()); // left behind by an instance that ended abnormally
        }

        wxUNIXaddress address;
        address.Filename(path);
        m_socket = new wxSocketServer(address, wxSOCKET_NOWAIT);
        if (!m_socket->IsOk())
        {
            m_socket->Destroy();
            m_socket = nullptr;
            return CannotListen(wxString::Format(_("Cannot listen on \"%s\"."), path));
        }
        chmod(NativePath(path).c_str(), 0600);
        if (lstat(NativePath(path).c_str(), &st) == 0)
        {
            m_path = path;
            m_device = st.st_dev;
            m_inode = st.st_ino;
        }
        m_socket->SetEventHandler(*this);
        m_socket->SetNotify(wxSOCKET_CONNECTION_FLAG);
        m_socket->Notify(true);
        return true;
    }

private:
    struct Client
    {
        wxSocketBase* socket = nullptr;
        std::string input;
        std::int64_t deadline = 0;
        wxString topic;
        wxConnectionBase* connection = nullptr; // from OnAcceptConnection, once connected
        bool busy = false;                      // inside the host's OnExecute
        bool lost = false;                      // closed while busy
    };
    using ClientIt = std::list<Client>::iterator;

    static bool CannotListen(const wxString& reason)
    {
        wxLogError(_("The single-instance server cannot start: %s"), reason);
        return false;
    }

    void RemoveSocketFile()
    {
        // Only the socket this server made: never one that replaced it.
        struct stat st;
        if (!m_path.empty() && lstat(NativePath(m_path).c_str(), &st) == 0 && st.st_dev == m_device &&
            st.st_ino == m_inode)
            unlink(NativePath(m_path).c_str());
    }

    void OnSocketEvent(wxSocketEvent& event)
    {
        if (event.GetSocket() == m_socket)
        {
            if (event.GetSocketEvent() == wxSOCKET_CONNECTION)
                AcceptAll();
            return;
        }
        const ClientIt it = Find(event.GetSocket());
        if (it == m_clients.end())
            return;
        if (event.GetSocketEvent() == wxSOCKET_LOST)
            Drop(it);
        else if (event.GetSocketEvent() == wxSOCKET_INPUT)
            ReadFrom(it);
    }

    void AcceptAll()
    {
        while (wxSocketBase* socket = m_socket->Accept(false))
        {
            // A flood of clients that say nothing must not lock out the one that
            // speaks: the longest waiting makes room for the newcomer.
            if (m_clients.size() >= maxPendingClients)
                DropLongestWaiting();
            Client client;
            client.socket = socket;
            client.deadline = NowMillis() + clientTimeoutMillis;
            m_clients.push_back(std::move(client));
            socket->SetFlags(wxSOCKET_NOWAIT);
            socket->SetEventHandler(*this);
            socket->SetNotify(wxSOCKET_INPUT_FLAG | wxSOCKET_LOST_FLAG);
            socket->Notify(true);
            ReadFrom(std::prev(m_clients.end()));
        }
        if (!m_clients.empty() && !m_timer.IsRunning())
            m_timer.Start(250);
    }

    ClientIt Find(wxSocketBase* socket)
    {
        for (auto it = m_clients.begin(); it != m_clients.end(); ++it)
            if (it->socket == socket)
                return it;
        return m_clients.end();
    }

    void ReadFrom(ClientIt it)
    {
        if (it->busy)
            return; // read again once the host has handled the current request
        // Reading goes on after each request: more may have come while the host handled it.
        for (;;)
        {
            std::size_t received = 0;
            char buffer[4096];
            for (;;)
            {
                it->socket->Read(buffer, sizeof(buffer));
                const std::size_t count = it->socket->LastCount();
                if (count == 0)
                    break;
                received += count;
                it->input.append(buffer, count);
                // A request never needs more than a message and its framing.
                if (it->input.size() > maxMessageBytes + maxIpcTopicBytes + 64)
                    return Refuse(it, _("more data than any request holds"));
            }
            if (!Process(it) || received == 0)
                return;
        }
    }

    // Handles every complete request in the client's input; drops the client on
    // anything else. False when the client is gone.
    bool Process(ClientIt it)
    {
        for (;;)
        {
            IpcRequest request;
            wxString refusal;
            switch (TakeIpcRequest(it->input, it->connection != nullptr, maxMessageBytes, request, refusal))
            {
            case IpcParse::Incomplete:
                return true;
            case IpcParse::Refused:
                Refuse(it, refusal);
                return false;
            case IpcParse::Request:
                break;
            }
            if (request.code == IPC_DISCONNECT)
            {
                Drop(it);
                return false;
            }
            if (!(request.code == IPC_CONNECT ? Connect(it, request.topic) : Execute(it, request)))
                return false;
        }
    }

    bool Connect(ClientIt it, const wxString& topic)
    {
        // No topic is how a new start asks whether anyone answers: refused, quietly.
        wxConnectionBase* connection = topic.empty() ? nullptr : m_owner.OnAcceptConnection(topic);
        const unsigned char reply = connection ? IPC_CONNECT : IPC_FAIL;
        it->socket->Write(&reply, 1);
        if (!connection)
        {
            if (topic.empty())
                Drop(it);
            else
                Refuse(it, wxString::Format(_("the topic \"%s\" is not served"), topic));
            return false;
        }
        // Not connected through the toolkit's own socket: its Disconnect() must not try to write.
        connection->SetConnected(false);
        it->topic = topic;
        it->connection = connection;
        return true;
    }

    bool Execute(ClientIt it, const IpcRequest& request)
    {
        std::vector<wxString> arguments;
        if (!SingleInstanceConnection::ReadArguments(request.data.data(), request.data.size(), request.format,
                                                     arguments))
        {
            Refuse(it, _("it is not a list of arguments"));
            return false;
        }
        // The host may show windows here, and socket events may come in meanwhile.
        it->busy = true;
        it->connection->OnExecute(it->topic, request.data.data(), request.data.size(), request.format);
        it->busy = false;
        if (it->lost)
        {
            Drop(it);
            return false;
        }
        return true;
    }

    void Refuse(ClientIt it, const wxString& reason)
    {
        LogRefusedRequest(reason);
        Drop(it);
    }

    // Clients that have not even connected go first, the oldest of them.
    void DropLongestWaiting()
    {
        for (const bool connected : {false, true})
        {
            for (auto it = m_clients.begin(); it != m_clients.end(); ++it)
            {
                if (!it->busy && (it->connection != nullptr) == connected)
                    return Drop(it);
            }
        }
    }

    void Drop(ClientIt it)
    {
        if (it->busy)
        {
            it->lost = true;
            return;
        }
        it->socket->Notify(false);
        it->socket->Destroy();
        wxConnectionBase* connection = it->connection;
        m_clients.erase(it);
        if (connection)
            connection->OnDisconnect(); // the toolkit's contract: by default it deletes itself
        if (m_clients.empty())
            m_timer.Stop();
    }

    void OnTimer(wxTimerEvent&)
    {
        const std::int64_t now = NowMillis();
        for (auto it = m_clients.begin(); it != m_clients.end();)
        {
            const auto next = std::next(it);
            if (!it->busy && now > it->deadline)
                Drop(it);
            it = next;
        }
    }

    SingleInstanceServer& m_owner;
    wxSocketServer* m_socket = nullptr;
    std::list<Client> m_clients;
    wxTimer m_timer;
    wxString m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

SingleInstanceServer::SingleInstanceServer() = default;

SingleInstanceServer::SingleInstanceServer(const SingleInstanceServer&) : SingleInstanceServer()
{
}

SingleInstanceServer& SingleInstanceServer::operator=(const SingleInstanceServer&)
{
    return *this;
}

SingleInstanceServer::~SingleInstanceServer() = default;

const wxString SingleInstanceServer::GetDefaultServerName()
{
    return "korvo-server";
}

bool SingleInstanceServer::Create(const wxString& serviceName)
{
    m_listener.reset();
    m_socketPath.clear();

    wxString error;
    const wxString path = SingleInstanceSocketPath(serviceName, &error);
    if (path.empty())
    {
        wxLogError(_("The single-instance server cannot start: %s"), error);
        return false;
    }
    auto listener = std::make_unique<Listener>(*this);
    if (!listener->Listen(path))
        return false;
    m_listener = std::move(listener);
    m_socketPath = path;
    return true;
}

bool SingleInstanceConnection::ReadArguments(const void* data, std::size_t size, wxIPCFormat format,
                                             std::vector<wxString>& arguments)
{
    arguments.clear();
    if (!data || size > SingleInstanceServer::maxMessageBytes || format != wxIPC_UTF8TEXT)
        return false;
    std::string text(static_cast<const char*>(data), size);
    if (!text.empty() && text.back() == '\0')
        text.pop_back(); // the toolkit sends text with its terminating zero
    if (text.find('\0') != std::string::npos)
        return false;
    wxJSONValue value;
    const wxString decoded = wxString::FromUTF8(text);
    if (decoded.empty() || !TextToJson(decoded, value) || !value.is_array())
        return false;
    for (const wxJSONValue& item : value)
        if (!item.is_string())
            return false;
    arguments = FromJson<std::vector<wxString>>(value);
    return true;
}

