// Registry helpers for the end-to-end tests: the keys through which the updater
// finds Velt. They work in the 64-bit view unless told otherwise (`view`
// KEY_WOW64_32KEY: the view a 32-bit program such as Velt's own installer sees
// by default, where HKLM\Software\X is the 64-bit view's
// HKLM\Software\WOW6432Node\X).
#pragma once

#include <windows.h>

#include <string>

namespace velt::e2e {

extern const char kUninstallEntryKey[];     // HKLM, plain path
extern const char kWowUninstallEntryKey[];  // HKLM, the WOW6432Node path
extern const char kSettingsKey[];           // HKCU "Software\Kolm\Velt"
extern const char kSettingsParentKey[];     // HKCU "Software\Kolm"

// Creates the key when missing and sets a REG_SZ value.
bool SetRegistryString(HKEY root,
                       const std::string& key,
                       const std::string& name,
                       const std::string& value,
                       REGSAM view = KEY_WOW64_64KEY);
// Creates the key when missing and sets a REG_DWORD value.
bool SetRegistryDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
// Reads a REG_DWORD value; false when the key or value is missing or of another type.
bool ReadRegistryDword(HKEY root,
                       const std::string& key,
                       const std::string& name,
                       DWORD* value,
                       REGSAM view = KEY_WOW64_64KEY);
bool RegistryKeyExists(HKEY root, const std::string& key);
// Deletes the key with all its subkeys; a missing key is fine.
void DeleteRegistryTree(HKEY root, const std::string& key);
// Deletes the key only when it has neither subkeys nor values.
void DeleteRegistryKeyIfEmpty(HKEY root, const std::string& key);

}  // namespace velt::e2e
