#include "driver/tests/truth_table.h"

#include <algorithm>

#include "deployment/exit_codes.h"

namespace velt_test {
namespace {

// One pairing: a call of `operation` ("*": any) failing in `phase` may end the
// run with any of `codes`, for the reason given; `never_survived`: it must.
struct Truth {
  Phase phase;
  const char* operation;
  std::vector<int> codes;
  const char* why;
  bool never_survived = false;
};

// The table. A fault not listed here may only be survived: the run then ends
// as its scenario does without faults. Adding a deployment code means adding
// its rows here, keyed the same way.
const Truth kTruthTable[] = {
    {Phase::kEnvironment,
     "RegOpenKeyEx",
     {velt::kExitNoRegistryAccess},
     "the per-user shell folders cannot be read"},
    {Phase::kEnvironment,
     "RegQueryValueEx",
     {velt::kExitNoRegistryAccess},
     "the per-user shell folders cannot be read"},
    {Phase::kRights,
     "CheckTokenMembership",
     {velt::kExitNotAdmin},
     "the rights test cannot tell an administrator"},
    {Phase::kInstallation,
     "HoldFolder",
     {velt::kExitNoInstallation},
     "the installation folder cannot be opened"},
    {Phase::kInstallation,
     "OpenForExamination",
     {velt::kExitNoInstallation},
     "the folder's path cannot be examined, so it may not be the one held"},
    {Phase::kInstallation,
     "GetFileInformation",
     {velt::kExitNoInstallation},
     "the folder's path cannot be examined, so it may not be the one held"},
    {Phase::kInstallation,
     "GetFileAttributes",
     {velt::kExitNoInstallation},
     "velt.exe cannot be read"},
    // A language file or folder that cannot be listed, opened or read is
    // missing or faulty to the updater. A final path that cannot be had is
    // none of these: the file opened in the held folder is the file.
    {Phase::kLanguage, "OpenFolder", {velt::kExitLanguageFailed}, "the language folder"},
    {Phase::kLanguage,
     "GetFileAttributesByHandle",
     {velt::kExitLanguageFailed},
     "the language folder"},
    {Phase::kLanguage, "FindFirstFile", {velt::kExitLanguageFailed}, "the listing"},
    {Phase::kLanguage, "FindNextFile", {velt::kExitLanguageFailed}, "the listing"},
    {Phase::kLanguage, "OpenInFolder", {velt::kExitLanguageFailed}, "a language file"},
    {Phase::kLanguage, "CreateFile", {velt::kExitLanguageFailed}, "a language file"},
    {Phase::kLanguage, "GetFileAttributes", {velt::kExitLanguageFailed}, "a language file"},
    {Phase::kLanguage, "GetFileInformation", {velt::kExitLanguageFailed}, "a language file"},
    {Phase::kLanguage, "ReadFile", {velt::kExitLanguageFailed}, "a language file"},
    {Phase::kLanguage, "SeekFile", {velt::kExitLanguageFailed}, "a language file"},
    {Phase::kSelfCheck, "LoadResource", {velt::kExitSelfCheckFailed}, "the payload cannot be read"},
    // Held (a refusal that may clear) beyond the budget: in use; refused for
    // good, or not known to be the file itself: not written.
    {Phase::kVersionTest,
     "OpenInFolder",
     {velt::kExitPackageLocked, velt::kExitInstallFailed},
     "the data file cannot be opened"},
    {Phase::kVersionTest,
     "ReadFile",
     {velt::kExitPackageLocked, velt::kExitInstallFailed},
     "the data file cannot be read"},
    {Phase::kVersionTest,
     "GetFileInformation",
     {velt::kExitInstallFailed},
     "the file opened cannot be told from a link"},
    {Phase::kRunLog,
     "GetFinalPathNameByHandle",
     {velt::kExitLogNotMade},
     "the log's folder, or the file made there, cannot be told to be the one spelled out",
     true},
    {Phase::kRunLog,
     "*",
     {velt::kExitLogNotMade},
     "the log asked for cannot be made where its starter could write it"},
    {Phase::kQuestion, "*", {velt::kExitOk}, "a question not shown is answered No"},
    {Phase::kInstall,
     "*",
     {velt::kExitInstallFailed},
     "the new data file cannot be written, checked or put in place"},
    {Phase::kSize,
     "RegCreateKeyEx",
     {velt::kExitUncaughtError},
     "the uninstall entry cannot be opened for writing"},
    {Phase::kSize,
     "RegSetValueEx",
     {velt::kExitUncaughtError},
     "\"EstimatedSize\" cannot be written"},
};

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool Below(const std::string& subject, const std::string& folder) {
  return subject == folder || StartsWith(subject, folder + "\\");
}

}  // namespace

const char* PhaseName(Phase phase) {
  static const char* const kNames[] = {
      "guard",        "start-up", "run log",      "environment", "rights",       "last run folder",
      "installation", "language", "running Velt", "self-check",  "version test", "question",
      "install",      "size",     "launch",       "message"};
  return kNames[static_cast<int>(phase)];
}

std::vector<Phase> PhasesOf(const std::vector<fake::FaultCall>& calls,
                            const std::string& log_folder,
                            const std::string& velt_folder) {
  const std::string settings_key = "|hkcu\\software\\kolm\\velt";
  std::vector<Phase> phases;
  Phase current = Phase::kStartUp;
  for (const fake::FaultCall& call : calls) {
    const std::string& op = call.operation;
    const std::string& subject = call.subject;
    // Steps of the run, in order.
    if (op == "RegOpenKeyEx" && subject == "|hklm\\software\\microsoft\\windows\\currentversion" &&
        current == Phase::kStartUp) {
      current = Phase::kEnvironment;
    } else if (StartsWith(subject, settings_key) && current == Phase::kEnvironment) {
      current = Phase::kLastRunFolder;
    } else if (op == "HoldFolder") {
      current = Phase::kInstallation;
    } else if (Below(subject, velt_folder + "\\language") && current == Phase::kInstallation) {
      current = Phase::kLanguage;
    } else if (op == "CreateFileMapping" || op == "FindWindow" || op == "PostMessage") {
      current = Phase::kRunningVelt;
    } else if (op == "LoadResource") {
      current = current < Phase::kSelfCheck ? Phase::kSelfCheck : Phase::kInstall;
    } else if (subject == velt_folder + "\\vtup.cok" && current == Phase::kSelfCheck) {
      current = Phase::kVersionTest;
    } else if (op == "RegCreateKeyEx" && current == Phase::kInstall) {
      current = Phase::kSize;
    } else if (op == "SetCurrentDirectory") {
      current = Phase::kLaunch;
    }
    // What a call acts on, wherever it happens.
    Phase phase = current;
    if (op == "CreateMutex" || op == "OpenMutex" || op == "CreatePrivateNamespace" ||
        op == "GetSecurityInfo")
      phase = Phase::kGuard;
    else if (current == Phase::kStartUp &&
             (op == "GetParentProcessId" || op == "OpenProcessToExamine" ||
              op == "GetProcessCreationTime" || op == "OpenProcessTokenToCheck" ||
              op == "GetTokenFacts"))
      phase = Phase::kRunLog;  // the log's starter, before anything else asks
    else if (op == "CheckTokenMembership")
      phase = Phase::kRights;
    else if (Below(subject, log_folder))
      phase = Phase::kRunLog;
    else if (Below(subject, velt_folder + "\\language") ||
             StartsWith(subject, settings_key + ":langfile"))
      phase = Phase::kLanguage;
    else if (StartsWith(subject, "question: "))
      phase = Phase::kQuestion;
    else if (StartsWith(subject, "message: "))
      phase = Phase::kMessage;
    phases.push_back(phase);
  }
  return phases;
}

bool ExitCodeIsTruthful(Phase phase,
                        const std::string& operation,
                        int exit_code,
                        int own_exit_code) {
  for (const Truth& truth : kTruthTable) {
    if (truth.phase != phase ||
        (std::string(truth.operation) != "*" && truth.operation != operation)) {
      continue;
    }
    const bool listed =
        std::find(truth.codes.begin(), truth.codes.end(), exit_code) != truth.codes.end();
    if (listed || truth.never_survived)
      return listed;
  }
  return exit_code == own_exit_code;
}

size_t TruthTableRows() {
  return std::size(kTruthTable);
}

}  // namespace velt_test
