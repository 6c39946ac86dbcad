// Registry helpers for the end-to-end tests: the keys through which the updater
// finds Velt, in the 64-bit view (the tests and the updater under test are
// 64-bit programs).
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
                       const std::string& value);
// Creates the key when missing and sets a REG_DWORD value.
bool SetRegistryDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
// Reads a REG_DWORD value; false when the key or value is missing or of another type.
bool ReadRegistryDword(HKEY root, const std::string& key, const std::string& name, DWORD* value);
bool RegistryKeyExists(HKEY root, const std::string& key);
// Deletes the key with all its subkeys; a missing key is fine.
void DeleteRegistryTree(HKEY root, const std::string& key);
// Deletes the key only when it has neither subkeys nor values.
void DeleteRegistryKeyIfEmpty(HKEY root, const std::string& key);

}  // namespace velt::e2e
