#include "startup/install_environment.h"

namespace velt {

std::string ProductFolder;
std::string UninstallKeyPath;
bool IsAdmin = true;

void StartInstallEnvironment() {
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
