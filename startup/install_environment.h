// What the update knows about Velt's installation once it is gathered: its
// folder, the uninstall entries' registry path and whether the user is an
// administrator. Set by the update driver; read by everything after it.
#pragma once

#include <string>

namespace velt {

extern std::string ProductFolder;     // ends with a backslash once gathered (unless empty)
extern std::string UninstallKeyPath;  // "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
extern bool IsAdmin;

// Module start and end: reset the three values and let the held folder go.
void StartInstallEnvironment();
void EndInstallEnvironment();

// Appends a backslash unless `path` is empty or already ends with one.
void AddTrailingBackslash(std::string& path);

}  // namespace velt
