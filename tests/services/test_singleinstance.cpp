// The single-instance guard: the request parser fuzzed as a function, and a running
// instance in this process with new starts as separate processes (the helper).

#include "harness/helpers.h"

#include "korgui/services/ipcrequest.h"
#include "korgui/singleinstance.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>

using namespace kortest;
using Args = std::vector<wxString>;

namespace
{

std::string Frame(char code, const std::string& payload)
{
    const auto size = static_cast<std::uint32_t>(payload.size());
    return code + std::string(reinterpret_cast<const char*>(&size), 4) + payload; // little-endian here
}

// An execute request as the toolkit's client sends it: code, format, size, text and its zero.
std::string Execute(const std::string& text)
{
    return std::string(1, '\x01') + static_cast<char>(wxIPC_UTF8TEXT) + Frame(0, text + '\0').substr(1);
}

std::vector<Args> received; // by the running instance

struct Server : SingleInstanceServer
{
    struct Connection : SingleInstanceConnection
    {
        bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat format) override
        {
            EXPECT_TRUE(ReadArguments(data, size, format, received.emplace_back())) << "a bad request passed";
            return true;
        }
    };
    wxConnectionBase* OnAcceptConnection(const wxString& topic) override { return topic == "topic" ? new Connection : nullptr; }
};

// The running instance: holds the lock, and serves unless told not to.
struct RunningInstance
{
    explicit RunningInstance(bool serve = true)
    {
        EXPECT_TRUE(checker.Create(lock) && !checker.IsAnotherRunning());
        EXPECT_TRUE(!serve || server.Create(service));
    }
    // A new start: the helper, while this process's event loop keeps serving.
    std::string Start(const Args& arguments)
    {
        std::string command = std::string(KOR_SINGLEINSTANCE_HELPER) + " " + ShellQuote(lock) + " " +
                              ShellQuote(service) + " " + std::to_string(SingleInstancePassCommandLine);
        for (const wxString& a : arguments)
            command += " " + ShellQuote(a);
        std::string output;
        std::atomic<bool> ended{false};
        std::thread start([&] { output = Shell(command), ended = true; });
        PumpUntil([&] { return ended.load(); }, std::chrono::seconds(60), "new start");
        start.join();
        return output + "\n";
    }

    wxString lock = wxString::Format("lock-%d", int(getpid()));
    wxString service = wxString::Format("service-%d", int(getpid()));
    wxSingleInstanceChecker checker;
    Server server;
};

struct Address : sockaddr_un
{
    explicit Address(const wxString& path) : sockaddr_un{AF_UNIX, {}} { std::strncpy(sun_path, path.fn_str(), 107); }
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(this); }
};

// A socket at the service's path that is bound, listening as asked, never served.
int PlantSocket(const wxString& service, bool listening)
{
    const wxString path = SingleInstanceSocketPath(service);
    unlink(path.fn_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(bind(fd, Address(path).get(), sizeof(sockaddr_un)), 0);
    chmod(path.fn_str(), 0600);
    EXPECT_TRUE(!listening || listen(fd, 5) == 0);
    return fd;
}

// Connects without blocking this thread, on which the server has to accept.
int ConnectRaw(const wxString& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    PumpUntil([&] { return connect(fd, Address(path).get(), sizeof(sockaddr_un)) == 0 || errno != EAGAIN; },
              std::chrono::seconds(10), "connection");
    return fd;
}

} // namespace

TEST(IpcRequestParser, FramesAreTakenWholeAndAnythingElseIsRefused)
{
    const size_t max = SingleInstanceServer::maxMessageBytes;
    const struct { bool connected; std::string input; IpcParse result; } cases[] = {
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
    IpcRequest request;
    wxString refusal;
    for (const auto& c : cases)
    {
        std::string input = c.input;
        EXPECT_EQ(TakeIpcRequest(input, c.connected, max, request, refusal), c.result) << c.input;
        EXPECT_EQ(refusal.empty(), c.result != IpcParse::Refused);
        const bool two = c.result == IpcParse::Request && c.connected && input.size() > 1; // the second stays
        EXPECT_TRUE(!two || request.data + input == std::string("[\"a\"]\0", 6) + Execute("[\"b\"]"));
        refusal.clear();
    }

    // Random bytes: never more taken than there is, never a request that reads past it.
    std::mt19937 random(17);
    for (int round = 0; round < 50000; ++round)
    {
        std::string input(random() % 25, '\0');
        for (char& byte : input)
            byte = static_cast<char>(random() % 13 == 0 ? 0xff : random() % 14);
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
    for (const std::string& bad : {std::string("{\"a\":\"b\"}"), std::string("[\"a\",1]"), std::string("[[\"a\"]]"),
                                   std::string("[\"a\"]\0[\"b\"]", 11), std::string("[\"\xff\xfe\"]"),
                                   "[\"" + std::string(SingleInstanceServer::maxMessageBytes, 'x') + "\"]"})
        EXPECT_FALSE(SingleInstanceConnection::ReadArguments(bad.data(), bad.size(), wxIPC_UTF8TEXT, args)) << bad;
    EXPECT_FALSE(SingleInstanceConnection::ReadArguments("[\"a\"]", 5, wxIPC_PRIVATE, args));
}

TEST(SingleInstance, SecondStartsAreDeliveredEvenThroughAFloodAndBadRequestsAreLoggedOnly)
{
    RunningInstance running;
    const wxString socket = running.server.GetSocketPath();

    // Bad requests are refused on the spot and written to standard error, not shown.
    testing::internal::CaptureStderr();
    for (const std::string& bad : {Frame(10, "topic") + Execute("rm -rf /"), Frame(10, "other topic"),
                                   Execute("[\"a\"]")})
    {
        const int fd = ConnectRaw(socket);
        EXPECT_EQ(send(fd, bad.data(), bad.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bad.size()));
        char byte = 0;
        PumpUntil([&] { return recv(fd, &byte, 1, MSG_DONTWAIT) == 0; }, std::chrono::seconds(2), "refusal");
        close(fd);
    }
    const wxString log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.Freq('\n'), 3u) << log;
    EXPECT_TRUE(log.Contains("refused: it is not a list of arguments") && log.Contains("\"other topic\" is not served"));
    EXPECT_TRUE(received.empty());

    // 200 connections held open by another local process say nothing; a start still gets through.
    std::vector<int> flood;
    for (int i = 0; i < 200; ++i)
        flood.push_back(ConnectRaw(socket));
    const Args arguments = {"/media/card one/clip.mov", "say \"hi\" 'bye'", wxString::FromUTF8("Ünï"), "--flag"};
    const auto started = std::chrono::steady_clock::now();
    const std::string run = running.Start(arguments); // served at once, not once the silent ones time out
    EXPECT_LT(std::chrono::steady_clock::now() - started,
              std::chrono::milliseconds(SingleInstanceServer::clientTimeoutMillis / 2));
    for (int fd : flood)
        close(fd);
    EXPECT_NE(run.find("result=1\nchecker=null\ndelivered=1\n"), std::string::npos) << run;
    EXPECT_EQ(run.find("message="), std::string::npos) << run;
    PumpUntil([&] { return !received.empty(); }, std::chrono::seconds(10), "arguments");
    EXPECT_EQ(received, std::vector<Args>{arguments});
}

TEST(SingleInstance, AnInstanceThatHangsIsReportedWithTheReasonAndNothingIsDelivered)
{
    RunningInstance running(false);
    const int fd = PlantSocket(running.service, true); // listens, never answers
    const std::string run = running.Start({"file"});
    close(fd);
    EXPECT_NE(run.find("message=Caption|Sorry, the existing instance may be too busy to respond.\nPlease close any "
                       "open dialogs and retry.\n\nthe running instance did not answer"), std::string::npos) << run;
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
