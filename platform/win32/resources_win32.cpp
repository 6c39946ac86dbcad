// The executable's own resources.
#include "platform/resources.h"
#include "platform/win32/win32_api.h"

namespace platform {

ScopedResource::~ScopedResource() {
  if (loaded_ != nullptr)
    ::FreeResource(static_cast<HGLOBAL>(loaded_));
}

bool ScopedResource::Load(const std::string& name, const std::string& type) {
  if (loaded_ != nullptr)
    ::FreeResource(static_cast<HGLOBAL>(loaded_));
  loaded_ = nullptr;
  data_ = nullptr;
  size_ = 0;
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(module, name.c_str(), type.c_str());
  if (found == nullptr)
    return false;
  HGLOBAL loaded = ::LoadResource(module, found);
  if (loaded == nullptr)
    return false;
  const void* data = ::LockResource(loaded);
  if (data == nullptr) {
    ::FreeResource(loaded);
    return false;
  }
  loaded_ = loaded;
  data_ = static_cast<const uint8_t*>(data);
  size_ = ::SizeofResource(module, found);
  return true;
}

}  // namespace platform
