#include "korverify/cli/interrupt.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace
{

// The signal handler may only make async-signal-safe calls: it writes one byte into
// the pipe, and the watch thread does the rest.
volatile sig_atomic_t g_signalPipe = -1;

constexpr char kSignalled = 'i';
constexpr char kQuit = 'q';

void OnSigint(int)
{
    const int savedErrno = errno;
    if (g_signalPipe >= 0)
    {
        const char byte = kSignalled;
        [[maybe_unused]] const ssize_t written = write(g_signalPipe, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt) : m_onInterrupt(std::move(onInterrupt))
{
    if (pipe2(m_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot create a pipe for Ctrl-C");
    g_signalPipe = m_pipe[1];
    m_thread = std::thread([this] { Watch(); });
    struct sigaction action = {};
    action.sa_handler = OnSigint;
    sigemptyset(&action.sa_mask);
    // After the first Ctrl-C the default action comes back: a second one ends the
    // program even while the operation finishes its current read.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

InterruptWatch::~InterruptWatch()
{
    signal(SIGINT, SIG_DFL);
    g_signalPipe = -1;
    const char byte = kQuit;
    [[maybe_unused]] const ssize_t written = write(m_pipe[1], &byte, 1);
    m_thread.join();
    close(m_pipe[0]);
    close(m_pipe[1]);
}

void InterruptWatch::Watch()
{
    char byte = 0;
    for (;;)
    {
        const ssize_t got = read(m_pipe[0], &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || byte == kQuit)
            return;
        if (!m_interrupted.exchange(true) && m_onInterrupt)
            m_onInterrupt();
    }
}
