// The truth the fault sweep holds every run to: which exit codes a failed
// platform call may lead to, by the phase of the run it failed in. A run that
// ends with any other code than its scenario's own (the fault survived) or one
// the table pairs with the failed call tells a lie: "not installed" while Velt
// is there, "faulty language file" for a file that reads well, and so on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fake/fake_faults.h"

namespace velt_test {

// What the program is doing when a call fails, in the order of a run; calls on
// the log and on language files belong to those phases wherever they happen.
enum class Phase {
  kGuard,          // the single-copy guard
  kStartUp,        // the system description, the random seed
  kRunLog,         // making and writing the run log
  kEnvironment,    // Program Files, the shell folders, the uninstall entries
  kRights,         // the administrator test
  kLastRunFolder,  // the per-user "TheLastRunFolder"
  kInstallation,   // holding the installation folder, velt.exe
  kLanguage,       // the language folder and files, the per-user "LangFile"
  kRunningVelt,    // the running-Velt probe and the request to quit
  kSelfCheck,      // the installer's own payload
  kVersionTest,    // the installed data file's version, its holders
  kQuestion,       // a question box
  kInstall,        // writing and replacing the data file
  kSize,           // the installation's size, "EstimatedSize"
  kLaunch,         // starting Velt
  kMessage,        // an error box itself
};

const char* PhaseName(Phase phase);

// The phase of every call of a run, from the calls' operations and subjects.
// `log_folder` and `velt_folder` are normalized paths ("c:\\logs").
std::vector<Phase> PhasesOf(const std::vector<fake::FaultCall>& calls,
                            const std::string& log_folder,
                            const std::string& velt_folder);

// Whether a run whose call `operation` failed in `phase` may end with
// `exit_code`: the code the scenario ends with when nothing fails
// (`own_exit_code`: the fault was survived) or one the table pairs with it;
// only the latter for a failure the table says no run survives.
bool ExitCodeIsTruthful(Phase phase,
                        const std::string& operation,
                        int exit_code,
                        int own_exit_code);

// How many pairings the table holds, for the figures.
size_t TruthTableRows();

}  // namespace velt_test
