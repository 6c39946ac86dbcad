// Fake registry: keys by view and path, values with raw bytes.
#include <cctype>

#include "platform/errors.h"
#include "platform/fake/fake_platform.h"
#include "platform/registry.h"
#include "platform/text_rules.h"

namespace platform {
namespace {

using fake::World;

// The stored path of a root or open key plus a sub-key; empty when `root` is
// neither a predefined root nor an open key. Opens from a predefined root are
// redirected as WOW64 would (see FakeWorld::registry).
std::string KeyPath(RegKey root, const std::string& sub_key, uint32_t access) {
  std::string sub = platform::AsciiLowercase(sub_key);
  while (!sub.empty() && sub.front() == '\\')
    sub.erase(0, 1);
  while (!sub.empty() && sub.back() == '\\')
    sub.pop_back();
  std::string base;
  if (root == HkeyCurrentUser() || root == HkeyLocalMachine()) {
    base = root == HkeyCurrentUser() ? "hkcu" : "hklm";
    return fake::RedirectedRegistryPath(sub.empty() ? base : base + "\\" + sub, access);
  }
  auto it = World().open_keys.find(reinterpret_cast<uintptr_t>(root));
  if (it == World().open_keys.end())
    return std::string();
  return sub.empty() ? it->second : it->second + "\\" + sub;
}

constexpr uint32_t kKeySetValue = 0x0002;

RegKey NewKey(const std::string& path, uint32_t access) {
  uintptr_t id = World().next_handle;
  World().next_handle += 4;
  World().open_keys[id] = path;
  World().open_key_access[id] = access;
  return reinterpret_cast<RegKey>(id);
}

// "<stored path of the open key>:<value name>", what a value call acts on.
std::string ValueSubject(RegKey key, const std::string& name) {
  auto it = World().open_keys.find(reinterpret_cast<uintptr_t>(key));
  return (it == World().open_keys.end() ? std::string() : it->second) + ":" +
         platform::AsciiLowercase(name);
}

fake::FakeKey* OpenedKey(RegKey key) {
  auto it = World().open_keys.find(reinterpret_cast<uintptr_t>(key));
  if (it == World().open_keys.end())
    return nullptr;
  auto found = World().registry.find(it->second);
  return found == World().registry.end() ? nullptr : &found->second;
}

// Opens `root`\`sub_key` (creating it and its ancestors when `create`).
long OpenOrCreate(RegKey root,
                  const std::string& sub_key,
                  uint32_t access,
                  bool create,
                  RegKey* result) {
  if (World().registry_fails)
    return kErrorAccessDenied;
  std::string path = KeyPath(root, sub_key, access);
  if (const uint32_t fault =
          fake::NextFault(create ? "RegCreateKeyEx" : "RegOpenKeyEx", fake::kFaultsOfCalls, path)) {
    return static_cast<long>(fake::FaultError(fault));
  }
  if (path.empty())
    return 6;
  World().registry_opens.push_back({path, access});
  bool is_root = path.find('\\') == std::string::npos;
  if (create) {
    for (size_t pos = path.find('\\'); pos != std::string::npos; pos = path.find('\\', pos + 1))
      World().registry[path.substr(0, pos)];
    World().registry[path];
    ++World().revision;
  } else if (!is_root && World().registry.count(path) == 0) {
    return kErrorFileNotFound;
  }
  *result = NewKey(path, access);
  return kErrorSuccess;
}

}  // namespace

long RegOpenKeyEx(RegKey root, const std::string& sub_key, uint32_t access, RegKey* result) {
  return OpenOrCreate(root, sub_key, access, false, result);
}

long RegCreateKeyEx(RegKey root, const std::string& sub_key, uint32_t access, RegKey* result) {
  return OpenOrCreate(root, sub_key, access, true, result);
}

long RegQueryValueEx(RegKey key,
                     const std::string& name,
                     uint32_t* type,
                     std::string* data,
                     uint32_t max_size) {
  if (World().registry_fails)
    return kErrorAccessDenied;
  if (const uint32_t fault =
          fake::NextFault("RegQueryValueEx", fake::kFaultsOfCalls, ValueSubject(key, name)))
    return static_cast<long>(fake::FaultError(fault));
  fake::FakeKey* opened = OpenedKey(key);
  if (!opened)
    return 6;
  auto it = opened->values.find(platform::AsciiLowercase(name));
  if (it == opened->values.end())
    return kErrorFileNotFound;
  if (data && it->second.data.size() > max_size)
    return kErrorMoreData;
  if (type)
    *type = it->second.type;
  if (data)
    *data = it->second.data;
  return kErrorSuccess;
}

long RegSetValueEx(RegKey key, const std::string& name, uint32_t type, const std::string& data) {
  if (World().registry_fails)
    return kErrorAccessDenied;
  if (const uint32_t fault = fake::NextFault(
          "RegSetValueEx", fake::kFaultsOfCalls | fake::kFaultDiskFull, ValueSubject(key, name)))
    return static_cast<long>(fake::FaultError(fault));
  fake::FakeKey* opened = OpenedKey(key);
  if (!opened)
    return 6;
  if ((World().open_key_access[reinterpret_cast<uintptr_t>(key)] & kKeySetValue) == 0)
    return kErrorAccessDenied;
  fake::FakeValue& value = opened->values[platform::AsciiLowercase(name)];
  value.name = name;
  value.type = type;
  value.data = data;
  ++World().revision;
  return kErrorSuccess;
}

long RegCloseKey(RegKey key) {
  if (key == HkeyCurrentUser() || key == HkeyLocalMachine())
    return kErrorSuccess;
  World().open_key_access.erase(reinterpret_cast<uintptr_t>(key));
  return World().open_keys.erase(reinterpret_cast<uintptr_t>(key)) ? kErrorSuccess : 6;
}

}  // namespace platform
