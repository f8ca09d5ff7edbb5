#include "harness/helpers.h"

#include "korgui/singleinstance.h"

#include "korbase/jsonobject.h"

#include <gtest/gtest.h>

#include <wx/filename.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

using namespace kortest;

namespace
{

const char* const helperPath = KOR_SINGLEINSTANCE_HELPER;

// What the running instance received.
struct Received
{
    std::vector<std::vector<wxString>> messages;
    std::vector<wxString> topics;
    int disconnects = 0;
};

class RecordingConnection : public SingleInstanceConnection
{
public:
    explicit RecordingConnection(Received& received) : m_received(received) {}

    bool OnExecute(const wxString& topic, const void* data, size_t size, wxIPCFormat format) override
    {
        std::vector<wxString> arguments;
        EXPECT_TRUE(ReadArguments(data, size, format, arguments)) << "the server passed on a bad request";
        m_received.topics.push_back(topic);
        m_received.messages.push_back(arguments);
        return true;
    }

    bool OnDisconnect() override
    {
        ++m_received.disconnects;
        return SingleInstanceConnection::OnDisconnect();
    }

private:
    Received& m_received;
};

class RecordingServer : public SingleInstanceServer
{
public:
    wxConnectionBase* OnAcceptConnection(const wxString& topic) override
    {
        ++accepted;
        return topic == "topic" ? new RecordingConnection(received) : nullptr;
    }

    int accepted = 0;

    Received received;
};

struct HelperRun
{
    int exitCode = -1;
    std::string output;

    bool Has(const std::string& line) const { return ("\n" + output).find("\n" + line + "\n") != std::string::npos; }
};

// Starts the helper as a new start of the application and keeps this process's
// event loop running (it is the running instance) until the helper has ended.
HelperRun RunHelper(const wxString& lock, const wxString& service, int action, bool force,
                    const std::vector<wxString>& arguments)
{
    std::vector<std::string> args = {helperPath,
                                     std::string(lock.utf8_str()),
                                     std::string(service.utf8_str()),
                                     std::to_string(action),
                                     force ? "1" : "0"};
    for (const wxString& a : arguments)
        args.push_back(std::string(a.utf8_str()));
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const std::string outputPath = std::string(TestHome().utf8_str()) + "/helper-output.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    HelperRun run;
    const int spawned = posix_spawn(&pid, helperPath, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
    {
        ADD_FAILURE() << "cannot start " << helperPath << ": " << std::strerror(spawned);
        return run;
    }
    int status = 0;
    PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, std::chrono::seconds(60), "helper to end");
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = ReadFileBytes(wxString::FromUTF8(outputPath));
    return run;
}

wxString UniqueName(const char* what)
{
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    return wxString::Format("%s-%s-%d", what, wxString(info->name()).Left(12), static_cast<int>(getpid()));
}

std::string Frame(unsigned char code, const std::string& payload)
{
    std::string frame(1, static_cast<char>(code));
    const auto size = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i)
        frame += static_cast<char>((size >> (8 * i)) & 0xff);
    return frame + payload;
}

std::string ConnectFrame(const std::string& topic)
{
    return Frame(10, topic);
}

// An execute request as the toolkit's client sends it: code, format, size, data.
std::string ExecuteFrame(const std::string& text)
{
    std::string frame(1, '\x01');
    frame += static_cast<char>(wxIPC_UTF8TEXT);
    return frame + Frame(0, text + '\0').substr(1);
}

// A client written by hand, to send what the toolkit's client never would.
class RawClient
{
public:
    explicit RawClient(const wxString& path)
    {
        // Non-blocking: the server runs on this very thread and has to accept meanwhile.
        m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.fn_str(), sizeof(address.sun_path) - 1);
        int error = 0;
        PumpUntil(
            [&] {
                error = connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 ? 0 : errno;
                return error != EAGAIN;
            },
            std::chrono::seconds(10), "connection accepted");
        EXPECT_EQ(error, 0) << std::strerror(error);
    }
    ~RawClient() { close(m_fd); }

    void Send(const std::string& bytes)
    {
        size_t sent = 0;
        while (sent < bytes.size())
        {
            const ssize_t n = send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0)
                sent += static_cast<size_t>(n);
            else if (errno == EAGAIN)
                PumpFor(std::chrono::milliseconds(1)); // the server reads meanwhile
            else
                return; // closed by the server
        }
    }

    // Everything the server sent until now, or until it closed the connection.
    std::string Receive()
    {
        char buffer[256];
        const ssize_t n = recv(m_fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (n > 0)
            m_received.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            m_closed = true;
        return m_received;
    }

    bool WaitClosed(std::chrono::milliseconds timeout)
    {
        return PumpUntil(
            [&] {
                Receive();
                return m_closed;
            },
            timeout, "server to close the connection");
    }

    bool IsClosed() const { return m_closed; }

private:
    int m_fd = -1;
    std::string m_received;
    bool m_closed = false;
};

// The running instance: holds the lock and serves.
struct RunningInstance
{
    explicit RunningInstance(bool serve = true)
    {
        lock = UniqueName("lock");
        service = UniqueName("service");
        wxSingleInstanceChecker* taken = nullptr;
        wxCmdLineArgsArray noArgs;
        EXPECT_FALSE(IsThereAnotherInstance(lock, service, "topic", "Caption", 0, noArgs, false, factory,
                                            SingleInstancePassCommandLine, taken));
        checker.reset(taken);
        EXPECT_NE(taken, nullptr);
        if (serve)
        {
            EXPECT_TRUE(server.Create(service));
            socketPath = server.GetSocketPath();
        }
    }

    struct NullFactory : SingleInstanceClientFactory
    {
        std::unique_ptr<SingleInstanceClient> CreateClient() const override { return nullptr; }
    } factory;
    wxString lock;
    wxString service;
    std::unique_ptr<wxSingleInstanceChecker> checker;
    RecordingServer server;
    wxString socketPath;
};

const std::string tooBusy = "message=Caption|Sorry, the existing instance may be too busy to respond.\n"
                            "Please close any open dialogs and retry.";

mode_t ModeOf(const wxString& path)
{
    struct stat st;
    return lstat(path.fn_str(), &st) == 0 ? st.st_mode : 0;
}

} // namespace

TEST(SingleInstanceSocketPath, LivesInAFolderOnlyTheUserCanEnter)
{
    wxString error;
    const wxString path = SingleInstanceSocketPath(SingleInstanceServer::GetDefaultServerName(), &error);
    ASSERT_FALSE(path.empty()) << error;
    const wxString folder = wxFileName(path).GetPath();
    wxString runtime;
    ASSERT_TRUE(wxGetEnv("XDG_RUNTIME_DIR", &runtime));
    EXPECT_EQ(folder, runtime + "/korgui");
    EXPECT_EQ(wxFileName(path).GetFullName(), "korvo-server");
    EXPECT_EQ(ModeOf(folder) & 0777, 0700u);

    // A name is never a path out of the folder.
    EXPECT_EQ(wxFileName(SingleInstanceSocketPath("../../x y/z")).GetPath(), folder);
}

TEST(SingleInstanceSocketPath, FallsBackToAFolderUnderTheHomeWhenTheRuntimeFolderIsNotPrivate)
{
    wxString runtime;
    ASSERT_TRUE(wxGetEnv("XDG_RUNTIME_DIR", &runtime));
    ASSERT_EQ(chmod(runtime.fn_str(), 0755), 0);
    const wxString path = SingleInstanceSocketPath("svc");
    chmod(runtime.fn_str(), 0700);
    EXPECT_EQ(wxFileName(path).GetPath(), TestHome() + "/.korgui-runtime");
    EXPECT_EQ(ModeOf(TestHome() + "/.korgui-runtime") & 0777, 0700u);

    wxUnsetEnv("XDG_RUNTIME_DIR");
    EXPECT_EQ(wxFileName(SingleInstanceSocketPath("svc")).GetPath(), TestHome() + "/.korgui-runtime");
    wxSetEnv("XDG_RUNTIME_DIR", runtime);
}

TEST(SingleInstanceSocketPath, RefusesAFolderOthersCanEnter)
{
    wxString runtime;
    ASSERT_TRUE(wxGetEnv("XDG_RUNTIME_DIR", &runtime));
    const wxString folder = runtime + "/korgui";
    ASSERT_EQ(mkdir(folder.fn_str(), 0700), 0);
    ASSERT_EQ(chmod(folder.fn_str(), 0755), 0);

    wxString error;
    EXPECT_TRUE(SingleInstanceSocketPath("svc", &error).empty());
    EXPECT_TRUE(error.Contains("755")) << error;
    RecordingServer server;
    EXPECT_FALSE(server.Create("svc"));
    EXPECT_EQ(ModeOf(folder) & 0777, 0755u) << "the folder is refused, not repaired";
}

TEST(SingleInstanceSocketPath, RefusesAFolderOfAnotherUser)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to plant a folder of another user";
    wxString runtime;
    ASSERT_TRUE(wxGetEnv("XDG_RUNTIME_DIR", &runtime));
    const wxString folder = runtime + "/korgui";
    ASSERT_EQ(mkdir(folder.fn_str(), 0700), 0);
    ASSERT_EQ(chown(folder.fn_str(), 65534, 65534), 0);

    wxString error;
    EXPECT_TRUE(SingleInstanceSocketPath("svc", &error).empty());
    EXPECT_TRUE(error.Contains("another user")) << error;
    RecordingServer server;
    EXPECT_FALSE(server.Create("svc"));
}

TEST(SingleInstanceConnection, ReadsOnlyAJsonArrayOfStrings)
{
    std::vector<wxString> args;
    const std::string good = "[\"a b\",\"\\\"quoted\\\"\",\"\xc3\xbc\"]";
    EXPECT_TRUE(SingleInstanceConnection::ReadArguments(good.c_str(), good.size() + 1, wxIPC_UTF8TEXT, args));
    EXPECT_EQ(args, (std::vector<wxString>{"a b", "\"quoted\"", wxString::FromUTF8("\xc3\xbc")}));

    auto refused = [&](const std::string& text, wxIPCFormat format = wxIPC_UTF8TEXT) {
        args = {"stale"};
        const bool read = SingleInstanceConnection::ReadArguments(text.data(), text.size(), format, args);
        return !read && args.empty();
    };
    EXPECT_TRUE(refused("not json"));
    EXPECT_TRUE(refused("{\"a\":\"b\"}"));
    EXPECT_TRUE(refused("\"a\""));
    EXPECT_TRUE(refused("[\"a\",1]"));
    EXPECT_TRUE(refused("[[\"a\"]]"));
    EXPECT_TRUE(refused(""));
    EXPECT_TRUE(refused(std::string("[\"a\"]\0[\"b\"]", 11)));
    EXPECT_TRUE(refused("[\"\xff\xfe\"]"));
    EXPECT_TRUE(refused("[\"a\"]", wxIPC_PRIVATE));
    EXPECT_TRUE(refused("[\"" + std::string(SingleInstanceServer::maxMessageBytes, 'x') + "\"]"));
}

TEST(SingleInstance, SecondStartForwardsItsArgumentsAsOneJsonArray)
{
    RunningInstance running;
    const std::vector<wxString> arguments = {"/media/card one/clip.mov", "say \"hello\" and 'bye'",
                                             wxString::FromUTF8("Ünïcödé folder"), "--flag", ""};
    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, arguments);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(run.Has("result=1")) << run.output;
    EXPECT_TRUE(run.Has("checker=null")) << run.output;
    EXPECT_EQ(run.output.find("message="), std::string::npos) << run.output;

    PumpUntil([&] { return running.server.received.disconnects == 1; }, std::chrono::seconds(10), "disconnect");
    ASSERT_EQ(running.server.received.messages.size(), 1u);
    EXPECT_EQ(running.server.received.messages[0], arguments);
    EXPECT_EQ(running.server.received.topics[0], "topic");
    EXPECT_EQ(running.server.accepted, 1) << "asking whether the instance answers is not a connection";

    // The running instance keeps serving.
    const HelperRun again = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {"next"});
    EXPECT_TRUE(again.Has("result=1")) << again.output;
    PumpUntil([&] { return running.server.received.messages.size() == 2; }, std::chrono::seconds(10), "second");
    EXPECT_EQ(running.server.received.messages.back(), std::vector<wxString>{"next"});
}

TEST(SingleInstance, FirstStartKeepsTheLockAndTheSocketIsPrivate)
{
    RunningInstance running;
    ASSERT_NE(running.checker, nullptr);
    EXPECT_FALSE(running.checker->IsAnotherRunning());
    const mode_t mode = ModeOf(running.socketPath);
    EXPECT_TRUE(S_ISSOCK(mode));
    EXPECT_EQ(mode & 077, 0u);
}

TEST(SingleInstance, StartWithoutArgumentsSendsNothing)
{
    RunningInstance running;
    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {});
    EXPECT_TRUE(run.Has("result=1")) << run.output;
    EXPECT_TRUE(run.Has("checker=null")) << run.output;
    EXPECT_EQ(run.output.find("message="), std::string::npos) << run.output;
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(running.server.received.messages.empty());
    EXPECT_EQ(running.server.received.disconnects, 0) << "it did not even connect";
}

TEST(SingleInstance, OtherActionsSendNothing)
{
    RunningInstance running;
    for (int action : {0, 2, -1})
    {
        const HelperRun run = RunHelper(running.lock, running.service, action, false, {"file"});
        EXPECT_TRUE(run.Has("result=1")) << action << ": " << run.output;
        EXPECT_TRUE(run.Has("checker=null")) << action << ": " << run.output;
        EXPECT_EQ(run.output.find("message="), std::string::npos) << run.output;
    }
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(running.server.received.messages.empty());
}

TEST(SingleInstance, ForcedFlagAnswersTrueAndKeepsTheChecker)
{
    // Alone: the flag answers true all the same.
    const wxString lock = UniqueName("lock");
    const HelperRun alone = RunHelper(lock, UniqueName("service"), SingleInstancePassCommandLine, true, {"x"});
    EXPECT_TRUE(alone.Has("result=1")) << alone.output;
    EXPECT_TRUE(alone.Has("checker=set")) << alone.output;

    // And with another instance running, without sending anything.
    RunningInstance running;
    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, true, {"x"});
    EXPECT_TRUE(run.Has("result=1")) << run.output;
    EXPECT_TRUE(run.Has("checker=set")) << run.output;
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(running.server.received.messages.empty());

    // Without the flag and alone, the start is the first one.
    const HelperRun first = RunHelper(UniqueName("other-lock"), running.service, SingleInstancePassCommandLine,
                                      false, {"x"});
    EXPECT_TRUE(first.Has("result=0")) << first.output;
    EXPECT_TRUE(first.Has("checker=set")) << first.output;
}

TEST(SingleInstance, TooBusyMessageWhenNoServerAnswers)
{
    RunningInstance running(false); // holds the lock, serves nothing
    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {"file"});
    EXPECT_TRUE(run.Has(tooBusy)) << run.output;
    EXPECT_TRUE(run.Has("result=1")) << run.output;
    EXPECT_TRUE(run.Has("checker=null")) << run.output;

    // A socket file left behind by a crashed instance answers no better.
    wxString error;
    const wxString path = SingleInstanceSocketPath(running.service, &error);
    {
        RecordingServer stale;
        ASSERT_TRUE(stale.Create(running.service));
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.fn_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(fd); // bound, never listening
    chmod(path.fn_str(), 0600);
    const HelperRun stale = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {"file"});
    EXPECT_TRUE(stale.Has(tooBusy)) << stale.output;

    // The server of the next instance replaces such a file.
    RecordingServer next;
    EXPECT_TRUE(next.Create(running.service));
}

TEST(SingleInstance, TooBusyMessageWhenTheRunningInstanceHangs)
{
    RunningInstance running(false);
    // An instance that listens but never gets round to answering.
    wxString error;
    const wxString path = SingleInstanceSocketPath(running.service, &error);
    ASSERT_FALSE(path.empty()) << error;
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.fn_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(chmod(path.fn_str(), 0600), 0);
    ASSERT_EQ(listen(fd, 5), 0);

    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {"file"});
    close(fd);
    EXPECT_TRUE(run.Has(tooBusy)) << run.output;
    EXPECT_TRUE(run.Has("result=1")) << run.output;
}

TEST(SingleInstance, SocketWithOpenModeIsNotTrusted)
{
    RunningInstance running;
    ASSERT_EQ(chmod(running.socketPath.fn_str(), 0666), 0);
    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {"secret"});
    EXPECT_TRUE(run.Has(tooBusy)) << run.output;
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(running.server.received.messages.empty());

    // Nor does a new server take it over.
    RecordingServer other;
    EXPECT_FALSE(other.Create(running.service));
}

TEST(SingleInstance, SocketOfAnotherUserIsNotTrusted)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to plant a socket of another user";
    RunningInstance running;
    ASSERT_EQ(chown(running.socketPath.fn_str(), 65534, 65534), 0);
    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {"secret"});
    EXPECT_TRUE(run.Has(tooBusy)) << run.output;
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(running.server.received.messages.empty());
    RecordingServer other;
    EXPECT_FALSE(other.Create(running.service));
    EXPECT_TRUE(S_ISSOCK(ModeOf(running.socketPath))) << "the planted socket is left alone";
}

TEST(SingleInstance, ASecondServerNeverStealsALiveSocket)
{
    RunningInstance running;
    RecordingServer thief;
    EXPECT_FALSE(thief.Create(running.service));
    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {"a"});
    EXPECT_TRUE(run.Has("result=1")) << run.output;
    PumpUntil([&] { return running.server.received.messages.size() == 1; }, std::chrono::seconds(10), "message");
    EXPECT_TRUE(thief.received.messages.empty());
}

TEST(SingleInstance, MalformedAndOversizedRequestsAreRefusedAndTheServerKeepsServing)
{
    RunningInstance running;
    const wxString path = running.socketPath;

    struct Case
    {
        const char* what;
        std::string bytes;
    };
    const std::string bigText = "[\"" + std::string(SingleInstanceServer::maxMessageBytes, 'x') + "\"]";
    const Case cases[] = {
        {"not JSON", ConnectFrame("topic") + ExecuteFrame("rm -rf /")},
        {"a JSON object", ConnectFrame("topic") + ExecuteFrame("{\"path\":\"x\"}")},
        {"an array of numbers", ConnectFrame("topic") + ExecuteFrame("[1,2]")},
        {"invalid UTF-8", ConnectFrame("topic") + ExecuteFrame("[\"\xc3\x28\"]")},
        {"an unknown request", ConnectFrame("topic") + std::string(1, '\x02') + Frame(0, "item")},
        {"no connect first", ExecuteFrame("[\"a\"]")},
        {"a huge topic", Frame(10, std::string(64 * 1024, 't'))},
        {"a claimed 4 GiB message", ConnectFrame("topic") + std::string("\x01\x0e\xf0\xff\xff\xff", 6)},
        {"a real oversized message", ConnectFrame("topic") + ExecuteFrame(bigText)},
        {"garbage", std::string("\x7f\x00\x01garbage", 10)},
    };
    // Refused on sight: well before a silent client would be dropped.
    const std::chrono::milliseconds onSight(SingleInstanceServer::clientTimeoutMillis / 2);
    for (const Case& c : cases)
    {
        RawClient client(path);
        client.Send(c.bytes);
        EXPECT_TRUE(client.WaitClosed(onSight)) << c.what;
    }
    EXPECT_TRUE(running.server.received.messages.empty());

    // An unknown topic is answered with a failure.
    {
        RawClient client(path);
        client.Send(ConnectFrame("other topic"));
        EXPECT_TRUE(client.WaitClosed(std::chrono::seconds(10)));
        EXPECT_EQ(client.Receive(), std::string(1, '\x09'));
    }

    // A request written by hand the way the toolkit does is served, byte by byte too.
    {
        RawClient client(path);
        const std::string request = ConnectFrame("topic") + ExecuteFrame("[\"by hand\"]") + std::string(1, '\x0b');
        for (char byte : request)
        {
            client.Send(std::string(1, byte));
            PumpFor(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(client.WaitClosed(std::chrono::seconds(10)));
        EXPECT_EQ(client.Receive(), std::string(1, '\x0a'));
    }
    ASSERT_EQ(running.server.received.messages.size(), 1u);
    EXPECT_EQ(running.server.received.messages[0], std::vector<wxString>{"by hand"});

    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {"after"});
    EXPECT_TRUE(run.Has("result=1")) << run.output;
    PumpUntil([&] { return running.server.received.messages.size() == 2; }, std::chrono::seconds(10), "message");
    EXPECT_EQ(running.server.received.messages.back(), std::vector<wxString>{"after"});
}

TEST(SingleInstance, SeveralRequestsOnOneConnectionAreServedInOrder)
{
    RunningInstance running;
    RawClient client(running.socketPath);
    client.Send(ConnectFrame("topic") + ExecuteFrame("[\"one\"]") + ExecuteFrame("[\"two\",\"three\"]") +
                std::string(1, '\x0b'));
    EXPECT_TRUE(client.WaitClosed(std::chrono::seconds(10)));
    ASSERT_EQ(running.server.received.messages.size(), 2u);
    EXPECT_EQ(running.server.received.messages[0], std::vector<wxString>{"one"});
    EXPECT_EQ(running.server.received.messages[1], (std::vector<wxString>{"two", "three"}));
    EXPECT_EQ(running.server.received.disconnects, 1);
}

TEST(SingleInstance, SilentClientsNeitherFreezeTheGuiNorBlockOthers)
{
    RunningInstance running;
    // More silent clients than the server keeps: the extra ones are turned away at once.
    std::vector<std::unique_ptr<RawClient>> silent;
    for (size_t i = 0; i < SingleInstanceServer::maxPendingClients + 2; ++i)
        silent.push_back(std::make_unique<RawClient>(running.socketPath));
    silent.back()->Send(ConnectFrame("to")); // half a request is no better than none

    int ticks = 0;
    wxTimer ticker;
    ticker.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { ++ticks; });
    ticker.Start(20);
    PumpFor(std::chrono::milliseconds(500));
    EXPECT_GT(ticks, 5) << "the event loop kept running";

    // Once the silent ones are gone, the next start is served while the GUI runs on.
    bool allClosed = PumpUntil(
        [&] {
            for (auto& c : silent)
            {
                c->Receive();
                if (!c->IsClosed())
                    return false;
            }
            return true;
        },
        std::chrono::milliseconds(SingleInstanceServer::clientTimeoutMillis * 4), "silent clients dropped");
    EXPECT_TRUE(allClosed);

    RawClient oneMore(running.socketPath); // silent again, while the next start comes
    const int ticksBefore = ticks;
    const HelperRun run = RunHelper(running.lock, running.service, SingleInstancePassCommandLine, false, {"served"});
    EXPECT_TRUE(run.Has("result=1")) << run.output;
    PumpUntil([&] { return running.server.received.messages.size() == 1; }, std::chrono::seconds(10), "message");
    EXPECT_EQ(running.server.received.messages[0], std::vector<wxString>{"served"});
    EXPECT_GT(ticks, ticksBefore);
}
