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

// Takes the payload of the frame at the start of `input`: its 32-bit size sits at
// `sizeAt`, the payload follows a header of `headerBytes`. A size over `maxBytes`
// is refused before any of it has come.
IpcParse TakeFrame(std::string& input, std::size_t sizeAt, std::size_t headerBytes, std::size_t maxBytes,
                   std::string& payload, std::uint32_t& size)
{
    if (input.size() < headerBytes)
        return IpcParse::Incomplete;
    size = ReadLittleEndian32(input, sizeAt);
    if (size > maxBytes)
        return IpcParse::Refused;
    if (input.size() < headerBytes + std::size_t(size))
        return IpcParse::Incomplete;
    payload = input.substr(headerBytes, size);
    input.erase(0, headerBytes + std::size_t(size));
    return IpcParse::Request;
}

} // namespace

IpcParse TakeIpcRequest(std::string& input, bool connected, std::size_t maxDataBytes, IpcRequest& request,
                        wxString& refusal)
{
    if (input.empty())
        return IpcParse::Incomplete;
    const auto code = static_cast<unsigned char>(input[0]);
    const auto format = static_cast<wxIPCFormat>(input.size() > 1 ? static_cast<unsigned char>(input[1]) : 0);
    std::string payload;
    std::uint32_t size = 0;
    IpcParse result = IpcParse::Refused;
    if (!connected && code == IPC_CONNECT)
    {
        // code, size, topic
        result = TakeFrame(input, 1, 5, maxIpcTopicBytes, payload, size);
        if (result == IpcParse::Refused)
            refusal = wxString::Format(_("a topic of %u bytes"), static_cast<unsigned>(size));
    }
    else if (connected && code == IPC_EXECUTE)
    {
        // code, format, size, data
        result = TakeFrame(input, 2, 6, maxDataBytes, payload, size);
        if (result == IpcParse::Refused)
            refusal = wxString::Format(_("a message of %u bytes"), static_cast<unsigned>(size));
    }
    else if (connected && code == IPC_DISCONNECT)
    {
        input.erase(0, 1);
        result = IpcParse::Request;
    }
    else
    {
        refusal = connected ? wxString::Format(_("request %u, which is not served"), static_cast<unsigned>(code))
                            : wxString::Format(_("request %u before a connection"), static_cast<unsigned>(code));
    }
    if (result != IpcParse::Request)
        return result;
    request = IpcRequest();
    request.code = static_cast<IpcCode>(code);
    if (code == IPC_CONNECT)
        request.topic = wxString::FromUTF8(payload.data(), payload.size());
    if (code == IPC_EXECUTE)
    {
        request.format = format;
        request.data = std::move(payload);
    }
    return IpcParse::Request;
}
