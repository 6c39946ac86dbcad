#include "driver/update_sequence.h"

#include "deployment/command_switches.h"
#include "deployment/exit_codes.h"
#include "deployment/file_holders.h"
#include "deployment/run_log.h"
#include "driver/running_velt.h"
#include "language/language.h"
#include "language/messages.h"
#include "package/folder_size.h"
#include "package/installed_package.h"
#include "package/resource_install.h"
#include "package/self_check.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/phase/phase_marks.h"
#include "platform/text_rules.h"
#include "platform/ui.h"
#include "startup/gather_environment.h"
#include "startup/install_environment.h"
#include "startup/release_facts.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"

namespace velt {

bool ModestMode = false;

namespace {

constexpr uint32_t kQuestionStyle =
    platform::kMbYesNo | platform::kMbIconQuestion | platform::kMbTaskModal | platform::kMbTopMost;

bool AskYesNo(const std::string& caption, const std::string& text) {
  return platform::MessageBoxEx(text, caption, kQuestionStyle,
                                static_cast<uint16_t>(LanguageId & 0xFFFF)) == platform::kIdYes;
}

// "TheLastRunFolder" of the per-user settings wins over every folder found so
// far. True when it did.
bool ApplyLastRunFolder() {
  platform::KeyCloser closer(Registry());
  OpenSettingsKey();
  if (Registry().ValueExists("TheLastRunFolder")) {
    std::string folder = Registry().ReadString("TheLastRunFolder");
    AddTrailingBackslash(folder);
    ProductFolder = folder;
    Log({"installation folder ", folder, " from the per-user TheLastRunFolder, which wins"});
    return true;
  }
  return false;
}

// "filecantopen" for the data file, or the built-in text where the language
// file's cannot be read.
void ShowFileInUse(const std::string& package_path) {
  ShowLocalizedError(FormatTextLines("filecantopen", {package_path}),
                     "This file is in use and cannot be replaced: ",
                     "Этот файл занят, его нельзя заменить: ", package_path);
}

// The installed-version test. False when the sequence must end; `*exit_code`
// then tells how.
bool InstalledVersionAllowsUpdate(const std::string& package_path, int* exit_code) {
  int32_t installed = 0;
  uint32_t error = 0;
  if (!ReadInstalledVersion(HeldProductFolder().handle(), package_path, &installed, &error)) {
    // Held by another process, a later try may succeed; refused for good, not.
    const bool held = platform::RefusalMayClear(error);
    // Asked while the file is still held, before the box waits for the user.
    if (held && RunLogRequested())
      NoteFileHolders(NameFileHolders(package_path));
    ShowFileInUse(package_path);
    *exit_code = held ? kExitPackageLocked : kExitInstallFailed;
    return false;
  }
  NoteInstalledVersion(installed);
  Log({"installed ", PackageFileName, " version ", platform::DecimalText(installed), ", carried ",
       UpdateVersionText});
  if (UpdateVersion < installed) {
    const bool yes =
        AskYesNo(GetText("soundquest"), FormatTextLines("olderfilever", {PackageFileName}));
    Log({"the installed file is newer; asked whether to replace it: ", yes ? "Yes" : "No"});
    if (!yes) {
      *exit_code = kExitOk;
      return false;
    }
  }
  return true;
}

// The installed version for the log where the sequence makes no version test:
// one read that waits for nobody.
void LogInstalledVersionWithoutTest(const std::string& package_path, InstalledPackage found) {
  if (!RunLogRequested() || found == InstalledPackage::kLink)
    return;
  int32_t installed = 0;
  if (found == InstalledPackage::kNone) {
    Log({"no installed ", PackageFileName});
  } else if (ReadInstalledVersionOnce(HeldProductFolder().handle(), package_path, &installed)) {
    NoteInstalledVersion(installed);
    Log({"installed ", PackageFileName, " version ", platform::DecimalText(installed),
         " (read for the log; the silent mode makes no version test), carried ",
         UpdateVersionText});
  } else {
    LogFailure({"reading the installed version for the log"}, platform::GetLastError());
  }
}

void LogLanguageChoice() {
  if (LanguageFileIndex >= 0 && static_cast<size_t>(LanguageFileIndex) < LanguageList.size()) {
    Log({"language file ", LanguageList[LanguageFileIndex], ", language ",
         platform::DecimalText(LanguageId)});
  }
}

bool UserConfirmsInstall() {
  const bool yes =
      AskYesNo(GetText("soundquest"),
               FormatTextLines("installask", {GetText("liveupdatecaption"),
                                              GetText(ContentKey) + " " + UpdateVersionText}));
  Log({"asked whether to install: ", yes ? "Yes" : "No"});
  return yes;
}

// Writes "EstimatedSize" into Velt's uninstall entry. A key that cannot be opened
// makes the write raise an error, which ends the program through its top-level
// report.
void RecordInstallationSize() {
  platform::TRegistry& registry = Registry();
  platform::KeyCloser closer(registry);
  registry.OpenKey(platform::HkeyLocalMachine(), UninstallKeyPath + ProductName, true);
  VELT_PHASE_MARK("folder_size");
  // Only the folder held since the start is measured, through its handle.
  int32_t size_kb = ProductFolderStillHeld() ? GetFolderSizeKB(HeldProductFolder().handle()) : -1;
  VELT_PHASE_MARK("folder_size_done");
  if (size_kb != -1) {
    registry.WriteInteger("EstimatedSize", size_kb);
    Log({"recorded EstimatedSize ", platform::DecimalText(size_kb), " KiB"});
  } else {
    Log({"the installation folder is missing; EstimatedSize stays as it was"});
  }
}

bool UserWantsToRunVelt() {
  std::string caption = GetText("liveupdatecaption");
  std::string done = FormatText(
      "installdone", {caption + " (" + GetText(ContentKey) + " " + UpdateVersionText + ")"});
  const bool yes = AskYesNo(caption, done + "\r\n\r\n" + GetText("asktorun"));
  Log({"asked whether to start Velt: ", yes ? "Yes" : "No"});
  return yes;
}

}  // namespace

void StartUpdateDriver() {
  ModestMode = false;
  StartRunningVelt();
}

void EndUpdateDriver() {
  EndRunningVelt();
}

int RunUpdate() {
  SetProgramNames();
  if (!GatherEnvironment())
    return kExitNoRegistryAccess;
  const bool last_run_folder = ApplyLastRunFolder();
  // From here on, every step works in the folder resolved and held now.
  if (!HoldProductFolder() || !platform::FileExists(ProductFolder + "velt.exe")) {
    Log({"no installation folder to hold, or no velt.exe in ", ProductFolder});
    ShowBilingualError(
        "There's no Velt installed.\r\nPlease install the program first.",
        "Нет установленной программы \"Вельт\"!\r\nПожалуйста, сначала установите её.");
    return kExitNoInstallation;
  }
  // A program of the user's may lead every run elsewhere: the run goes there,
  // and the log shows an administrator what the uninstall entry names.
  if (last_run_folder && !UninstallEntryFolder.empty() &&
      !HeldFolderReachedBy(UninstallEntryFolder)) {
    Log({"TheLastRunFolder leads to another folder than the uninstall entry, which names ",
         UninstallEntryFolder, ": this run updates and measures ", ProductFolder});
  }
  if (!LoadLanguage())
    return kExitLanguageFailed;
  LogLanguageChoice();
  if (!IsAdmin) {
    Log({"the user is not an administrator"});
    ShowLocalizedError(GetTextLines("noright"), "Updating Velt needs administrator rights.",
                       "Для обновления программы \"Вельт\" нужны права администратора.");
    return kExitNotAdmin;
  }
  if (IsVeltRunning()) {
    Log({"Velt is running: asking it to quit"});
    AskVeltToQuit();
  }
  VELT_PHASE_MARK("self_check");
  if (!CheckInstallerIntegrity()) {
    Log({"the installer's self-check failed"});
    return kExitSelfCheckFailed;
  }
  VELT_PHASE_MARK("self_check_done");
  Log({"the installer's self-check passed"});

  ModestMode = ModestAsked();
  Log({ModestMode ? "silent mode (modest)" : "interactive mode"});
  const std::string package_path = ProductFolder + PackageFileName;
  int exit_code = kExitOk;
  const InstalledPackage found = FindInstalledPackage(HeldProductFolder().handle(), package_path);
  if (found == InstalledPackage::kLink)
    Log({"the installed ", PackageFileName, " is a link: its version is not read"});
  if (ModestMode) {
    LogInstalledVersionWithoutTest(package_path, found);
  } else if (found != InstalledPackage::kFile) {
    Log({"no installed ", PackageFileName, " to read: no version test"});
  } else if (!InstalledVersionAllowsUpdate(package_path, &exit_code)) {
    return exit_code;
  }
  if (!ModestMode && !UserConfirmsInstall())
    return kExitOk;

  VELT_PHASE_MARK("install");
  const InstallOutcome installed = InstallResourceFile(kPackageResourceName, kPackageResourceType,
                                                       HeldProductFolder(), PackageFileName);
  VELT_PHASE_MARK("install_done");
  const bool written = installed.written;
  if (installed.held)
    ShowFileInUse(package_path);
  RecordInstallationSize();

  if (ModestMode) {
    if (RunAppAsked()) {
      Log({"starting Velt (runapp)"});
      LaunchVelt();
    }
  } else if (written && UserWantsToRunVelt()) {
    Log({"starting Velt"});
    LaunchVelt();
  }
  return written ? kExitOk : installed.held ? kExitPackageLocked : kExitInstallFailed;
}

}  // namespace velt
