#include "startup/install_environment.h"

namespace velt {

std::string ProductFolder;
std::string UninstallKeyPath;
bool IsAdmin = true;

namespace {

InstallFolder Held;

}  // namespace

void StartInstallEnvironment() {
  Held = InstallFolder();
  ProductFolder.clear();
  UninstallKeyPath.clear();
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

}  // namespace velt
