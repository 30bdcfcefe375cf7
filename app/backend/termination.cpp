#include "app/backend/termination.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace quillon {

namespace {

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_signal = 0;
struct sigaction g_oldTerm;
struct sigaction g_oldInt;

void OnSignal(int signal) {
    if (g_signal == 0) g_signal = signal;
    const char byte = 1;
    // Nothing to do if the pipe is full: it is readable already.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

TerminationSignal::TerminationSignal() {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) std::abort();
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &g_oldTerm);
    ::sigaction(SIGINT, &action, &g_oldInt);
}

TerminationSignal::~TerminationSignal() {
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
    ::sigaction(SIGINT, &g_oldInt, nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

int TerminationSignal::Descriptor() const { return g_pipe[0]; }

int TerminationSignal::Received() const { return g_signal; }

void TerminationSignal::Check() const {
    if (g_signal != 0) throw EJobCancelled{};
}

void TerminationSignal::Reraise() const {
    const int signal = g_signal != 0 ? g_signal : SIGTERM;
    std::signal(signal, SIG_DFL);
    ::raise(signal);
    std::_Exit(128 + signal);
}

void TerminationSignal::ResetInChild() {
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    if (g_pipe[0] >= 0) ::close(g_pipe[0]);
    if (g_pipe[1] >= 0) ::close(g_pipe[1]);
}

}  // namespace quillon
