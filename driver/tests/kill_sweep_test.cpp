// The process ended at any instant. At every counted platform call of each
// sweep scenario the state the machine would be left in is taken twice:
//
// - killed there: nothing of the program's own clean-up runs; the system
//   closes its handles, so a file marked for deletion goes, and all data
//   written so far is in the system's cache and stays;
// - a power loss there: the data a file was given since its last flush
//   (FlushFileBuffers) is lost, while creations, renames and deletions are
//   kept as they happened, in order (a journal that commits metadata at once:
//   the model under which a rename before the flush would show); marks for
//   deletion are lost with the handles. The registry is kept as it is.
//
// From each state the data file must be the old one or the new one, whole;
// then a normal silent run must complete the update and leave nothing of an
// earlier run's making in the installation folder or the log folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "deployment/exit_codes.h"
#include "driver/tests/sweep_world.h"

namespace velt_test {
namespace {

// What would outlive the process.
struct DiskState {
  std::map<std::string, fake::FakeEntry> entries;
  std::map<std::string, fake::FakeKey> registry;
  uint64_t next_sequence = 0;
  size_t call = 0;  // the first call at which the process would leave it
};

DiskState TakeState(bool power_loss, size_t call) {
  DiskState state;
  state.entries = fake::World().entries;
  for (auto& [path, entry] : state.entries) {
    if (power_loss && entry.unflushed)
      entry.data.swap(entry.flushed_data);
    entry.unflushed = false;
    entry.flushed_data.clear();
    entry.held_until_ms = -1;  // whoever held a file has let go by the next run
  }
  if (!power_loss) {
    for (const auto& [id, handle] : fake::World().handles) {
      if (handle.delete_on_close)
        state.entries.erase(handle.path);
    }
  }
  state.registry = fake::World().registry;
  state.next_sequence = fake::World().next_sequence;
  state.call = call;
  return state;
}

// A fresh machine with the disk and registry of `state`.
void Restore(const DiskState& state, const std::string& command_line) {
  fake::ResetWorld();
  fake::World().entries = state.entries;
  fake::World().registry = state.registry;
  fake::World().next_sequence = state.next_sequence;
  fake::World().resources[{"VTUP", "COK"}] = BuiltPayload();
  fake::World().command_line = command_line;
  // Started later, as a next run is: its names differ from the earlier run's.
  fake::World().now_ms = 60 * 1000;
}

struct Tally {
  int points = 0;       // kill points (each also a power-loss point)
  int states = 0;       // distinct states run from
  int broken = 0;       // data files neither old nor new
  int littered = 0;     // states holding an earlier run's file
  int leftovers = 0;    // next runs that left such a file
  int failed_next = 0;  // next runs that did not complete the update
};

// Checks one state and runs the program again from it.
void RunFrom(const DiskState& state,
             const Scenario& scenario,
             const std::string& old_file,
             const char* mode,
             Tally* tally) {
  SCOPED_TRACE(testing::Message() << mode << " at call " << state.call);
  ++tally->states;
  auto data = state.entries.find(fake::NormalizePath(std::string(kVeltFolder) + "vtup.cok"));
  const bool whole = data != state.entries.end() &&
                     (data->second.data == old_file || data->second.data == BuiltPayload());
  if (!whole) {
    ++tally->broken;
    ADD_FAILURE() << "the data file is neither old nor new";
  }

  const std::string next = std::string("velt-update.exe modest") +
                           (Logged(scenario) ? std::string(" /LOG=") + kSweepLog : "");
  Restore(state, next);
  if (!LeftBehind().empty())
    ++tally->littered;
  const int code = RunWatched();
  const std::vector<std::string> left = LeftBehind();
  if (!left.empty()) {
    ++tally->leftovers;
    ADD_FAILURE() << "the next run left " << left.front();
  }
  const bool updated = fake::FileData(std::string(kVeltFolder) + "vtup.cok") == BuiltPayload();
  if (code != velt::kExitOk || !updated || fake::OpenHandleCount() != 0) {
    ++tally->failed_next;
    ADD_FAILURE() << "the next run ended with " << code << (updated ? "" : ", not updated")
                  << (fake::OpenHandleCount() != 0 ? ", handles open" : "");
  }
  if (Logged(scenario)) {
    EXPECT_EQ(LastLogLine().rfind("velt-update result=updated exit=0 ", 0), 0u) << LastLogLine();
  }
}

TEST(KillSweepTest, EndedAtAnyCallOrByAPowerLossTheDataFileIsWholeAndTheNextRunClean) {
  KeepLargeBlocksInTheHeap();
  Tally kills;
  Tally losses;
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    const std::string old_file = PackageWithVersionByte(scenario.installed_version_byte);
    std::vector<DiskState> killed;
    std::vector<DiskState> lost;
    int points = 0;
    uint64_t taken = ~uint64_t{0};
    Arrange(scenario);
    fake::World().on_call = [&](const std::string&) {
      // The state changes only where the revision does; one state serves
      // every kill point up to the next change.
      if (fake::World().revision != taken) {
        taken = fake::World().revision;
        killed.push_back(TakeState(false, points));
        lost.push_back(TakeState(true, points));
      }
      ++points;
    };
    RunWatched();
    fake::World().on_call = nullptr;
    ASSERT_GT(points, 20) << "the fake counted too few calls";
    kills.points += points;
    losses.points += points;
    for (const DiskState& state : killed)
      RunFrom(state, scenario, old_file, "killed", &kills);
    for (const DiskState& state : lost)
      RunFrom(state, scenario, old_file, "power loss", &losses);
    std::printf("[ figures  ] %s: %d kill and power-loss points, %zu states each\n", scenario.name,
                points, killed.size());
  }
  for (const auto& [name, tally] : {std::pair<const char*, Tally>{"killed", kills},
                                    std::pair<const char*, Tally>{"power loss", losses}}) {
    std::printf(
        "[ figures  ] %s: %d points, %d states run from: %d broken data files, %d states with an "
        "earlier run's file, %d left after the next run, %d next runs that did not update\n",
        name, tally.points, tally.states, tally.broken, tally.littered, tally.leftovers,
        tally.failed_next);
  }
}

}  // namespace
}  // namespace velt_test
