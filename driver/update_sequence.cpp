#include "driver/update_sequence.h"

#include "driver/gather_environment.h"
#include "driver/running_velt.h"
#include "language/language.h"
#include "language/messages.h"
#include "package/folder_size.h"
#include "package/installed_package.h"
#include "package/resource_install.h"
#include "package/self_check.h"
#include "platform/files.h"
#include "platform/phase/phase_marks.h"
#include "platform/ui.h"
#include "startup/exit_codes.h"
#include "startup/install_environment.h"
#include "startup/product_folder.h"
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

// "TheLastRunFolder" of the per-user settings wins over every folder found so far.
void ApplyLastRunFolder() {
  OpenSettingsKey();
  platform::ScopedRegistryKey close(Registry());
  if (Registry().ValueExists("TheLastRunFolder")) {
    std::string folder = Registry().ReadString("TheLastRunFolder");
    AddTrailingBackslash(folder);
    ProductFolder = folder;
  }
}

// The installed-version test. False when the sequence must end; `*exit_code`
// then tells how.
bool InstalledVersionAllowsUpdate(const std::string& package_path, int* exit_code) {
  int32_t installed = 0;
  if (!ReadInstalledVersion(package_path, &installed)) {
    ShowLocalizedError(FormatTextLines("filecantopen", {package_path}));
    *exit_code = kExitPackageLocked;
    return false;
  }
  if (UpdateVersion < installed &&
      !AskYesNo(GetText("soundquest"), FormatTextLines("olderfilever", {PackageFileName}))) {
    *exit_code = kExitOk;
    return false;
  }
  return true;
}

bool UserConfirmsInstall() {
  return AskYesNo(GetText("soundquest"),
                  FormatTextLines("installask", {GetText("liveupdatecaption"),
                                                 GetText(ContentKey) + " " + UpdateVersionText}));
}

// Writes "EstimatedSize" into Velt's uninstall entry. A key that cannot be opened
// makes the write raise an error, which ends the program through its top-level
// report.
void RecordInstallationSize() {
  platform::TRegistry& registry = Registry();
  registry.SetRootKey(platform::HkeyLocalMachine());
  platform::ScopedRegistryKey close(registry);
  registry.OpenKey(UninstallKeyPath + ProductName, true);
  VELT_PHASE_MARK("folder_size");
  // Only the folder held since the start is measured, never one put in its place.
  int32_t size_kb = ProductFolderStillHeld() ? GetFolderSizeKB(ProductFolder) : -1;
  VELT_PHASE_MARK("folder_size_done");
  if (size_kb != -1)
    registry.WriteInteger("EstimatedSize", size_kb);
}

bool UserWantsToRunVelt() {
  std::string caption = GetText("liveupdatecaption");
  std::string done = FormatText(
      "installdone", {caption + " (" + GetText(ContentKey) + " " + UpdateVersionText + ")"});
  return AskYesNo(caption, done + "\r\n\r\n" + GetText("asktorun"));
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
  ApplyLastRunFolder();
  // From here on, every step works in the folder resolved and held now.
  if (!HoldProductFolder() || !platform::FileExists(ProductFolder + "velt.exe")) {
    ShowBilingualError(
        "There's no Velt installed.\r\nPlease install the program first.",
        "Нет установленной программы \"Вельт\"!\r\nПожалуйста, сначала установите её.");
    return kExitNoInstallation;
  }
  if (!LoadLanguage())
    return kExitLanguageFailed;
  if (!IsAdmin) {
    ShowLocalizedError(GetTextLines("noright"));
    return kExitNotAdmin;
  }
  if (IsVeltRunning())
    AskVeltToQuit();
  VELT_PHASE_MARK("self_check");
  if (!CheckInstallerIntegrity())
    return kExitSelfCheckFailed;
  VELT_PHASE_MARK("self_check_done");

  ModestMode = FirstArgument == "modest";
  const std::string package_path = ProductFolder + PackageFileName;
  int exit_code = kExitOk;
  if (!ModestMode && InstalledPackageMayExist(package_path) &&
      !InstalledVersionAllowsUpdate(package_path, &exit_code)) {
    return exit_code;
  }
  if (!ModestMode && !UserConfirmsInstall())
    return kExitOk;

  const std::string resource_name =
      PackageFileName.substr(0, PackageFileName.find(PackageExtension));
  const std::string resource_type = PackageExtension.substr(1);
  VELT_PHASE_MARK("install");
  const bool written =
      InstallResourceFile(resource_name, resource_type,
                          ProductFolder + resource_name + "." + resource_type, HeldProductFolder());
  VELT_PHASE_MARK("install_done");
  RecordInstallationSize();

  if (ModestMode) {
    if (LowercaseArgument(2) == "runapp")
      LaunchVelt();
  } else if (written && UserWantsToRunVelt()) {
    LaunchVelt();
  }
  return written ? kExitOk : kExitInstallFailed;
}

}  // namespace velt
