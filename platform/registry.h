// Raw registry operations, shaped like the Win32 ANSI registry functions. Each
// returns a Win32 error code (0 on success); out-parameters are untouched on failure.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace platform {

// A registry key: a type of its own, so that no owner of other handles takes
// one, nor a key's owner another handle.
struct RegKeyObject;
using RegKey = RegKeyObject*;
inline RegKey HkeyCurrentUser() {
  return reinterpret_cast<RegKey>(static_cast<intptr_t>(0x80000001L));
}
inline RegKey HkeyLocalMachine() {
  return reinterpret_cast<RegKey>(static_cast<intptr_t>(0x80000002L));
}

constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;

constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeyAllAccess = 0xF003F;
constexpr uint32_t kKeyWow64_64Key = 0x0100;
constexpr uint32_t kKeyWow64_32Key = 0x0200;

// RegOpenKeyExA.
long RegOpenKeyEx(RegKey root, const std::string& sub_key, uint32_t access, RegKey* result);
// RegCreateKeyExA (non-volatile, no class); opens the key when it exists.
long RegCreateKeyEx(RegKey root, const std::string& sub_key, uint32_t access, RegKey* result);
// RegQueryValueExA. `data` may be null to ask only for the type. A value longer
// than `max_size` bytes fails with kErrorMoreData. String data keep their
// terminating NUL bytes as stored.
long RegQueryValueEx(RegKey key,
                     const std::string& name,
                     uint32_t* type,
                     std::string* data,
                     uint32_t max_size = 0x7FFFFFFF);
// RegSetValueExA.
long RegSetValueEx(RegKey key, const std::string& name, uint32_t type, const std::string& data);
// RegCloseKey.
long RegCloseKey(RegKey key);

struct RegKeyTraits {
  using Raw = RegKey;
  static bool IsValid(RegKey key) { return key != nullptr; }
  static void Close(RawHandle key) { RegCloseKey(static_cast<RegKey>(key)); }
};
// An open registry key, closed exactly once by its owner.
using ScopedRegKey = ScopedGeneric<RegKeyTraits>;

// RegOpenKeyEx into an owner; invalid when the key cannot be opened.
inline ScopedRegKey OpenRegKey(RegKey root, const std::string& sub_key, uint32_t access) {
  RegKey key = nullptr;
  return ScopedRegKey(RegOpenKeyEx(root, sub_key, access, &key) == 0 ? key : nullptr);
}

}  // namespace platform
