// What the update needs to know about Velt's installation: its folder, the
// uninstall entries' registry path and whether the user is an administrator.
#pragma once

#include <string>

namespace velt {

extern std::string ProductFolder;     // ends with a backslash once gathered (unless empty)
extern std::string UninstallKeyPath;  // "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
extern bool IsAdmin;

void StartInstallEnvironment();
void EndInstallEnvironment();

// Fills ProductFolder, UninstallKeyPath and IsAdmin. False (after the bilingual
// "No access to system registry" box) when the per-user shell folders cannot be
// read. Errors raised while reading the machine keys are not caught here.
bool GatherEnvironment();

// Appends a backslash unless `path` is empty or already ends with one.
void AddTrailingBackslash(std::string& path);

}  // namespace velt
