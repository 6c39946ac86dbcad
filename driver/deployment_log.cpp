#include "driver/deployment_log.h"

#include <string>

#include "package/temporary_file.h"
#include "platform/system.h"
#include "startup/run_log.h"
#include "startup/update_constants.h"
#include "sysinfo/os_description.h"

namespace velt {
namespace {

std::string WindowsDescription;

}  // namespace

bool DescribeWindowsKeepingText() {
  WindowsDescription = DescribeWindows();
  return Is64BitWindows;
}

void OpenRequestedRunLog() {
  if (!RunLogRequested())
    return;
  AttachRunLogFile(CreateFileInPlaceOf(RunLogPath()));
  const std::string version = DecimalText(UpdateVersion);
  Log({"velt-update ", version, ".0.0.0, carrying ", PackageFileName, " version ", version});
  Log({"command line: ", platform::GetCommandLine()});
  Log({"system: ", WindowsDescription});
}

bool ReportSingleCopyGuard(const GuardOutcome& outcome) {
  constexpr std::string_view kGuard = "single-copy guard Global\\";
  switch (outcome.state) {
    case GuardState::kHeld:
      Log({kGuard, kSingleCopyGuardName, " taken"});
      return true;
    case GuardState::kTakenByAnotherCopy:
      LogFailure(
          {kGuard, kSingleCopyGuardName, ": another copy of the updater runs; this one ends"},
          outcome.error);
      return false;
    case GuardState::kUnavailable:
      LogFailure({kGuard, kSingleCopyGuardName, " cannot be made; the run goes on without it"},
                 outcome.error);
      return true;
  }
  return true;
}

}  // namespace velt
