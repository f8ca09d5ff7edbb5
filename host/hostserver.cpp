#include "hostserver.h"

#include <wx/utils.h>

wxString HostLockName()
{
    return ".korhost-" + wxGetUserId() + ".lock";
}

wxString HostTopic()
{
    return "korhost-open";
}

bool HostConnection::OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat format)
{
    std::vector<wxString> paths;
    if (!ReadArguments(data, size, format, paths))
        return false;
    m_handler(paths);
    return true;
}

wxConnectionBase* HostServer::OnAcceptConnection(const wxString& topic)
{
    return topic == HostTopic() ? new HostConnection(m_handler) : nullptr;
}
