#include "startup/gather_environment.h"

#include "deployment/run_log.h"
#include "platform/system.h"
#include "startup/install_environment.h"
#include "startup/startup_settings.h"
#include "startup/uninstall_entry.h"
#include "startup/update_constants.h"

namespace velt {

namespace {

const char* const kShellFolderValues[] = {"Programs", "Desktop", "Startup"};

// "ProgramFilesDir" of the machine key, with a trailing backslash; empty when
// missing. Errors raised while reading are left to the caller.
std::string ReadProgramFilesFolder() {
  platform::TRegistry& registry = Registry();
  platform::KeyCloser closer(registry);
  std::string folder;
  if (registry.OpenKey(platform::HkeyLocalMachine(), kSystemKeyPrefix, false) &&
      registry.ValueExists("ProgramFilesDir")) {
    folder = registry.ReadString("ProgramFilesDir");
  }
  AddTrailingBackslash(folder);
  return folder;
}

// Reads the per-user shell folders (their texts are not used); false when an
// error was raised, which means the registry cannot be trusted.
bool CanReadShellFolders() {
  platform::TRegistry& registry = Registry();
  try {
    platform::KeyCloser closer(registry);
    if (registry.OpenKey(platform::HkeyCurrentUser(),
                         std::string(kSystemKeyPrefix) + "Explorer\\Shell Folders", false)) {
      for (const char* name : kShellFolderValues) {
        if (registry.ValueExists(name))
          registry.ReadString(name);
      }
    }
    return true;
  } catch (const platform::AppError&) {
    return false;
  }
}

}  // namespace

bool GatherEnvironment() {
  std::string program_files = ReadProgramFilesFolder();
  IsAdmin = platform::IsUserAnAdmin();
  if (!CanReadShellFolders()) {
    Log({"the per-user shell folders cannot be read"});
    ShowBilingualError("No access to system registry", "Нет доступа к системному реестру");
    return false;
  }
  UninstallKeyPath = std::string(kSystemKeyPrefix) + "Uninstall\\";
  std::string folder = program_files + ProductName;
  std::string source = "ProgramFilesDir (no uninstall entry names a folder)";
  const std::string entry = UninstallKeyPath + ProductName;
  const std::string wow64_entry = Wow64UninstallPath(UninstallKeyPath) + ProductName;
  bool from_entry = true;
  if (ReadUninstallFolder(entry, &folder)) {
    source = "the uninstall entry HKLM\\" + entry;
  } else if (ReadUninstallFolder(wow64_entry, &folder)) {
    source = "the uninstall entry HKLM\\" + wow64_entry;
  } else {
    from_entry = false;
  }
  ProductFolder = folder;
  AddTrailingBackslash(ProductFolder);
  if (from_entry)
    UninstallEntryFolder = ProductFolder;
  Log({"installation folder ", ProductFolder, " from ", source});
  return true;
}

}  // namespace velt
