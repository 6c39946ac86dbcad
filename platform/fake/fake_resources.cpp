// Fake resources of the executable.
#include <cctype>

#include "platform/fake/fake_platform.h"
#include "platform/resources.h"

namespace platform {
namespace {

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

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
  if (fake::NextFault("LoadResource", fake::kFaultError, Upper(name)) != 0)
    return false;
  auto& resources = fake::World().resources;
  auto it = resources.find({Upper(name), Upper(type)});
  if (it == resources.end())
    return false;
  fake::World().loaded_resources++;
  loaded_ = reinterpret_cast<RawHandle>(1);
  data_ = reinterpret_cast<const uint8_t*>(it->second.data());
  size_ = static_cast<uint32_t>(it->second.size());
  return true;
}

}  // namespace platform
