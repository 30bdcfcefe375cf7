#include "tests/app/private_cups.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/temp_dir.h"

namespace quillon::testing {

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

// The socket, bound to a free loopback port (0: any), listening.
int Listen(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on a loopback port");
    }
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    result.output = CommandOutput(command + " 2>&1", &result.status);
    return result;
}

int FreePort() {
    int port = 0;
    ::close(Listen(port));
    return port;
}

PrivateCups::PrivateCups(const std::string& backend, const std::string& ppd) {
    char pattern[] = "/tmp/quillon-cups-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    const fs::path root(folder_);
    socket_ = folder_ + "/cups.sock";
    port_ = FreePort();
    for (const char* sub : {"conf", "conf/ppd", "spool", "spool/tmp", "state", "cache", "log", "bin",
                            "bin/backend", "data", "data/model", "data/model/quillon"}) {
        fs::create_directories(root / sub);
        ::chmod((root / sub).c_str(), 0755);
    }
    ::chmod(folder_.c_str(), 0755);
    // The system's filters and helpers, with our backend beside the one the destination uses.
    for (const char* sub : {"filter", "daemon", "driver", "monitor", "notifier", "cgi-bin"}) {
        fs::create_directory_symlink(fs::path("/usr/lib/cups") / sub, root / "bin" / sub);
    }
    fs::create_symlink("/usr/lib/cups/backend/socket", root / "bin/backend/socket");
    fs::copy_file(backend, root / "bin/backend/quillon");
    ::chmod((root / "bin/backend/quillon").c_str(), 0755);
    for (const auto& entry : fs::directory_iterator("/usr/share/cups")) {
        if (entry.path().filename() != "model") fs::create_symlink(entry.path(), root / "data" / entry.path().filename());
    }
    fs::copy_file(ppd, root / "data/model/quillon/quillon-dos.ppd");
    ::chmod((root / "data/model/quillon/quillon-dos.ppd").c_str(), 0644);

    WriteText(root / "conf/cupsd.conf",
              "LogLevel debug\n"
              "MaxLogSize 0\n"
              "Listen 127.0.0.1:" + std::to_string(port_) + "\n"
              "Listen " + socket_ + "\n"
              "Browsing No\n"
              "WebInterface No\n"
              "DefaultAuthType None\n"
              "JobRetryInterval 1\n"
              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
              "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
    WriteText(root / "conf/cups-files.conf",
              "ServerRoot " + folder_ + "/conf\n"
              "RequestRoot " + folder_ + "/spool\n"
              "TempDir " + folder_ + "/spool/tmp\n"
              "ServerBin " + folder_ + "/bin\n"
              "DataDir " + folder_ + "/data\n"
              "StateDir " + folder_ + "/state\n"
              "CacheDir " + folder_ + "/cache\n"
              "AccessLog " + folder_ + "/log/access_log\n"
              "ErrorLog " + folder_ + "/log/error_log\n"
              "PageLog " + folder_ + "/log/page_log\n"
              // Its default is the machine's scheduler's file.
              "Printcap " + folder_ + "/printcap\n"
              "User lp\nGroup lp\nSystemGroup root\n");

    pid_ = ::fork();
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const std::string conf = folder_ + "/conf/cupsd.conf";
        const std::string files = folder_ + "/conf/cups-files.conf";
        const std::string log = folder_ + "/log/stdout";
        std::freopen(log.c_str(), "w", stdout);
        std::freopen(log.c_str(), "a", stderr);
        ::execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr);
        ::_exit(127);
    }
    for (int i = 0; i < 100 && !running_; ++i) {
        running_ = Run("lpstat -r").output.find("is running") != std::string::npos &&
                   RunCommand("test -S " + socket_).status == 0;
        if (!running_) ::usleep(100000);
    }
}

PrivateCups::~PrivateCups() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string PrivateCups::ErrorLog() const {
    std::ifstream in(folder_ + "/log/error_log");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CommandResult PrivateCups::Run(const std::string& command) const {
    // The server root too: tools that change the configuration of a local scheduler
    // (cupsctl) read the file under it, which would otherwise be the machine's.
    return RunCommand("CUPS_SERVER=" + socket_ + " CUPS_SERVERROOT=" + folder_ + "/conf " + command);
}

bool PrivateCups::WaitUntilIdle(std::chrono::seconds timeout) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (Run("lpstat -o").output.empty()) return true;
        ::usleep(100000);
    }
    return false;
}

LoopbackServer::LoopbackServer(std::function<void(int connection)> serve)
    : listener_(Listen(port_)), serve_(std::move(serve)) {
    thread_ = std::thread([this] {
        while (!stopping_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 100) <= 0) continue;
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            serve_(connection);
            ::close(connection);
        }
    });
}

LoopbackServer::~LoopbackServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

LpdServer::LpdServer(const PrivateCups& cups)
    : scheduler_(cups.Socket()), server_([this](int connection) {
          const pid_t pid = ::fork();
          if (pid == 0) {
              ::dup2(connection, STDIN_FILENO);
              ::dup2(connection, STDOUT_FILENO);
              ::execl("/usr/lib/cups/daemon/cups-lpd", "cups-lpd", "-h", scheduler_.c_str(), "-n", "-o",
                      "document-format=application/octet-stream", nullptr);
              ::_exit(127);
          }
          if (pid > 0) ::waitpid(pid, nullptr, 0);
      }) {}

CapturingPrinter::CapturingPrinter()
    : server_([this](int connection) {
          std::string job;
          char buffer[65536];
          ssize_t n;
          while ((n = ::read(connection, buffer, sizeof buffer)) > 0) job.append(buffer, static_cast<std::size_t>(n));
          const std::lock_guard lock(mutex_);
          jobs_.push_back(std::move(job));
          arrived_.notify_all();
      }) {}

std::vector<std::string> CapturingPrinter::Take(std::size_t count, std::chrono::seconds timeout) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [&] { return jobs_.size() >= count; });
    std::vector<std::string> taken;
    taken.swap(jobs_);
    return taken;
}

}  // namespace quillon::testing
