#include "tests/e2e/saved_registry_value.h"

#include <utility>

#include "tests/e2e/e2e_registry.h"

namespace velt::e2e {

SavedRegistryValue::SavedRegistryValue(HKEY root, std::string key, std::string name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
  for (size_t end = key_.size(); end != std::string::npos && end > 0;
       end = key_.rfind('\\', end - 1)) {
    std::string path = key_.substr(0, end);
    if (RegistryKeyExists(root_, path))
      break;
    missing_keys_.push_back(path);
  }
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) !=
      ERROR_SUCCESS) {
    ok_ = true;
    return;
  }
  DWORD size = 0;
  LONG result = RegQueryValueExA(opened, name_.c_str(), nullptr, &type_, nullptr, &size);
  if (result == ERROR_FILE_NOT_FOUND) {
    ok_ = true;
  } else if (result == ERROR_SUCCESS) {
    data_.resize(size);
    result = RegQueryValueExA(opened, name_.c_str(), nullptr, &type_,
                              reinterpret_cast<BYTE*>(&data_[0]), &size);
    data_.resize(size);
    existed_ = ok_ = result == ERROR_SUCCESS;
  }
  RegCloseKey(opened);
}

bool SavedRegistryValue::Restore() {
  if (restored_ || !ok_)
    return restored_;
  restored_ = true;
  HKEY opened = nullptr;
  bool put_back = true;
  if (existed_) {
    put_back =
        RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &opened,
                        nullptr) == ERROR_SUCCESS &&
        RegSetValueExA(opened, name_.c_str(), 0, type_, reinterpret_cast<const BYTE*>(data_.data()),
                       static_cast<DWORD>(data_.size())) == ERROR_SUCCESS;
  } else if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &opened) ==
             ERROR_SUCCESS) {
    LONG result = RegDeleteValueA(opened, name_.c_str());
    put_back = result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  if (opened != nullptr)
    RegCloseKey(opened);
  for (const std::string& path : missing_keys_) {
    DeleteRegistryKeyIfEmpty(root_, path);
    put_back = put_back && !RegistryKeyExists(root_, path);
  }
  return put_back;
}

}  // namespace velt::e2e
