// TRegistry: the registry accessor the whole program shares. One key at a time is
// open; the root key and the access mask apply to every open. Read and write
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
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  uint32_t Access() const { return access_; }
  RegKey RootKey() const { return root_; }
  // Closes any open key and makes `root` the root of later opens.
  void SetRootKey(RegKey root);
  // Closes any open key, then opens `key` below the root (creating it when
  // `can_create`). False when the key could not be opened.
  bool OpenKey(const std::string& key, bool can_create);
  bool HasOpenKey() const { return current_ != nullptr; }
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
  RegKey root_;
  RegKey current_ = nullptr;
};

// Closes the registry's open key when the scope ends, also when an error is raised.
class ScopedRegistryKey {
 public:
  explicit ScopedRegistryKey(TRegistry& registry) : registry_(registry) {}
  ~ScopedRegistryKey() { registry_.CloseKey(); }
  ScopedRegistryKey(const ScopedRegistryKey&) = delete;
  ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

 private:
  TRegistry& registry_;
};

}  // namespace platform
