// The machines the fault, kill and power-loss sweeps run the whole program on:
// five scenarios over the fake platform, and what a run left behind.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "driver/program.h"
#include "driver/tests/update_fixture.h"
#include "platform/fake/fake_platform.h"
#include "platform/ui.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace velt_test {

// Ends the test binary when one run takes longer than `seconds`: a run that
// loops or waits forever must not hang the suite.
class Watchdog {
 public:
  explicit Watchdog(int seconds)
      : thread_([this, seconds] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) {
            std::fprintf(stderr, "sweep: a run did not end within %d s\n", seconds);
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

// Every run copies the 18 MB payload a few times: keep freed memory in the
// heap rather than mapping and zeroing it afresh for each run.
inline void KeepLargeBlocksInTheHeap() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

inline const char kLogFolder[] = "C:\\Logs\\";
inline const char kSweepLog[] = "C:\\Logs\\update.log";

struct Scenario {
  const char* name;
  std::string command_line;
  unsigned char installed_version_byte;
  std::vector<int> answers;
  bool velt_running;
  bool package_held = false;  // beyond the retry budget, by a process the Restart Manager names
};

inline const Scenario kScenarios[] = {
    {"interactive, older file, Yes then Yes",
     "velt-update.exe",
     42,
     {platform::kIdYes, platform::kIdYes},
     false},
    {"modest runapp with Velt running", "velt-update.exe modest runapp", 42, {}, true},
    {"interactive, newer file, No", "velt-update.exe", 44, {platform::kIdNo}, false},
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

inline bool Logged(const Scenario& scenario) {
  return scenario.command_line.find("/LOG=") != std::string::npos;
}
inline bool Suppressed(const Scenario& scenario) {
  return scenario.command_line.find("/SUPPRESSMSGBOXES") != std::string::npos;
}

inline void Arrange(const Scenario& scenario) {
  ArrangeVeltInstallation(scenario.installed_version_byte);
  fake::World().command_line = scenario.command_line;
  fake::World().answer_questions_only = true;
  for (int answer : scenario.answers)
    fake::World().box_answers.push_back(answer);
  fake::AddDirectory(kLogFolder);
  // A logged run is elevated above its user, as under UAC, so the log's
  // access checks are made (and failed) too; the silent run with Velt running
  // takes its guard in a private namespace.
  if (Logged(scenario))
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
inline std::vector<std::string> LeftBehind() {
  std::vector<std::string> names;
  for (const std::string& name : fake::FilesBelow(kVeltFolder)) {
    if (name != "velt.exe" && name != "vtup.cok" && name != "language\\english.lng")
      names.push_back(name);
  }
  for (const std::string& name : fake::FilesBelow(kLogFolder)) {
    if (name != "update.log")
      names.push_back(kLogFolder + name);
  }
  return names;
}

// The run log's last line; empty when there is no log, "(cut short)" when it
// does not end with a line break.
inline std::string LastLogLine() {
  std::string log = fake::FileData(kSweepLog);
  if (log.size() < 2 || log.compare(log.size() - 2, 2, "\r\n") != 0)
    return log.empty() ? "" : "(cut short)";
  log.resize(log.size() - 2);
  const size_t start = log.rfind("\r\n");
  return log.substr(start == std::string::npos ? 0 : start + 2);
}

// Runs the whole program on the arranged world; a run that does not end
// within 20 s ends the test binary.
inline int RunWatched() {
  Watchdog watchdog(20);
  return velt::RunProgram();
}

}  // namespace velt_test
