// The running executable's own resources.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace platform {

// A resource of the executable, found by name and type (matched without regard
// to case, any language), loaded and locked. Released when destroyed.
class ScopedResource {
 public:
  ScopedResource() = default;
  ~ScopedResource();
  ScopedResource(const ScopedResource&) = delete;
  ScopedResource& operator=(const ScopedResource&) = delete;

  // FindResourceA, LoadResource, LockResource, SizeofResource. False when any
  // step fails; the object then holds nothing.
  bool Load(const std::string& name, const std::string& type);
  const uint8_t* data() const { return data_; }
  uint32_t size() const { return size_; }

 private:
  RawHandle loaded_ = nullptr;
  const uint8_t* data_ = nullptr;
  uint32_t size_ = 0;
};

}  // namespace platform
