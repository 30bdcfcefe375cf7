#pragma once

#include <csignal>
#include <string>

namespace quillon {

// A file name that must not outlive the process when SIGTERM, SIGINT or SIGHUP ends it: while
// an object of this class lives, a handler of those signals removes the file and then lets the
// signal end the process as it would have. Only signals whose action is still the default are
// taken over, and the handler calls nothing but unlink, sigaction and raise, so it is safe at
// any moment. A few names at a time are covered; a name beyond them is left to the caller.
class RemovedOnTermination {
public:
    explicit RemovedOnTermination(const std::string& path);
    ~RemovedOnTermination();
    RemovedOnTermination(const RemovedOnTermination&) = delete;
    RemovedOnTermination& operator=(const RemovedOnTermination&) = delete;

private:
    int slot_;
};

// Holds SIGTERM, SIGINT and SIGHUP back from the calling thread for a scope, so that steps
// that must not be separated (creating a file and registering its name, linking a finished file
// and renaming it over its target) run whole; a signal that arrives meanwhile acts afterwards.
class TerminationSignalsHeld {
public:
    TerminationSignalsHeld();
    ~TerminationSignalsHeld();
    TerminationSignalsHeld(const TerminationSignalsHeld&) = delete;
    TerminationSignalsHeld& operator=(const TerminationSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

}  // namespace quillon
