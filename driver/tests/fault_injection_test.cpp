// The whole program over the fake platform, once for every fallible platform
// call it makes and every way that call can fail (error, access denied,
// sharing violation, short write, disk full): each run must end in order with
// a documented exit code, the data file old and whole or new and whole,
// nothing left behind or open, and a message for every failure that ended it.
// Outcomes the sequence itself requires are named and checked exactly.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <regex>
#include <string>
#include <thread>

#include "driver/program.h"
#include "driver/tests/update_fixture.h"
#include "platform/fake/fake_platform.h"
#include "platform/ui.h"
#include "startup/exit_codes.h"

namespace velt_test {
namespace {

using platform::kIdNo;
using platform::kIdYes;

// Ends the test binary when one run takes longer than `seconds`: a run that
// loops or waits forever must not hang the suite.
class Watchdog {
 public:
  explicit Watchdog(int seconds)
      : thread_([this, seconds] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) {
            std::fprintf(stderr, "fault injection: a run did not end within %d s\n", seconds);
            std::_Exit(3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

const char kLogFolder[] = "C:\\Logs\\";

struct Scenario {
  const char* name;
  std::string command_line;
  unsigned char installed_version_byte;
  std::vector<int> answers;
  bool velt_running;
  bool package_held = false;  // beyond the retry budget, by a process the Restart Manager names
};

const Scenario kScenarios[] = {
    {"interactive, older file, Yes then Yes", "velt-update.exe", 42, {kIdYes, kIdYes}, false},
    {"modest runapp with Velt running", "velt-update.exe modest runapp", 42, {}, true},
    {"interactive, newer file, No", "velt-update.exe", 44, {kIdNo}, false},
    {"modest, boxes suppressed, logged",
     "velt-update.exe modest /SUPPRESSMSGBOXES /LOG=C:\\Logs\\update.log",
     42,
     {},
     false},
    {"interactive, logged, the data file held",
     "velt-update.exe /LOG=C:\\Logs\\update.log",
     42,
     {},
     false,
     true},
};

void Arrange(const Scenario& scenario) {
  ArrangeVeltInstallation(scenario.installed_version_byte);
  fake::World().command_line = scenario.command_line;
  fake::World().answer_questions_only = true;
  for (int answer : scenario.answers)
    fake::World().box_answers.push_back(answer);
  fake::AddDirectory(kLogFolder);
  // A logged run is elevated above its user, as under UAC, so the log's
  // access checks are made (and failed) too; the silent run with Velt running
  // takes its guard in a private namespace.
  if (scenario.command_line.find("/LOG=") != std::string::npos)
    ElevateAboveTheUser();
  fake::World().private_namespaces = scenario.velt_running;
  if (scenario.package_held) {
    const std::string package = std::string(kVeltFolder) + "vtup.cok";
    fake::FindEntry(package)->held_until_ms = 60 * 1000;
    fake::World().file_users[fake::NormalizePath(package)] = {{4242, "Velt"}};
  }
  if (scenario.velt_running) {
    fake::World().existing_mappings = {"velt_memfile"};
    fake::World().windows["TVeltMainForm"] = reinterpret_cast<void*>(0x1234);
  }
}

// Files in the installation and log folders besides the installation's own
// and the log.
std::vector<std::string> LeftBehind() {
  std::vector<std::string> names;
  for (const std::string& name : fake::FilesBelow(kVeltFolder)) {
    if (name != "velt.exe" && name != "vtup.cok" && name != "language\\english.lng")
      names.push_back(name);
  }
  for (const std::string& name : fake::FilesBelow(kLogFolder)) {
    if (name != "update.log")
      names.push_back(name);
  }
  return names;
}

// The run log's last line; empty when there is no log.
std::string LastLogLine() {
  std::string log = fake::FileData(std::string(kLogFolder) + "update.log");
  if (log.size() < 2 || log.compare(log.size() - 2, 2, "\r\n") != 0)
    return log.empty() ? "" : "(cut short)";
  log.resize(log.size() - 2);
  return log.substr(log.rfind("\r\n") == std::string::npos ? 0 : log.rfind("\r\n") + 2);
}

struct Outcome {
  int exit_code = -1;
  std::string fault;  // the faulted operation, empty when none was injected
};

Outcome RunOnce(const Scenario& scenario, int64_t call, fake::FaultKind kind) {
  Arrange(scenario);
  fake::World().faults.fail_call = call;
  fake::World().faults.kind = kind;
  Outcome outcome;
  {
    Watchdog watchdog(20);
    outcome.exit_code = velt::RunProgram();
  }
  if (fake::World().faults.injected)
    outcome.fault = fake::World().faults.calls.at(static_cast<size_t>(call)).operation;
  return outcome;
}

// Every check of one run; `old_file` is what was installed before.
void CheckRun(const Scenario& scenario, const Outcome& outcome, const std::string& old_file) {
  const int code = outcome.exit_code;
  // No other copy runs: a guard that cannot be made lets the run go on.
  // A log that cannot be made ends the run before anything changes.
  EXPECT_TRUE((code >= velt::kExitOk && code <= velt::kExitInstallFailed) ||
              code == velt::kExitLogNotMade)
      << "exit code " << code;

  const std::string now = fake::FileData(std::string(kVeltFolder) + "vtup.cok");
  EXPECT_TRUE(now == old_file || now == BuiltPayload()) << "the data file is neither old nor new";
  if (code == velt::kExitInstallFailed) {
    EXPECT_TRUE(now == old_file) << "a failed write changed the data file";
  }

  // Named: the new file stays when marking it for deletion is what failed.
  const std::vector<std::string> left = LeftBehind();
  if (outcome.fault == "SetDeleteOnClose") {
    ASSERT_LE(left.size(), 1u);
    if (!left.empty()) {
      EXPECT_TRUE(
          std::regex_match(left[0], std::regex(R"((vtup\.cok|update\.log)\.[a-z]{8}\.tmp)")))
          << left[0];
    }
  } else {
    EXPECT_TRUE(left.empty()) << "left behind: " << left.front();
  }

  EXPECT_EQ(fake::OpenHandleCount(), 0) << "handles left open";
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0) << "registry keys left open";
  EXPECT_EQ(fake::World().loaded_resources, 0) << "resources left loaded";
  if (outcome.fault != "RmEndSession") {
    EXPECT_TRUE(fake::World().rm_sessions.empty()) << "a Restart Manager session left open";
  }

  // A log asked for ends with the tools' line for this exit code, unless a
  // fault kept it from being made or written.
  const bool logged = scenario.command_line.find("/LOG=") != std::string::npos;
  const std::string last = LastLogLine();
  const bool log_cut = outcome.fault == "WriteFile" && last.rfind("velt-update result=", 0) != 0;
  const bool log_not_made = !outcome.fault.empty() && last.empty();
  if (logged && !log_cut && !log_not_made) {
    EXPECT_TRUE(std::regex_match(
        last, std::regex("velt-update result=[a-z-]+ exit=" + std::to_string(code) +
                         " installed=(-|-?[0-9]+) carried=11 holder=(-|Velt\\[4242\\])")))
        << last;
  }
  if (!logged) {
    EXPECT_EQ(last, "") << "a log without /LOG=";
  }

  // Every failure that ended the run showed a message, unless the fault was
  // the message box itself.
  // With boxes suppressed the message is in the log, when there is one.
  bool error_shown = false;
  for (const auto& box : fake::World().boxes)
    error_shown = error_shown || (box.style & platform::kMbIconError) != 0;
  const bool suppressed = scenario.command_line.find("/SUPPRESSMSGBOXES") != std::string::npos;
  if (suppressed) {
    EXPECT_FALSE(error_shown) << "a box despite /SUPPRESSMSGBOXES";
    const std::string log = fake::FileData(std::string(kLogFolder) + "update.log");
    error_shown = log.find("error box left out") != std::string::npos ||
                  (!outcome.fault.empty() && log.find("velt-update result=") == std::string::npos);
  }
  const bool box_failed = outcome.fault == "MessageBox" || outcome.fault == "MessageBoxEx";
  if (code != velt::kExitOk && !box_failed) {
    EXPECT_TRUE(error_shown) << "exit code " << code << " without a message";
  }

  // Named: the sequence records the size even after a failed write (not
  // after an installed file that could not be read: no write was tried).
  bool write_failed =
      fake::FileData(std::string(kLogFolder) + "update.log").find("Can't install file") !=
      std::string::npos;
  for (const auto& box : fake::World().boxes)
    write_failed = write_failed || box.text.rfind("Can't install file", 0) == 0;
  if (code == velt::kExitInstallFailed && write_failed) {
    EXPECT_NE(fake::GetRegValue(kUninstallKey, "EstimatedSize"), nullptr);
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

TEST(FaultInjectionTest, EveryFallibleCallFailedInTurnEndsInOrder) {
  std::map<std::string, int> runs_per_kind;
  int total = 0;
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    const std::string old_file = PackageWithVersionByte(scenario.installed_version_byte);
    // A clean run lists the calls; a fault changes only what follows it.
    const Outcome clean = RunOnce(scenario, -1, fake::kFaultError);
    CheckRun(scenario, clean, old_file);
    const std::vector<fake::FaultCall> calls = fake::World().faults.calls;
    ASSERT_GT(calls.size(), 20u) << "the fake counted too few calls";
    int scenario_runs = 0;
    for (size_t call = 0; call < calls.size(); ++call) {
      for (uint32_t kind = 1; kind <= fake::kFaultDiskFull; kind <<= 1) {
        if ((calls[call].fitting & kind) == 0)
          continue;
        SCOPED_TRACE(testing::Message()
                     << "call " << call << " " << calls[call].operation << ", " << KindName(kind));
        const Outcome outcome =
            RunOnce(scenario, static_cast<int64_t>(call), static_cast<fake::FaultKind>(kind));
        ASSERT_EQ(outcome.fault, calls[call].operation) << "the planned fault was not injected";
        CheckRun(scenario, outcome, old_file);
        ++runs_per_kind[KindName(kind)];
        ++total;
        ++scenario_runs;
        if (HasFailure())
          return;  // the first failing run tells the story
      }
    }
    std::printf("[ figures  ] %s: %zu calls, %d faulted runs\n", scenario.name, calls.size(),
                scenario_runs);
  }
  std::printf("[ figures  ] fault injection: %d runs over %zu scenarios", total,
              std::size(kScenarios));
  for (const auto& [kind, runs] : runs_per_kind)
    std::printf("; %s %d", kind.c_str(), runs);
  std::printf("\n");
}

}  // namespace
}  // namespace velt_test
