#include "startup/install_environment.h"

#include "startup/product_folder.h"

namespace velt {

std::string ProductFolder;
std::string UninstallKeyPath;
bool IsAdmin = true;

void StartInstallEnvironment() {
  ReleaseProductFolder();
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

}  // namespace velt
