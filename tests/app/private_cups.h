#pragma once

// A CUPS scheduler of the test's own, and a printer that keeps what it is sent: the backend's
// tests never touch the machine's scheduler.

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>


namespace quillon::testing {

struct CommandResult {
    int status = -1;     // exit status, or -1 when the command did not exit
    std::string output;  // standard output and standard error
};

// Runs a shell command and collects what it writes.
CommandResult RunCommand(const std::string& command);

// A loopback port that nothing listens on right now.
int FreePort();

// cupsd with its own configuration, spool, logs, cache, a free loopback port and a local
// socket, all in a fresh folder (traversable by the lp user, which runs backends). The Quillon
// backend is installed in its backend folder as "quillon" and its PPD in its model folder as
// "quillon/quillon-dos.ppd", as `cmake --install` installs them; everything else is the
// system's. Stopped and removed on destruction.
class PrivateCups {
public:
    PrivateCups(const std::string& backend, const std::string& ppd);
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    bool Running() const { return running_; }
    int Port() const { return port_; }
    const std::string& Socket() const { return socket_; }
    const std::string& Folder() const { return folder_; }
    std::string ErrorLog() const;
    // The installed backend's path (for finding its processes) and its PPD's: copies that the
    // lp user can reach wherever the build is (a build under /root is not).
    std::string Backend() const { return folder_ + "/bin/backend/quillon"; }
    std::string Ppd() const { return folder_ + "/data/model/quillon/quillon-dos.ppd"; }

    // Runs a shell command with this scheduler as its server.
    CommandResult Run(const std::string& command) const;
    // Waits until no job is pending or processing on any queue; false on timeout.
    bool WaitUntilIdle(std::chrono::seconds timeout) const;

private:
    std::string folder_;
    std::string socket_;
    int port_ = 0;
    pid_t pid_ = -1;
    bool running_ = false;
};

// A server on a free loopback port that hands each connection, one after another, to
// `serve` on a thread of its own, until it is destroyed.
class LoopbackServer {
public:
    explicit LoopbackServer(std::function<void(int connection)> serve);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }

private:
    int port_ = 0;  // before the listener, which sets it
    int listener_ = -1;
    std::function<void(int)> serve_;
    std::atomic<bool> stopping_ = false;
    std::thread thread_;
};

// An LPD server, as inetd runs one: each connection is handed to a cups-lpd process that
// submits to `cups` (the inetd line of the README).
class LpdServer {
public:
    explicit LpdServer(const PrivateCups& cups);
    int Port() const { return server_.Port(); }

private:
    std::string scheduler_;
    LoopbackServer server_;
};

// A network printer (socket://127.0.0.1:PORT) that keeps the bytes of every connection as one
// received job.
class CapturingPrinter {
public:
    CapturingPrinter();

    std::string Uri() const { return "socket://127.0.0.1:" + std::to_string(server_.Port()); }
    // Waits until `count` jobs have come in since the last Take and returns them all.
    std::vector<std::string> Take(std::size_t count, std::chrono::seconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::string> jobs_;
    LoopbackServer server_;  // last: its thread uses the members above
};

}  // namespace quillon::testing
