#include "driver/program.h"

#include <functional>
#include <new>

#include "deployment/command_switches.h"
#include "deployment/exit_codes.h"
#include "deployment/run_log.h"
#include "deployment/single_copy_guard.h"
#include "driver/deployment_log.h"
#include "driver/top_level_error.h"
#include "driver/update_sequence.h"
#include "language/language.h"
#include "platform/app_error.h"
#include "startup/install_environment.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"
#include "sysinfo/os_description.h"

namespace velt {

void StartModules() {
  StartSystemDescription();
  StartStartupSettings();
  StartLanguage();
  StartInstallEnvironment();
  StartUpdateDriver();
}

void EndModules() {
  EndUpdateDriver();
  EndInstallEnvironment();
  EndLanguage();
  EndStartupSettings();
  EndSystemDescription();
}

namespace {

// Runs `step`; an error that nothing in it caught ends in the top-level report
// and the uncaught-error exit code.
int RunReportingUncaught(const std::function<int()>& step) {
  try {
    return step();
  } catch (const platform::AppError& error) {
    ShowTopLevelError(error.ClassName(), error.Address(), error.what());
  } catch (const std::bad_alloc&) {
    ShowTopLevelError("EOutOfMemory", nullptr, "Out of memory");
  } catch (const std::exception& error) {
    ShowTopLevelError("Exception", nullptr, error.what());
  }
  return kExitUncaughtError;
}

}  // namespace

int RunProgram() {
  int exit_code = RunReportingUncaught([] {
    // A mistyped switch is refused before anything is done.
    if (!ProcessCommandSwitches().refused_word.empty()) {
      StartModules();
      return RefuseUnknownSwitch();
    }
    // The guard comes first. A second copy does nothing but end: it makes no
    // log, which might be the running copy's.
    StartRunLog();
    const GuardOutcome guard = TakeSingleCopyGuard();
    StartModules();
    SetBuildConstants();
    if (guard.state == GuardState::kTakenByAnotherCopy)
      return EndAsSecondCopy();
    if (!OpenRequestedRunLog())
      return int{kExitLogNotMade};
    ReportSingleCopyGuard(guard);
    return RunUpdate();
  });
  int end_code = RunReportingUncaught([] {
    EndModules();
    return int{kExitOk};
  });
  exit_code = exit_code != kExitOk ? exit_code : end_code;
  FinishRunLog(exit_code, UpdateVersion);
  ReleaseSingleCopyGuard();
  return exit_code;
}

}  // namespace velt
