#pragma once

// Looking at what reached the CUPS server of the print tests (scripts/with-cups): jobs by
// title, their attributes, and the PDF files the cups-pdf queue writes.

#include <optional>
#include <string>

namespace quillon::testing {

inline constexpr const char* kPdfQueue = "PDF";

// Runs a shell command and returns what it wrote to standard output.
std::string Command(const std::string& command);

// A title no other test run uses.
std::string UniqueTitle(const std::string& what);

// The id of the job with this title on `queue`, active or done; none when there is none.
std::optional<int> JobWithTitle(const std::string& title, const std::string& queue = kPdfQueue);

// An attribute of a job as text ("3", "A5", "4" for an enum); empty when it has none.
std::string JobAttribute(int job, const std::string& name);

// The PDF that cups-pdf wrote for the job with this title, once the job is done; empty when
// none appears within a minute. The PDFs these two find are removed when the process ends.
std::string WaitForPdf(const std::string& title);

// The PDF of the last job that `queue` completed, once it has no active job left; empty when
// none appears within a minute. For jobs whose title the test cannot choose.
std::string WaitForLastPdfOf(const std::string& queue);

// Why the "PDF" queue cannot take jobs (no scheduler, no queue, not accepting), as a reason to
// skip a printing test; empty when it can.
std::string MissingPdfQueue();

// Adds a cups-pdf queue of this name (removed by RemoveQueue); false when lpadmin fails.
bool AddQueue(const std::string& name);
// Deletes the queue and what the scheduler keeps of it afterwards (its strings file).
void RemoveQueue(const std::string& name);
bool QueueExists(const std::string& name);
// The file the scheduler caches a queue's strings in.
std::string SchedulerStringsFile(const std::string& queue);

}  // namespace quillon::testing
