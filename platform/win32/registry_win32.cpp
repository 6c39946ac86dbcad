// Raw registry operations over the Win32 ANSI registry functions.
#include <vector>

#include "platform/errors.h"
#include "platform/registry.h"
#include "platform/win32/win32_api.h"

namespace platform {
namespace {

HKEY ToHkey(RegKey key) {
  return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
  return reinterpret_cast<RegKey>(key);
}

}  // namespace

long RegOpenKeyEx(RegKey root, const std::string& sub_key, uint32_t access, RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExA(ToHkey(root), sub_key.c_str(), 0, access, &opened);
  if (status == ERROR_SUCCESS)
    *result = FromHkey(opened);
  return status;
}

long RegCreateKeyEx(RegKey root, const std::string& sub_key, uint32_t access, RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = ::RegCreateKeyExA(ToHkey(root), sub_key.c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, access, nullptr, &opened, nullptr);
  if (status == ERROR_SUCCESS)
    *result = FromHkey(opened);
  return status;
}

long RegQueryValueEx(RegKey key,
                     const std::string& name,
                     uint32_t* type,
                     std::string* data,
                     uint32_t max_size) {
  DWORD value_type = REG_NONE;
  DWORD size = 0;
  LONG status = ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &value_type, nullptr, &size);
  if (status != ERROR_SUCCESS)
    return status;
  if (data == nullptr) {
    if (type != nullptr)
      *type = value_type;
    return ERROR_SUCCESS;
  }
  // The value may change between the calls; retry with the size reported then.
  std::vector<BYTE> buffer;
  for (;;) {
    if (size > max_size)
      return ERROR_MORE_DATA;
    buffer.resize(size == 0 ? 1 : size);
    size = static_cast<DWORD>(buffer.size());
    status =
        ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &value_type, buffer.data(), &size);
    if (status != ERROR_MORE_DATA)
      break;
  }
  if (status != ERROR_SUCCESS)
    return status;
  if (size > max_size)
    return ERROR_MORE_DATA;
  if (type != nullptr)
    *type = value_type;
  data->assign(reinterpret_cast<const char*>(buffer.data()), size);
  return ERROR_SUCCESS;
}

long RegSetValueEx(RegKey key, const std::string& name, uint32_t type, const std::string& data) {
  return ::RegSetValueExA(ToHkey(key), name.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
}

long RegCloseKey(RegKey key) {
  return ::RegCloseKey(ToHkey(key));
}

}  // namespace platform
