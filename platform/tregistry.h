// TRegistry: the registry accessor the whole program shares. One key at a time is
// open; each use names the root with the key it opens, so no root is left for
// the next use, and the access mask applies to every open. Read and write
// failures raise ERegistryException; opening reports failure by its result.
#pragma once

#include <cstdint>
#include <string>

#include "platform/app_error.h"
#include "platform/registry.h"

namespace platform {

class ERegistryException : public AppError {
 public:
  explicit ERegistryException(const std::string& message);
};

class TRegistry {
 public:
  explicit TRegistry(uint32_t access);
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  uint32_t Access() const { return access_; }
  // Closes any open key, then opens `key` below `root` (creating it when
  // `can_create`). False when the key could not be opened; none is open then.
  bool OpenKey(RegKey root, const std::string& key, bool can_create);
  bool HasOpenKey() const { return current_.IsValid(); }
  // False for a missing value or when no key is open; true for a value of any
  // type, REG_NONE included.
  bool ValueExists(const std::string& name);
  // The value's registry type; kRegNone when missing (or of that type).
  uint32_t GetDataType(const std::string& name);
  // A string value (REG_SZ or REG_EXPAND_SZ) without its terminating NUL; empty
  // when missing. Any other type raises ERegistryException.
  std::string ReadString(const std::string& name);
  // Writes a REG_DWORD value; raises ERegistryException on failure (also when no
  // key is open).
  void WriteInteger(const std::string& name, int32_t value);
  void CloseKey();

 private:
  uint32_t access_;
  ScopedRegKey current_;
};

// Closes the registry object's open key when the scope ends, also when an error
// is raised: one use of the shared object, whoever opened the key in it.
class KeyCloser {
 public:
  explicit KeyCloser(TRegistry& registry) : registry_(registry) {}
  ~KeyCloser() { registry_.CloseKey(); }
  KeyCloser(const KeyCloser&) = delete;
  KeyCloser& operator=(const KeyCloser&) = delete;

 private:
  TRegistry& registry_;
};

}  // namespace platform
