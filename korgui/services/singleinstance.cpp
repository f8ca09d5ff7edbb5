#include "korgui/singleinstance.h"

#include "korbase/jsonobject.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/socket.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <list>

const std::size_t SingleInstanceServer::maxMessageBytes = 1024 * 1024;
const int SingleInstanceServer::clientTimeoutMillis = 5000;
const std::size_t SingleInstanceServer::maxPendingClients = 8;
const int SingleInstanceClient::answerTimeoutMillis = 5000;

namespace
{

// Message codes of the toolkit's IPC stream protocol (src/common/sckipc.cpp); the
// server speaks its connect, execute and disconnect requests.
enum IpcCode : unsigned char
{
    IPC_EXECUTE = 1,
    IPC_FAIL = 9,
    IPC_CONNECT = 10,
    IPC_DISCONNECT = 11,
};

const std::size_t maxTopicBytes = 1024;

std::string NativePath(const wxString& path)
{
    return std::string(path.fn_str());
}

// True when `path` is a folder of this user that nobody else can enter.
bool IsPrivateFolder(const wxString& path, wxString& error)
{
    struct stat st;
    if (lstat(NativePath(path).c_str(), &st) != 0)
    {
        error = wxString::Format(_("Cannot read the folder \"%s\": %s"), path, wxSysErrorMsgStr(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode))
        error = wxString::Format(_("\"%s\" is not a folder."), path);
    else if (st.st_uid != geteuid())
        error = wxString::Format(_("The folder \"%s\" belongs to another user."), path);
    else if ((st.st_mode & 077) != 0)
        error = wxString::Format(_("Other users can enter the folder \"%s\" (mode %03o)."), path,
                                 static_cast<unsigned>(st.st_mode & 0777));
    else
        return true;
    return false;
}

// True when `path` is a socket of this user that nobody else can use.
bool IsOwnSocket(const wxString& path, wxString& error)
{
    struct stat st;
    if (lstat(NativePath(path).c_str(), &st) != 0)
    {
        error = wxString::Format(_("Cannot read the socket \"%s\": %s"), path, wxSysErrorMsgStr(errno));
        return false;
    }
    if (!S_ISSOCK(st.st_mode))
        error = wxString::Format(_("\"%s\" is not a socket."), path);
    else if (st.st_uid != geteuid())
        error = wxString::Format(_("The socket \"%s\" belongs to another user."), path);
    else if ((st.st_mode & 077) != 0)
        error = wxString::Format(_("Other users can use the socket \"%s\" (mode %03o)."), path,
                                 static_cast<unsigned>(st.st_mode & 0777));
    else
        return true;
    return false;
}

std::int64_t NowMillis()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A connected socket to the server at `path`, or -1. The caller closes it.
int ConnectTo(const wxString& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string native = NativePath(path);
    std::strncpy(address.sun_path, native.c_str(), sizeof(address.sun_path) - 1);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
    {
        close(fd);
        return -1;
    }
    return fd;
}

// True when a server accepts connections on the socket at `path`.
bool IsSocketServed(const wxString& path)
{
    const int fd = ConnectTo(path);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// True when the server at `path` answers within `timeoutMillis`. The toolkit's client
// would wait ten minutes for an instance that hangs; this asks first, with a connect
// request for no topic, which servers refuse at once without involving the host.
bool IsServerAnswering(const wxString& path, int timeoutMillis)
{
    const int fd = ConnectTo(path);
    if (fd < 0)
        return false;
    const unsigned char request[] = {IPC_CONNECT, 0, 0, 0, 0};
    bool answered = send(fd, request, sizeof(request), MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof(request));
    if (answered)
    {
        pollfd reply{fd, POLLIN, 0};
        const std::int64_t deadline = NowMillis() + timeoutMillis;
        int ready = 0;
        for (std::int64_t left = timeoutMillis; left >= 0; left = deadline - NowMillis())
        {
            ready = poll(&reply, 1, static_cast<int>(left));
            if (ready >= 0 || errno != EINTR)
                break;
        }
        unsigned char code = 0;
        answered = ready > 0 && recv(fd, &code, 1, 0) == 1;
    }
    close(fd);
    return answered;
}

wxString SocketFileName(const wxString& serviceName)
{
    wxString name;
    for (wxUniChar c : serviceName)
        name += (wxIsalnum(c) && c.IsAscii()) || c == '-' || c == '_' || c == '.' ? c : wxUniChar('_');
    if (name.empty() || name.StartsWith("."))
        name.Prepend("service");
    return name;
}

std::uint32_t ReadLittleEndian32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
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
                return Refuse(error);
            if (IsSocketServed(path))
                return Refuse(wxString::Format(_("Another server already answers on \"%s\"."), path));
            unlink(NativePath(path).c_str()); // left behind by an instance that ended abnormally
        }

        wxUNIXaddress address;
        address.Filename(path);
        m_socket = new wxSocketServer(address, wxSOCKET_NOWAIT);
        if (!m_socket->IsOk())
        {
            m_socket->Destroy();
            m_socket = nullptr;
            return Refuse(wxString::Format(_("Cannot listen on \"%s\"."), path));
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

    static bool Refuse(const wxString& reason)
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
            if (m_clients.size() >= maxPendingClients)
            {
                socket->Destroy();
                continue;
            }
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
                if (it->input.size() > maxMessageBytes + maxTopicBytes + 64)
                    return Drop(it);
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
            std::string& in = it->input;
            if (in.empty())
                return true;
            const unsigned char code = static_cast<unsigned char>(in[0]);
            if (!it->connection)
            {
                if (code != IPC_CONNECT)
                {
                    Drop(it);
                    return false;
                }
                if (in.size() < 5)
                    return true;
                const std::uint32_t length = ReadLittleEndian32(in, 1);
                if (length > maxTopicBytes)
                {
                    Drop(it);
                    return false;
                }
                if (in.size() < 5 + length)
                    return true;
                it->topic = wxString::FromUTF8(in.data() + 5, length);
                in.erase(0, 5 + length);
                if (!Connect(it))
                    return false;
            }
            else if (code == IPC_EXECUTE)
            {
                if (in.size() < 6)
                    return true;
                const auto format = static_cast<wxIPCFormat>(static_cast<unsigned char>(in[1]));
                const std::uint32_t size = ReadLittleEndian32(in, 2);
                if (size > maxMessageBytes)
                {
                    Drop(it);
                    return false;
                }
                if (in.size() < 6 + std::size_t(size))
                    return true;
                const std::string data = in.substr(6, size);
                in.erase(0, 6 + std::size_t(size));
                if (!Execute(it, data, format))
                    return false;
            }
            else
            {
                // A disconnect ends the client; the toolkit's other requests are not served.
                Drop(it);
                return false;
            }
        }
    }

    bool Connect(ClientIt it)
    {
        wxConnectionBase* connection = it->topic.empty() ? nullptr : m_owner.OnAcceptConnection(it->topic);
        const unsigned char reply = connection ? IPC_CONNECT : IPC_FAIL;
        it->socket->Write(&reply, 1);
        if (!connection)
        {
            Drop(it);
            return false;
        }
        // Not connected through the toolkit's own socket: its Disconnect() must not try to write.
        connection->SetConnected(false);
        it->connection = connection;
        return true;
    }

    bool Execute(ClientIt it, const std::string& data, wxIPCFormat format)
    {
        std::vector<wxString> arguments;
        if (!SingleInstanceConnection::ReadArguments(data.data(), data.size(), format, arguments))
        {
            wxLogWarning(_("A request to this instance was refused: it is not a list of arguments."));
            Drop(it);
            return false;
        }
        // The host may show windows here, and socket events may come in meanwhile.
        it->busy = true;
        it->connection->OnExecute(it->topic, data.data(), data.size(), format);
        it->busy = false;
        if (it->lost)
        {
            Drop(it);
            return false;
        }
        return true;
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

bool IsThereAnotherInstance(const wxString& lockName, const wxString& serviceName, const wxString& topic,
                            const wxString& caption, int argc, const wxCmdLineArgsArray& argv,
                            bool forceAnotherInstance, const SingleInstanceClientFactory& clientFactory,
                            SingleInstanceOnAlreadyRunningAction action, wxSingleInstanceChecker*& checker)
{
    checker = new wxSingleInstanceChecker;
    checker->Create(lockName);
    if (forceAnotherInstance)
        return true;
    if (!checker->IsAnotherRunning())
        return false;

    if (action == SingleInstancePassCommandLine)
    {
        std::vector<wxString> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.push_back(wxString::Format("%s", argv[i]));
        if (!arguments.empty())
        {
            const std::unique_ptr<SingleInstanceClient> client = clientFactory.CreateClient();
            std::unique_ptr<wxConnectionBase> connection;
            wxString error;
            const wxString path = SingleInstanceSocketPath(serviceName, &error);
            // Only a socket of this user's own gets the command line. No socket at all
            // is no news: the message box below says that nobody answered.
            const bool exists = !path.empty() && wxFileName::Exists(path, wxFILE_EXISTS_SYMLINK | wxFILE_EXISTS_NO_FOLLOW |
                                                                            wxFILE_EXISTS_ANY);
            if (client && exists && IsOwnSocket(path, error) &&
                IsServerAnswering(path, SingleInstanceClient::answerTimeoutMillis))
                connection.reset(client->MakeConnection("localhost", path, topic));
            else if (path.empty() || exists)
                wxLogWarning(_("The running instance cannot be reached: %s"), error);
            if (connection)
            {
                connection->Execute(JsonToText(ToJson(arguments), JSON_COMPACT));
                connection->Disconnect();
            }
            else
            {
                wxMessageBox(_("Sorry, the existing instance may be too busy to respond.\nPlease close any open "
                               "dialogs and retry."),
                             wxGetTranslation(caption), wxOK | wxICON_INFORMATION);
            }
        }
    }

    delete checker;
    checker = nullptr;
    return true;
}
