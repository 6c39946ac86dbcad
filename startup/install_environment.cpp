#include "startup/install_environment.h"

#include "platform/files.h"

namespace velt {

std::string ProductFolder;
std::string UninstallKeyPath;
bool IsAdmin = true;
std::string UninstallEntryFolder;

namespace {

InstallFolder Held;

}  // namespace

void StartInstallEnvironment() {
  Held = InstallFolder();
  ProductFolder.clear();
  UninstallKeyPath.clear();
  UninstallEntryFolder.clear();
  IsAdmin = true;
}

void EndInstallEnvironment() {
  StartInstallEnvironment();
}

void AddTrailingBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\')
    path += '\\';
}

bool HoldProductFolder() {
  // An empty ProductFolder is the current directory.
  if (!Held.Hold(ProductFolder.empty() ? std::string(".") : ProductFolder))
    return false;
  if (Held.FinalPathKnown())
    ProductFolder = Held.path();
  return true;
}

bool ProductFolderStillHeld() {
  return Held.StillReached();
}

const InstallFolder& HeldProductFolder() {
  return Held;
}

bool HeldFolderReachedBy(const std::string& folder) {
  platform::ScopedHandle other = platform::HoldFolder(folder);
  return other.IsValid() && Held.IsThisFolder(other.Get());
}

}  // namespace velt
