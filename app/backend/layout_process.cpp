#include "app/backend/layout_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

#include "app/backend/backend_error.h"
#include "app/backend/termination.h"

namespace quillon {

namespace {

constexpr int kMaxMessageBytes = 4096;

std::string MiB(std::uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

EBackendError Over(const std::string& what) {
    return EBackendError(CUPS_BACKEND_CANCEL, "The job " + what + ", the most this queue allows for one job");
}

void SetLimit(int resource, rlim_t soft, rlim_t hard) {
    const rlimit limit{soft, hard};
    ::setrlimit(resource, &limit);
}

[[noreturn]] void OutOfMemory() {
    constexpr char kMessage[] = "out of memory\n";
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    ::_exit(LayoutProcess::kOutOfMemoryStatus);
}

// In the child: its descriptors, limits and environment, then the layout. Never returns.
[[noreturn]] void RunChild(const LayoutCommand& command, std::vector<std::string>& arguments,
                           int input, int output, int errors, const std::string& folder,
                           const JobLimits& limits, pid_t parent) {
    TerminationSignal::ResetInChild();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    if (::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
        ::dup2(errors, STDERR_FILENO) < 0) {
        ::_exit(127);
    }
    for (const int fd : {input, output, errors}) {
        if (fd > STDERR_FILENO) ::close(fd);
    }
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGXCPU, SIG_DFL);
    std::signal(SIGXFSZ, SIG_DFL);
    // One second between the soft limit's SIGXCPU and the hard limit's SIGKILL.
    const auto cpu = static_cast<rlim_t>(limits.cpuSeconds);
    SetLimit(RLIMIT_CPU, cpu, cpu + 1);
    if (limits.memoryBytes > 0) SetLimit(RLIMIT_AS, limits.memoryBytes, limits.memoryBytes);
    SetLimit(RLIMIT_FSIZE, limits.fileBytes, limits.fileBytes);
    SetLimit(RLIMIT_CORE, 0, 0);
    for (const char* name : {"TMPDIR", "HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
        ::setenv(name, folder.c_str(), 1);
    }
    std::set_new_handler(OutOfMemory);
    int status = 1;
    try {
        status = command(arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "The layout failed\n");
    }
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);
}

// A child that has not been reaped yet is killed and reaped when this goes.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid), pidfd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {}
    ~Child() {
        if (pid_ > 0) {
            Kill();
            Reap(nullptr);
        }
        if (pidfd_ >= 0) ::close(pidfd_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Readable once the child has ended; -1 on kernels without process descriptors.
    int Descriptor() const { return pidfd_; }
    void Kill() const { ::kill(pid_, SIGKILL); }
    int Reap(rusage* usage) {
        int status = 0;
        while (::wait4(pid_, &status, 0, usage) < 0 && errno == EINTR) {
        }
        pid_ = 0;
        return status;
    }

private:
    pid_t pid_;
    int pidfd_;
};

class Pipe {
public:
    Pipe() {
        if (::pipe2(fds_, O_CLOEXEC) != 0) {
            throw EBackendError(CUPS_BACKEND_FAILED, std::string("Cannot create a pipe: ") + std::strerror(errno));
        }
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int Read() const { return fds_[0]; }
    int Write() const { return fds_[1]; }
    void CloseRead() { Close(fds_[0]); }
    void CloseWrite() { Close(fds_[1]); }

private:
    static void Close(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    int fds_[2] = {-1, -1};
};

double Seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }

}  // namespace

LayoutUsage LayoutProcess::Run(const LayoutCommand& command, std::vector<std::string> arguments,
                               int input, const std::string& folder) {
    Pipe output;
    Pipe errors;
    const pid_t parent = ::getpid();
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw EBackendError(CUPS_BACKEND_FAILED, std::string("Cannot start the layout: ") + std::strerror(errno));
    if (pid == 0) RunChild(command, arguments, input, output.Write(), errors.Write(), folder, limits_, parent);

    Child child(pid);
    output.CloseWrite();
    errors.CloseWrite();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits_.wallSeconds);
    std::string pending;   // the start of a message line
    std::string firstLine;  // the reason of a refused command line, before the usage text
    std::string lastLine;   // the reason of any other failure
    bool ended = false;
    std::array<char, 65536> buffer;
    const auto readMessages = [&](int fd) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0) return n;
        pending.append(buffer.data(), static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            std::string line = pending.substr(0, end);
            if (line.empty()) continue;
            if (onMessage) onMessage(line);
            if (firstLine.empty()) firstLine = line;
            lastLine = std::move(line);
        }
        // A line without an end is still reported, in pieces.
        if (pending.size() > kMaxMessageBytes) {
            if (onMessage) onMessage(pending);
            pending.clear();
        }
        return n;
    };

    while (output.Read() >= 0 || errors.Read() >= 0 || !ended) {
        std::array<pollfd, 4> watched = {{{output.Read(), POLLIN, 0},
                                          {errors.Read(), POLLIN, 0},
                                          {termination_.Descriptor(), POLLIN, 0},
                                          {ended ? -1 : child.Descriptor(), POLLIN, 0}}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            child.Kill();
            throw Over("took more than " + std::to_string(limits_.wallSeconds) + " s to lay out");
        }
        // Without process descriptors the end shows as the pipes closing; poll again soon.
        const int timeout = child.Descriptor() < 0 && output.Read() < 0 && errors.Read() < 0
                                ? 10
                                : static_cast<int>(std::min<long long>(left.count(), 1000));
        if (::poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) {
            throw EBackendError(CUPS_BACKEND_FAILED, std::string("Cannot watch the layout: ") + std::strerror(errno));
        }
        termination_.Check();
        if (watched[0].revents != 0) {
            const ssize_t n = ::read(output.Read(), buffer.data(), buffer.size());
            if (n > 0 && onOutput) onOutput(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
            if (n == 0 || (n < 0 && errno != EINTR)) output.CloseRead();
        }
        if (watched[1].revents != 0) {
            const ssize_t n = readMessages(errors.Read());
            if (n == 0 || (n < 0 && errno != EINTR)) errors.CloseRead();
        }
        if (watched[3].revents != 0) ended = true;
        if (child.Descriptor() < 0 && output.Read() < 0 && errors.Read() < 0) ended = true;
    }
    if (!pending.empty()) {
        if (onMessage) onMessage(pending);
        lastLine = pending;
    }

    rusage usage{};
    const int status = child.Reap(&usage);
    LayoutUsage used{Seconds(usage.ru_utime) + Seconds(usage.ru_stime), usage.ru_maxrss};
    if (WIFEXITED(status)) {
        if (WEXITSTATUS(status) == 0) return used;
        if (WEXITSTATUS(status) == kOutOfMemoryStatus) throw Over("needs more than " + MiB(limits_.memoryBytes) + " of memory");
        if (WEXITSTATUS(status) == kUsageStatus) throw EBackendError(CUPS_BACKEND_FAILED, firstLine);
        throw EBackendError(CUPS_BACKEND_CANCEL,
                            lastLine.empty() ? "The layout failed with status " + std::to_string(WEXITSTATUS(status))
                                             : lastLine);
    }
    const int signal = WTERMSIG(status);
    if (signal == SIGXCPU || (signal == SIGKILL && used.cpuSeconds >= limits_.cpuSeconds)) {
        throw Over("took more than " + std::to_string(limits_.cpuSeconds) + " s of processor time");
    }
    if (signal == SIGXFSZ) throw Over("needs a file larger than " + MiB(limits_.fileBytes));
    throw EBackendError(CUPS_BACKEND_CANCEL, "The layout stopped unexpectedly (signal " + std::to_string(signal) +
                                                 ", " + ::strsignal(signal) + ")");
}

}  // namespace quillon
