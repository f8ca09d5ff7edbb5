#pragma once

#include "korgui/singleinstance.h"

#include <functional>
#include <vector>

// korhost's side of the single-instance guard: a second start's paths come to the
// running instance through these.

// The lock and the topic korhost's instances share.
wxString HostLockName();
wxString HostTopic();

// Receives the paths of a second start.
class HostConnection : public SingleInstanceConnection
{
public:
    using Handler = std::function<void(const std::vector<wxString>&)>;

    explicit HostConnection(Handler handler) : m_handler(std::move(handler)) {}

    bool OnExecute(const wxString& topic, const void* data, size_t size, wxIPCFormat format) override;

private:
    Handler m_handler;
};

class HostServer : public SingleInstanceServer
{
public:
    explicit HostServer(HostConnection::Handler handler) : m_handler(std::move(handler)) {}

    wxConnectionBase* OnAcceptConnection(const wxString& topic) override;

private:
    HostConnection::Handler m_handler;
};

class HostClient : public SingleInstanceClient
{
public:
    wxConnectionBase* OnMakeConnection() override { return new wxConnection; }
};

class HostClientFactory : public SingleInstanceClientFactory
{
public:
    std::unique_ptr<SingleInstanceClient> CreateClient() const override { return std::make_unique<HostClient>(); }
};
