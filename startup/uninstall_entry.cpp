#include "startup/uninstall_entry.h"

#include "startup/startup_settings.h"

namespace velt {

bool UninstallFolderPart(const std::string& value, std::string* folder) {
  std::string path = value;
  if (!path.empty() && path[0] == '"') {
    size_t closing = path.find('"', 1);
    path = path.substr(1, closing == std::string::npos ? std::string::npos : closing - 1);
  }
  if (path.size() < 2)
    return false;
  size_t slash = path.rfind('\\', path.size() - 2);
  if (slash == std::string::npos)
    return false;
  *folder = path.substr(0, slash + 1);
  return true;
}

bool ReadUninstallFolder(const std::string& key_path, std::string* folder) {
  platform::TRegistry& registry = Registry();
  platform::KeyCloser closer(registry);
  if (!registry.OpenKey(platform::HkeyLocalMachine(), key_path, false) ||
      !registry.ValueExists("UninstallString")) {
    return false;
  }
  return UninstallFolderPart(registry.ReadString("UninstallString"), folder);
}

std::string Wow64UninstallPath(const std::string& uninstall_path) {
  size_t slash = uninstall_path.find('\\');
  if (slash == std::string::npos)
    return uninstall_path;
  return uninstall_path.substr(0, slash + 1) + "WOW6432Node\\" + uninstall_path.substr(slash + 1);
}

}  // namespace velt
