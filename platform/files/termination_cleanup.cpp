#include "platform/files/termination_cleanup.h"

#include <climits>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

namespace quillon {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Fixed storage, so that the handler never meets memory that is being freed.
struct Slot {
    std::atomic<bool> taken{false};
    std::atomic<bool> armed{false};
    char path[PATH_MAX];
};

std::array<Slot, 16> g_slots;

extern "C" void RemoveAndEnd(int signal) {
    for (Slot& slot : g_slots) {
        if (slot.armed.load(std::memory_order_acquire)) ::unlink(slot.path);
    }
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    // Blocked while the handler runs; it ends the process as soon as the handler returns.
    ::raise(signal);
}

void InstallHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int signal : kSignals) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) != 0) continue;
            if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
            struct sigaction action {};
            action.sa_handler = RemoveAndEnd;
            sigemptyset(&action.sa_mask);
            for (const int other : kSignals) sigaddset(&action.sa_mask, other);
            ::sigaction(signal, &action, nullptr);
        }
    });
}

}  // namespace

RemovedOnTermination::RemovedOnTermination(const std::string& path) : slot_(-1) {
    if (path.size() >= PATH_MAX) return;
    InstallHandlers();
    for (std::size_t i = 0; i < g_slots.size(); ++i) {
        bool expected = false;
        if (!g_slots[i].taken.compare_exchange_strong(expected, true)) continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].armed.store(true, std::memory_order_release);
        slot_ = static_cast<int>(i);
        return;
    }
}

RemovedOnTermination::~RemovedOnTermination() {
    if (slot_ < 0) return;
    Slot& slot = g_slots[static_cast<std::size_t>(slot_)];
    slot.armed.store(false, std::memory_order_release);
    slot.taken.store(false, std::memory_order_release);
}

TerminationSignalsHeld::TerminationSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kSignals) sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

TerminationSignalsHeld::~TerminationSignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace quillon
