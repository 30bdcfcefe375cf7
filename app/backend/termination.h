#pragma once

namespace quillon {

// Thrown where the backend stops because the scheduler cancelled the job.
struct EJobCancelled {};

// SIGTERM (the scheduler cancelling the job) and SIGINT, caught for the object's lifetime
// and turned into a descriptor that becomes readable, so that waiting loops watch for them
// with poll() and unwind cleanly. One at a time.
class TerminationSignal {
public:
    TerminationSignal();
    ~TerminationSignal();
    TerminationSignal(const TerminationSignal&) = delete;
    TerminationSignal& operator=(const TerminationSignal&) = delete;

    // Readable once a signal has come.
    int Descriptor() const;
    // The signal that came, or 0.
    int Received() const;
    // Raises EJobCancelled when a signal has come.
    void Check() const;
    // Ends the process by the signal that came, as its default action would, after the
    // caller has cleaned up.
    [[noreturn]] void Reraise() const;

    // For a child process: the default actions back, the descriptors closed.
    static void ResetInChild();
};

}  // namespace quillon
