// The run log's start: the file a deployment asked for with "/LOG=", its
// heading, and the single-copy guard's outcome.
#pragma once

#include "startup/single_copy_guard.h"

namespace velt {

// The start-up probe of whether Windows is 64-bit (DescribeWindowsIs64Bit),
// keeping the system's description for the log's heading.
bool DescribeWindowsKeepingText();

// With "/LOG=": creates the log file in place of whatever has its name (see
// CreateFileInPlaceOf; when that fails the run goes on without a log) and
// logs the updater's version, its command line and the system. Needs the
// modules started and the build constants set.
void OpenRequestedRunLog();

// Logs how taking the guard came out. False when another copy holds it.
bool ReportSingleCopyGuard(const GuardOutcome& outcome);

}  // namespace velt
