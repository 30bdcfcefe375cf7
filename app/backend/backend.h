#pragma once

#include "app/backend/job_limits.h"
#include "app/backend/layout_process.h"

namespace quillon {

// The CUPS backend "quillon": run without arguments it describes its device for discovery;
// run as the scheduler runs it (job-id user title copies options [file], the device URI
// "quillon:/QUEUE" in $DEVICE_URI) it lays the job out with `layout` and prints the PDF on
// QUEUE. Messages go to standard error as "ERROR:", "INFO:", "STATE:" and "DEBUG:" lines;
// the result is a CUPS_BACKEND_* status. A termination signal kills the layout, cancels the
// destination job and ends the process by that signal once everything is cleaned up.
int RunBackend(int argc, char** argv, const LayoutCommand& layout, const JobLimits& limits = {});

}  // namespace quillon
