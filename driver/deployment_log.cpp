#include "driver/deployment_log.h"

#include <string>

#include "deployment/command_switches.h"
#include "deployment/exit_codes.h"
#include "deployment/run_log.h"
#include "package/starter_file.h"
#include "platform/text_rules.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"

namespace velt {
namespace {

// What the command line asked for, in the program's own words: no text the
// starter wrote reaches the log.
std::string UnderstoodCommandLine() {
  const CommandSwitches& switches = ProcessCommandSwitches();
  const bool modest = ModestAsked();
  const bool runapp = modest && RunAppAsked();
  std::string text = modest ? "silent (modest)" : "interactive";
  if (runapp)
    text += ", runapp";
  if (!switches.log_path.empty())
    text += ", /LOG";
  if (switches.suppress_message_boxes)
    text += ", /SUPPRESSMSGBOXES";
  const size_t understood = (modest ? 1 : 0) + (runapp ? 1 : 0);
  if (switches.words.size() > understood)
    text += ", " + platform::DecimalText(switches.words.size() - understood) +
            " other words left alone";
  return text;
}

}  // namespace

int RefuseUnknownSwitch() {
  const std::string& word = ProcessCommandSwitches().refused_word;
  SetProgramNames();
  if (!ProcessCommandSwitches().suppress_message_boxes) {
    ShowBilingualError(
        "The command line holds a switch the updater does not know: " + word +
            "\r\nNothing was changed.",
        "В командной строке есть неизвестный ключ: " + word + "\r\nНичего не изменено.");
  }
  return kExitUnknownSwitch;
}

int EndAsSecondCopy() {
  SetProgramNames();
  if (!ModestAsked()) {
    ShowBilingualError(
        "An update of Velt is already running.\r\nPlease wait until it has finished.",
        "Обновление программы \"Вельт\" уже выполняется.\r\n"
        "Пожалуйста, дождитесь его завершения.");
  }
  return kExitAnotherCopyRunning;
}

bool OpenRequestedRunLog() {
  if (!RunLogRequested())
    return true;
  StarterFile log;
  AttachRunLogFile(log.Create(RunLogPath()));
  const std::string version = platform::DecimalText(UpdateVersion);
  Log({"velt-update ", version, ".0.0.0, carrying ", PackageFileName, " version ", version});
  Log({"command line understood as: ", UnderstoodCommandLine()});
  Log({"system: ", WindowsDescription});
  if (RunLogWriting()) {
    log.RemoveEarlierFiles();  // only now: a run that ends here has changed nothing
    return true;
  }
  SetProgramNames();
  ShowBilingualError(
      "Can't write the log file " + RunLogPath() + "\r\nNothing was changed.",
      "Не удается записать файл журнала " + RunLogPath() + "\r\nНичего не изменено.");
  return false;
}

void ReportSingleCopyGuard(const GuardOutcome& outcome) {
  constexpr std::string_view kGuard = "single-copy guard ";
  switch (outcome.state) {
    case GuardState::kHeld:
      Log({kGuard, outcome.name, " taken"});
      break;
    case GuardState::kTakenByAnotherCopy:
      LogFailure({kGuard, outcome.name, ": another copy of the updater runs"}, outcome.error);
      break;
    case GuardState::kSquatted:
      LogFailure({kGuard, outcome.name,
                  ": the name is taken by an object that is no updater's guard (another kind, "
                  "or not owned by Administrators or SYSTEM); the run goes on without it"},
                 outcome.error);
      break;
    case GuardState::kUnavailable:
      LogFailure({kGuard, outcome.name, " cannot be made; the run goes on without it"},
                 outcome.error);
      break;
  }
}

}  // namespace velt
