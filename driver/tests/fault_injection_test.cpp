// The whole program over the fake platform, once for every fallible platform
// call it makes and every way that call can fail (error, access denied,
// sharing violation, short write, disk full): each run must end in order, with
// the data file old and whole or new and whole, nothing left behind or open,
// and it must tell the truth: an exit code the failed call can cause (the
// table of truth_table.h), exactly one message for each cause, and a log that
// ends with the tools' line unless the fault was in the log itself.
// Outcomes the sequence itself requires are named and checked exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "deployment/exit_codes.h"
#include "driver/tests/sweep_world.h"
#include "driver/tests/truth_table.h"

namespace velt_test {
namespace {

// What a scenario does when nothing fails.
struct CleanRun {
  int exit_code = 0;
  size_t messages = 0;
  bool writes = false;
  std::vector<fake::FaultCall> calls;
  std::vector<Phase> phases;
};

// One faulted run: the call failed, its phase and how it ended.
struct FaultedRun {
  size_t call = 0;
  std::string operation;
  Phase phase = Phase::kStartUp;
  int exit_code = -1;
};

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The error messages of the run just ended: error boxes shown, or with boxes
// suppressed the texts the log keeps instead. `texts` receives each text.
size_t ErrorMessages(const Scenario& scenario, std::vector<std::string>* texts) {
  if (Suppressed(scenario)) {
    const std::string log = fake::FileData(kSweepLog);
    const std::string marker = "error box left out (/SUPPRESSMSGBOXES): ";
    for (size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
      const size_t start = log.find(": ", at + marker.size());
      texts->push_back(log.substr(start + 2, log.find("\r\n", start) - start - 2));
    }
  } else {
    for (const auto& box : fake::World().boxes) {
      if ((box.style & platform::kMbIconError) != 0)
        texts->push_back(box.text);
    }
  }
  return texts->size();
}

// Every check of one faulted run; what is wrong goes to `problems`, grouped by
// kind.
void CheckRun(const Scenario& scenario,
              const CleanRun& clean,
              const FaultedRun& run,
              const std::string& old_file,
              std::map<std::string, std::set<std::string>>* problems) {
  const int code = run.exit_code;
  const std::string where = std::string(PhaseName(run.phase)) + " " + run.operation;
  auto problem = [&](const std::string& kind, const std::string& what) {
    (*problems)[kind].insert(where + ": " + what);
  };
  const bool log_fault = run.phase == Phase::kRunLog;
  const bool box_fault = run.phase == Phase::kMessage;

  // The exit code is one the failed call can cause.
  if (!ExitCodeIsTruthful(run.phase, run.operation, code, clean.exit_code))
    problem("lies", "exit code " + std::to_string(code));

  // The data file is old or new, whole, and as the exit code says.
  const std::string now = fake::FileData(std::string(kVeltFolder) + "vtup.cok");
  const bool is_new = now == BuiltPayload();
  if (now != old_file && !is_new)
    problem("broken data files", "neither old nor new");
  if (is_new && code >= velt::kExitNoRegistryAccess)
    problem("lies", "exit code " + std::to_string(code) + " with the new data file");
  if (!is_new && code == velt::kExitOk && clean.writes && run.phase != Phase::kQuestion)
    problem("lies", "exit code 0 without the new data file");

  // Named: the new file stays when marking it for deletion is what failed.
  const std::vector<std::string> left = LeftBehind();
  const bool may_stay =
      run.operation == "SetDeleteOnClose" && left.size() == 1 &&
      std::regex_match(left[0],
                       std::regex(R"(.*(vtup\.cok|update\.log)\.velt-update\.[a-z]{8}\.tmp)"));
  if (!left.empty() && !may_stay)
    problem("leftovers", left.front());

  if (fake::OpenHandleCount() != 0)
    problem("leaks", "handles left open");
  if (fake::OpenRegistryKeyCount() != 0)
    problem("leaks", "registry keys left open");
  if (fake::World().loaded_resources != 0)
    problem("leaks", "resources left loaded");
  if (run.operation != "RmEndSession" && !fake::World().rm_sessions.empty())
    problem("leaks", "a Restart Manager session left open");

  // A log asked for ends with the tools' line for this exit code whenever the
  // process lives to its end, unless the fault was the log's own.
  const std::string last = LastLogLine();
  if (Logged(scenario) && !log_fault &&
      !std::regex_match(last, std::regex("velt-update result=[a-z-]+ exit=" + std::to_string(code) +
                                         " installed=(-|-?[0-9]+) carried=11 "
                                         "holder=(-|Velt\\[4242\\])"))) {
    problem("logs without their last line", last.empty() ? "no log" : last);
  }
  if (!Logged(scenario) && !last.empty())
    problem("logs without /LOG=", last);

  // One message for each cause: the scenario's own, if any, and the fault's
  // when it ended the run or was reported. None for a failure is a silent
  // failure; an empty text says nothing. A box that could not be shown, and
  // with boxes suppressed a log that could not be kept, cannot carry one.
  std::vector<std::string> texts;
  size_t messages = ErrorMessages(scenario, &texts);
  for (const std::string& text : texts) {
    if (text.find_first_not_of(" \r\n") == std::string::npos)
      problem("messages that say nothing", "an empty error text");
  }
  if (Suppressed(scenario) && log_fault)
    return;
  if (box_fault && StartsWith(fake::World().faults.calls[run.call].subject, "message: "))
    ++messages;
  if (code != velt::kExitOk && messages == 0)
    problem("runs with no message", "exit code " + std::to_string(code));
  if (messages > clean.messages + 1 || (code != clean.exit_code && messages > 1))
    problem("runs with several messages for one cause",
            std::to_string(messages) + " messages, exit code " + std::to_string(code) +
                (texts.empty() ? "" : ", first: " + texts.front().substr(0, 60)));

  // Named: the sequence records the size even after a failed write (not when
  // the installed file could not be read: no write was tried then).
  if (code == velt::kExitInstallFailed && run.phase != Phase::kVersionTest &&
      fake::GetRegValue(kUninstallKey, "EstimatedSize") == nullptr) {
    problem("sequence", "no EstimatedSize after a failed write");
  }
}

const char* KindName(uint32_t kind) {
  switch (kind) {
    case fake::kFaultError:
      return "error return";
    case fake::kFaultAccessDenied:
      return "access denied";
    case fake::kFaultSharingViolation:
      return "sharing violation";
    case fake::kFaultShortWrite:
      return "short write";
    default:
      return "disk full";
  }
}

CleanRun RunClean(const Scenario& scenario) {
  Arrange(scenario);
  CleanRun clean;
  clean.exit_code = RunWatched();
  std::vector<std::string> texts;
  clean.messages = ErrorMessages(scenario, &texts);
  clean.writes = fake::FileData(std::string(kVeltFolder) + "vtup.cok") == BuiltPayload();
  clean.calls = fake::World().faults.calls;
  clean.phases =
      PhasesOf(clean.calls, fake::NormalizePath(kLogFolder), fake::NormalizePath(kVeltFolder));
  return clean;
}

TEST(FaultInjectionTest, EveryFallibleCallFailedInTurnEndsInOrderAndTellsTheTruth) {
  KeepLargeBlocksInTheHeap();
  std::map<std::string, int> runs_per_kind;
  std::map<std::string, std::set<std::string>> problems;  // by kind: where, what
  std::map<std::string, int> runs_with;                   // by kind of problem
  int total = 0;
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    const std::string old_file = PackageWithVersionByte(scenario.installed_version_byte);
    const CleanRun clean = RunClean(scenario);
    ASSERT_GT(clean.calls.size(), 20u) << "the fake counted too few calls";
    CheckRun(scenario, clean, FaultedRun{0, "", Phase::kStartUp, clean.exit_code}, old_file,
             &problems);
    int scenario_runs = 0;
    for (size_t call = 0; call < clean.calls.size(); ++call) {
      for (uint32_t kind = 1; kind <= fake::kFaultDiskFull; kind <<= 1) {
        if ((clean.calls[call].fitting & kind) == 0)
          continue;
        Arrange(scenario);
        fake::World().faults.fail_call = static_cast<int64_t>(call);
        fake::World().faults.kind = static_cast<fake::FaultKind>(kind);
        FaultedRun run{call, clean.calls[call].operation, clean.phases[call], RunWatched()};
        ASSERT_TRUE(fake::World().faults.injected &&
                    fake::World().faults.calls.at(call).operation == run.operation)
            << "call " << call << ": the planned fault was not injected";
        std::map<std::string, std::set<std::string>> found;
        CheckRun(scenario, clean, run, old_file, &found);
        for (const auto& [what, where] : found) {
          ++runs_with[what];
          problems[what].insert(where.begin(), where.end());
          std::printf("[ finding  ] %s: call %zu %s (%s), %s: exit %d: %s\n", scenario.name, call,
                      run.operation.c_str(), PhaseName(run.phase), KindName(kind), run.exit_code,
                      what.c_str());
        }
        ++runs_per_kind[KindName(kind)];
        ++total;
        ++scenario_runs;
      }
    }
    std::printf("[ figures  ] %s: %zu calls, %d faulted runs, exit code %d without faults\n",
                scenario.name, clean.calls.size(), scenario_runs, clean.exit_code);
  }
  std::printf("[ figures  ] fault injection: %d runs over %zu scenarios", total,
              std::size(kScenarios));
  for (const auto& [kind, runs] : runs_per_kind)
    std::printf("; %s %d", kind.c_str(), runs);
  std::printf("\n");
  auto count = [&](const char* kind) { return runs_with.count(kind) ? runs_with[kind] : 0; };
  std::printf(
      "[ figures  ] truth: %d runs held to %zu pairings of failed call and exit code: %d lies, "
      "%d broken data files, %d runs with no message, %d with several for one cause, %d "
      "logs without their last line\n",
      total, TruthTableRows(), count("lies"), count("broken data files"),
      count("runs with no message"), count("runs with several messages for one cause"),
      count("logs without their last line"));
  for (const auto& [kind, found] : problems) {
    for (const std::string& what : found)
      ADD_FAILURE() << kind << ": " << what;
  }
}

}  // namespace
}  // namespace velt_test
