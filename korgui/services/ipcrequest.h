#pragma once

// The requests of the toolkit's IPC stream protocol (wx/ipc.h over a socket) that
// the single-instance server serves, read from the bytes a client has sent so far.

#include <wx/ipc.h>
#include <wx/string.h>

#include <cstddef>
#include <string>

// Message codes of the protocol: a connect request for a topic, then execute
// requests, then a disconnect. The server answers a connect with IPC_CONNECT or
// IPC_FAIL.
enum IpcCode : unsigned char
{
    IPC_EXECUTE = 1,
    IPC_FAIL = 9,
    IPC_CONNECT = 10,
    IPC_DISCONNECT = 11,
};

constexpr std::size_t maxIpcTopicBytes = 1024;

struct IpcRequest
{
    IpcCode code = IPC_FAIL;
    wxString topic;                          // of a connect request
    wxIPCFormat format = wxIPC_INVALID;      // of an execute request
    std::string data;                        // of an execute request
};

enum class IpcParse
{
    Incomplete, // more bytes are needed
    Request,    // `request` holds the first request, which has been taken off the input
    Refused,    // the input is nothing the server serves; `refusal` says why
};

// Reads the first request in `input`. Before a connection is made (`connected`
// false) only a connect request with a topic of at most maxIpcTopicBytes is served;
// after it, execute requests of at most `maxDataBytes` and the disconnect.
IpcParse TakeIpcRequest(std::string& input, bool connected, std::size_t maxDataBytes, IpcRequest& request,
                        wxString& refusal);
