// The single-instance guard: the request parser fuzzed as a function, and a running
// instance in this process with new starts as separate processes (the helper).

#include "harness/helpers.h"

#include "korgui/services/ipcrequest.h"
#include "korgui/singleinstance.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <random>

extern char** environ;
using namespace kortest;
using Args = std::vector<wxString>;

namespace
{

std::string Frame(unsigned char code, const std::string& payload)
{
    std::string frame(1, static_cast<char>(code));
    for (int i = 0; i < 4; ++i)
        frame += static_cast<char>((payload.size() >> (8 * i)) & 0xff);
    return frame + payload;
}

// An execute request as the toolkit's client sends it: code, format, size, text and its zero.
std::string Execute(const std::string& text)
{
    return std::string(1, '\x01') + static_cast<char>(wxIPC_UTF8TEXT) + Frame(0, text + '\0').substr(1);
}

struct Server : SingleInstanceServer
{
    struct Connection : SingleInstanceConnection
    {
        explicit Connection(std::vector<Args>& received) : received(received) {}
        bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat format) override
        {
            Args arguments;
            EXPECT_TRUE(ReadArguments(data, size, format, arguments)) << "a bad request was passed on";
            received.push_back(arguments);
            return true;
        }
        std::vector<Args>& received;
    };
    wxConnectionBase* OnAcceptConnection(const wxString& topic) override
    {
        return topic == "topic" ? new Connection(received) : nullptr;
    }
    std::vector<Args> received;
};

struct NoClients : SingleInstanceClientFactory
{
    std::unique_ptr<SingleInstanceClient> CreateClient() const override { return nullptr; }
};

// The running instance: holds the lock, and serves unless told not to.
struct RunningInstance
{
    explicit RunningInstance(bool serve = true)
    {
        wxSingleInstanceChecker* taken = nullptr;
        EXPECT_FALSE(IsThereAnotherInstance(lock, service, "topic", "Caption", 0, wxCmdLineArgsArray(), false,
                                            NoClients(), SingleInstancePassCommandLine, taken));
        checker.reset(taken);
        EXPECT_TRUE(!serve || server.Create(service));
    }
    // A new start: the helper, while this process's event loop keeps serving.
    std::string Start(const Args& arguments, int action = SingleInstancePassCommandLine)
    {
        std::vector<std::string> args = {KOR_SINGLEINSTANCE_HELPER, lock.utf8_string(), service.utf8_string(),
                                         std::to_string(action), "0"};
        for (const wxString& a : arguments)
            args.push_back(a.utf8_string());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string out = TestHome().utf8_string() + "/helper.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, std::chrono::seconds(60), "new start");
        return ReadFileBytes(wxString::FromUTF8(out));
    }

    wxString lock = wxString::Format("lock-%d", int(getpid()));
    wxString service = wxString::Format("service-%d", int(getpid()));
    std::unique_ptr<wxSingleInstanceChecker> checker;
    Server server;
};

// A socket at the service's path that is bound, listening as asked, never served.
int PlantSocket(const wxString& service, bool listening)
{
    const wxString path = SingleInstanceSocketPath(service);
    unlink(path.fn_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.fn_str(), sizeof(address.sun_path) - 1);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    chmod(path.fn_str(), 0600);
    if (listening)
        listen(fd, 5);
    return fd;
}

// Connects without blocking this thread, on which the server has to accept.
int ConnectRaw(const wxString& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.fn_str(), sizeof(address.sun_path) - 1);
    PumpUntil([&] { return connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 || errno != EAGAIN; },
              std::chrono::seconds(10), "connection");
    return fd;
}

} // namespace

TEST(IpcRequestParser, FramesAreTakenWholeAndAnythingElseIsRefused)
{
    const size_t max = SingleInstanceServer::maxMessageBytes;
    const struct
    {
        bool connected;
        std::string input;
        IpcParse result;
    } cases[] = {
        {false, Frame(10, "topic"), IpcParse::Request},
        {false, Frame(10, "topic").substr(0, 7), IpcParse::Incomplete},
        {false, Execute("[\"a\"]"), IpcParse::Refused},
        {false, Frame(10, std::string(maxIpcTopicBytes + 1, 't')), IpcParse::Refused},
        {true, Execute("[\"a\"]") + Execute("[\"b\"]"), IpcParse::Request},
        {true, Execute("[\"a\"]").substr(0, 5), IpcParse::Incomplete},
        {true, std::string("\x01\x0e\xf0\xff\xff\xff", 6), IpcParse::Refused}, // claims 4 GiB
        {true, Frame(2, "item"), IpcParse::Refused},
        {true, std::string(1, '\x0b'), IpcParse::Request},
    };
    for (const auto& c : cases)
    {
        std::string input = c.input;
        IpcRequest request;
        wxString refusal;
        EXPECT_EQ(TakeIpcRequest(input, c.connected, max, request, refusal), c.result) << c.input;
        EXPECT_EQ(refusal.empty(), c.result != IpcParse::Refused);
    }
    std::string two = Execute("[\"a\"]") + Execute("[\"b\"]");
    IpcRequest request;
    wxString refusal;
    ASSERT_EQ(TakeIpcRequest(two, true, max, request, refusal), IpcParse::Request);
    EXPECT_EQ(request.data, std::string("[\"a\"]\0", 6));
    EXPECT_EQ(two, Execute("[\"b\"]")) << "the second request stays";

    // Random bytes: never more taken than there is, never a request that reads past it.
    std::mt19937 random(17);
    for (int round = 0; round < 50000; ++round)
    {
        std::string input(std::uniform_int_distribution<size_t>(0, 24)(random), '\0');
        for (char& byte : input)
            byte = static_cast<char>(std::uniform_int_distribution<int>(0, 12)(random) == 0 ? 0xff : random() % 14);
        const std::string before = input;
        const IpcParse result = TakeIpcRequest(input, round % 2 == 0, 16, request, refusal);
        if (result == IpcParse::Request)
            EXPECT_EQ(before.substr(before.size() - input.size()), input);
        else
            EXPECT_EQ(input, before);
    }
}

TEST(SingleInstanceConnection, ReadsOnlyAJsonArrayOfStrings)
{
    Args args;
    const std::string good = "[\"a b\",\"\\\"quoted\\\"\",\"\xc3\xbc\"]";
    EXPECT_TRUE(SingleInstanceConnection::ReadArguments(good.c_str(), good.size() + 1, wxIPC_UTF8TEXT, args));
    EXPECT_EQ(args, (Args{"a b", "\"quoted\"", wxString::FromUTF8("\xc3\xbc")}));
    for (const std::string& bad : {std::string("not json"), std::string("{\"a\":\"b\"}"), std::string("[\"a\",1]"),
                                   std::string("[[\"a\"]]"), std::string(""), std::string("[\"a\"]\0[\"b\"]", 11),
                                   std::string("[\"\xff\xfe\"]"),
                                   "[\"" + std::string(SingleInstanceServer::maxMessageBytes, 'x') + "\"]"})
        EXPECT_FALSE(SingleInstanceConnection::ReadArguments(bad.data(), bad.size(), wxIPC_UTF8TEXT, args)) << bad;
    EXPECT_FALSE(SingleInstanceConnection::ReadArguments(good.data(), good.size(), wxIPC_PRIVATE, args));
}

TEST(SingleInstance, SecondStartsAreDeliveredEvenThroughAFloodAndBadRequestsAreLoggedOnly)
{
    RunningInstance running;
    const wxString socket = running.server.GetSocketPath();
    EXPECT_EQ(wxFileName(socket).GetPath(), wxGetenv("XDG_RUNTIME_DIR") + wxString("/korgui"));

    // Bad requests are refused on the spot and written to standard error, not shown.
    const std::string log = TestHome().utf8_string() + "/stderr.txt";
    const int savedStderr = dup(2);
    const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(logFd, 2);
    for (const std::string& bad : {Frame(10, "topic") + Execute("rm -rf /"), Frame(10, "other topic"),
                                   Execute("[\"a\"]")})
    {
        const int fd = ConnectRaw(socket);
        EXPECT_EQ(send(fd, bad.data(), bad.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bad.size()));
        char byte = 0;
        PumpUntil([&] { return recv(fd, &byte, 1, MSG_DONTWAIT) == 0; }, std::chrono::seconds(2), "refusal");
        close(fd);
    }
    dup2(savedStderr, 2);
    close(logFd);
    close(savedStderr);
    EXPECT_EQ(Shell("grep -c 'request to this instance was refused' " + ShellQuote(wxString::FromUTF8(log))), "3");
    EXPECT_TRUE(running.server.received.empty());

    // 200 connections held open by another local process say nothing; a start still gets through.
    std::vector<int> flood;
    for (int i = 0; i < 200; ++i)
        flood.push_back(ConnectRaw(socket));
    const Args arguments = {"/media/card one/clip.mov", "say \"hi\" 'bye'", wxString::FromUTF8("Ünï"), "--flag"};
    const std::string run = running.Start(arguments);
    for (int fd : flood)
        close(fd);
    EXPECT_NE(run.find("result=1\nchecker=null\ndelivered=1\n"), std::string::npos) << run;
    EXPECT_EQ(run.find("message="), std::string::npos) << run;
    PumpUntil([&] { return !running.server.received.empty(); }, std::chrono::seconds(10), "arguments");
    EXPECT_EQ(running.server.received, std::vector<Args>{arguments});

    // Without arguments, or with another action, nothing is sent.
    EXPECT_NE(running.Start({}).find("result=1\nchecker=null\ndelivered=0\n"), std::string::npos);
    EXPECT_NE(running.Start({"x"}, 0).find("result=1\n"), std::string::npos);
    PumpFor(std::chrono::milliseconds(200));
    EXPECT_EQ(running.server.received.size(), 1u);
}

TEST(SingleInstance, AnInstanceThatHangsIsReportedWithTheReasonAndNothingIsDelivered)
{
    RunningInstance running(false);
    const int fd = PlantSocket(running.service, true); // listens, never answers
    const std::string run = running.Start({"file"});
    close(fd);
    EXPECT_NE(run.find("message=Caption|Sorry, the existing instance may be too busy to respond.\nPlease close any "
                       "open dialogs and retry.\n\nthe running instance did not answer"),
              std::string::npos)
        << run;
    EXPECT_NE(run.find("result=1\nchecker=null\ndelivered=0\n"), std::string::npos) << run;
}

TEST(SingleInstance, ALockWhoseSocketNobodyServesIsTakenOver)
{
    RunningInstance running(false); // the lock of an instance that was killed: its number lives on
    close(PlantSocket(running.service, false));
    const std::string run = running.Start({"file"});
    EXPECT_NE(run.find("result=0\nchecker=set\n"), std::string::npos) << run;
    EXPECT_EQ(run.find("message="), std::string::npos) << run;
    Server next; // and the new instance's server replaces the dead socket
    EXPECT_TRUE(next.Create(running.service));
}
