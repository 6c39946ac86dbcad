#include "tests/e2e/e2e_registry.h"

namespace velt::e2e {

const char kUninstallEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velt";
const char kWowUninstallEntryKey[] =
    "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velt";
const char kSettingsKey[] = "Software\\Kolm\\Velt";
const char kSettingsParentKey[] = "Software\\Kolm";

namespace {

bool SetValue(HKEY root,
              const std::string& key,
              const std::string& name,
              DWORD type,
              const void* data,
              DWORD size,
              REGSAM view = KEY_WOW64_64KEY) {
  HKEY opened = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | view,
                      nullptr, &opened, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG result = RegSetValueExA(opened, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(opened);
  return result == ERROR_SUCCESS;
}

}  // namespace

bool SetRegistryString(HKEY root,
                       const std::string& key,
                       const std::string& name,
                       const std::string& value,
                       REGSAM view) {
  return SetValue(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1),
                  view);
}

bool SetRegistryDword(HKEY root, const std::string& key, const std::string& name, DWORD value) {
  return SetValue(root, key, name, REG_DWORD, &value, sizeof(value));
}

bool ReadRegistryDword(HKEY root,
                       const std::string& key,
                       const std::string& name,
                       DWORD* value,
                       REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  DWORD size = sizeof(*value);
  LONG result =
      RegQueryValueExA(opened, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(opened);
  return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(*value);
}

bool RegistryKeyExists(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(opened);
  return true;
}

void DeleteRegistryTree(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &opened) !=
      ERROR_SUCCESS) {
    return;
  }
  RegDeleteTreeA(opened, nullptr);
  RegCloseKey(opened);
  RegDeleteKeyExA(root, key.c_str(), KEY_WOW64_64KEY, 0);
}

void DeleteRegistryKeyIfEmpty(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) !=
      ERROR_SUCCESS) {
    return;
  }
  DWORD subkeys = 0;
  DWORD values = 0;
  LONG result = RegQueryInfoKeyA(opened, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                 &values, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(opened);
  if (result == ERROR_SUCCESS && subkeys == 0 && values == 0) {
    RegDeleteKeyExA(root, key.c_str(), KEY_WOW64_64KEY, 0);
  }
}

}  // namespace velt::e2e
