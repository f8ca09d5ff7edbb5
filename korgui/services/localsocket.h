#pragma once

// Unix-domain socket helpers of the single-instance guard: the private folder its
// sockets live in, and the checks a new start makes before it trusts a socket.

#include <wx/string.h>

#include <cstdint>
#include <string>

std::string NativePath(const wxString& path);

std::int64_t NowMillis();

// True when `path` is a folder of this user that nobody else can enter; else false
// with the reason in `error`.
bool IsPrivateFolder(const wxString& path, wxString& error);

// True when `path` is a socket of this user that nobody else can use; else false
// with the reason in `error`.
bool IsOwnSocket(const wxString& path, wxString& error);

// A connected socket to the server at `path`, or -1 with errno set. The caller closes it.
int ConnectTo(const wxString& path);

// True when a server accepts connections on the socket at `path`.
bool IsSocketServed(const wxString& path);

// True when the server at `path` answers within `timeoutMillis`: it is sent a
// connect request for no topic, which servers refuse at once without involving
// the host. False, with the reason in `error`, otherwise.
bool IsServerAnswering(const wxString& path, int timeoutMillis, wxString& error);
