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
