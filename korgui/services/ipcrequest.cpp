#include "korgui/services/ipcrequest.h"

#include <wx/intl.h>

#include <cstdint>

namespace
{

std::uint32_t ReadLittleEndian32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

} // namespace

IpcParse TakeIpcRequest(std::string& input, bool connected, std::size_t maxDataBytes, IpcRequest& request,
                        wxString& refusal)
{
    if (input.empty())
        return IpcParse::Incomplete;
    const auto code = static_cast<unsigned char>(input[0]);
    if (!connected)
    {
        if (code != IPC_CONNECT)
        {
            refusal = wxString::Format(_("request %u before a connection"), static_cast<unsigned>(code));
            return IpcParse::Refused;
        }
        if (input.size() < 5)
            return IpcParse::Incomplete;
        const std::uint32_t length = ReadLittleEndian32(input, 1);
        if (length > maxIpcTopicBytes)
        {
            refusal = wxString::Format(_("a topic of %u bytes"), static_cast<unsigned>(length));
            return IpcParse::Refused;
        }
        if (input.size() < 5 + std::size_t(length))
            return IpcParse::Incomplete;
        request = IpcRequest();
        request.code = IPC_CONNECT;
        request.topic = wxString::FromUTF8(input.data() + 5, length);
        input.erase(0, 5 + std::size_t(length));
        return IpcParse::Request;
    }
    if (code == IPC_DISCONNECT)
    {
        request = IpcRequest();
        request.code = IPC_DISCONNECT;
        input.erase(0, 1);
        return IpcParse::Request;
    }
    if (code != IPC_EXECUTE)
    {
        refusal = wxString::Format(_("request %u, which is not served"), static_cast<unsigned>(code));
        return IpcParse::Refused;
    }
    if (input.size() < 6)
        return IpcParse::Incomplete;
    const std::uint32_t size = ReadLittleEndian32(input, 2);
    if (size > maxDataBytes)
    {
        refusal = wxString::Format(_("a message of %u bytes"), static_cast<unsigned>(size));
        return IpcParse::Refused;
    }
    if (input.size() < 6 + std::size_t(size))
        return IpcParse::Incomplete;
    request = IpcRequest();
    request.code = IPC_EXECUTE;
    request.format = static_cast<wxIPCFormat>(static_cast<unsigned char>(input[1]));
    request.data = input.substr(6, size);
    input.erase(0, 6 + std::size_t(size));
    return IpcParse::Request;
}
