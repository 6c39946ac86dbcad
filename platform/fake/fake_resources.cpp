// Fake resources of the executable.

#include "platform/fake/fake_platform.h"
#include "platform/resources.h"
#include "platform/text_rules.h"

namespace platform {

ScopedResource::~ScopedResource() {
  if (loaded_)
    fake::World().loaded_resources--;
}

bool ScopedResource::Load(const std::string& name, const std::string& type) {
  // What was loaded before is released first, whatever this load comes to.
  if (loaded_)
    fake::World().loaded_resources--;
  loaded_ = nullptr;
  data_ = nullptr;
  size_ = 0;
  if (fake::NextFault("LoadResource", fake::kFaultError, platform::AsciiUppercase(name)) != 0)
    return false;
  auto& resources = fake::World().resources;
  auto it = resources.find({platform::AsciiUppercase(name), platform::AsciiUppercase(type)});
  if (it == resources.end())
    return false;
  fake::World().loaded_resources++;
  loaded_ = reinterpret_cast<RawHandle>(1);
  data_ = reinterpret_cast<const uint8_t*>(it->second.data());
  size_ = static_cast<uint32_t>(it->second.size());
  return true;
}

}  // namespace platform
