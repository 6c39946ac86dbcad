#include "platform/tregistry.h"

#include "platform/errors.h"

namespace platform {

// Not inlined, so that the return address is the place that raised the error.
__attribute__((noinline)) ERegistryException::ERegistryException(const std::string& message)
    : AppError("ERegistryException", message, __builtin_return_address(0)) {}

TRegistry::TRegistry(uint32_t access) : access_(access) {}

bool TRegistry::OpenKey(RegKey root, const std::string& key, bool can_create) {
  CloseKey();
  std::string path = key;
  while (!path.empty() && path.front() == '\\')
    path.erase(0, 1);
  RegKey opened = nullptr;
  long result = can_create ? RegCreateKeyEx(root, path, access_, &opened)
                           : RegOpenKeyEx(root, path, access_, &opened);
  if (result != kErrorSuccess)
    return false;
  current_.Reset(opened);
  return true;
}

bool TRegistry::ValueExists(const std::string& name) {
  uint32_t type = kRegNone;
  return current_.IsValid() &&
         RegQueryValueEx(current_.Get(), name, &type, nullptr) == kErrorSuccess;
}

uint32_t TRegistry::GetDataType(const std::string& name) {
  if (!current_.IsValid())
    return kRegNone;
  uint32_t type = kRegNone;
  if (RegQueryValueEx(current_.Get(), name, &type, nullptr) != kErrorSuccess)
    return kRegNone;
  return type;
}

std::string TRegistry::ReadString(const std::string& name) {
  if (!current_.IsValid())
    return std::string();
  uint32_t type = kRegNone;
  std::string data;
  if (RegQueryValueEx(current_.Get(), name, &type, &data) != kErrorSuccess)
    return std::string();
  if (type != kRegSz && type != kRegExpandSz) {
    throw ERegistryException("Invalid data type for '" + name + "'");
  }
  size_t nul = data.find('\0');
  if (nul != std::string::npos)
    data.resize(nul);
  return data;
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  std::string data(4, '\0');
  uint32_t bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i)
    data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  if (!current_.IsValid() ||
      RegSetValueEx(current_.Get(), name, kRegDword, data) != kErrorSuccess) {
    throw ERegistryException("Failed to set data for '" + name + "'");
  }
}

void TRegistry::CloseKey() {
  current_.Reset();
}

}  // namespace platform
