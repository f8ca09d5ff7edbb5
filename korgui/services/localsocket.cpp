#include "korgui/services/localsocket.h"

#include "korgui/services/ipcrequest.h"

#include <wx/intl.h>
#include <wx/log.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

std::string NativePath(const wxString& path)
{
    return std::string(path.fn_str());
}

std::int64_t NowMillis()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace
{

// The texts that say why a folder or a socket is not private, each a format with the path.
struct PrivateKind
{
    mode_t type;
    const char* cannotRead; // and the system's reason
    const char* wrongType;
    const char* otherOwner;
    const char* openMode; // and the mode
};

const PrivateKind privateFolder = {
    S_IFDIR, wxTRANSLATE("Cannot read the folder \"%s\": %s"), wxTRANSLATE("\"%s\" is not a folder."),
    wxTRANSLATE("The folder \"%s\" belongs to another user."),
    wxTRANSLATE("Other users can enter the folder \"%s\" (mode %03o).")};
const PrivateKind privateSocket = {
    S_IFSOCK, wxTRANSLATE("Cannot read the socket \"%s\": %s"), wxTRANSLATE("\"%s\" is not a socket."),
    wxTRANSLATE("The socket \"%s\" belongs to another user."),
    wxTRANSLATE("Other users can use the socket \"%s\" (mode %03o).")};

bool IsPrivate(const wxString& path, const PrivateKind& kind, wxString& error)
{
    struct stat st;
    if (lstat(NativePath(path).c_str(), &st) != 0)
        error = wxString::Format(wxGetTranslation(kind.cannotRead), path, wxSysErrorMsgStr(errno));
    else if ((st.st_mode & S_IFMT) != kind.type)
        error = wxString::Format(wxGetTranslation(kind.wrongType), path);
    else if (st.st_uid != geteuid())
        error = wxString::Format(wxGetTranslation(kind.otherOwner), path);
    else if ((st.st_mode & 077) != 0)
        error = wxString::Format(wxGetTranslation(kind.openMode), path, static_cast<unsigned>(st.st_mode & 0777));
    else
        return true;
    return false;
}

} // namespace

bool IsPrivateFolder(const wxString& path, wxString& error)
{
    return IsPrivate(path, privateFolder, error);
}

bool IsOwnSocket(const wxString& path, wxString& error)
{
    return IsPrivate(path, privateSocket, error);
}

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
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool IsSocketServed(const wxString& path)
{
    const int fd = ConnectTo(path);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

bool IsServerAnswering(const wxString& path, int timeoutMillis, wxString& error)
{
    const int fd = ConnectTo(path);
    if (fd < 0)
    {
        error = wxString::Format(_("nobody answers on \"%s\": %s"), path, wxSysErrorMsgStr(errno));
        return false;
    }
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
    if (!answered)
        error = wxString::Format(_("the running instance did not answer on \"%s\" within %d seconds."), path,
                                 (timeoutMillis + 999) / 1000);
    return answered;
}
