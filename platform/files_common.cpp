// File tests built on GetFileAttributes, shared by every platform.
#include "platform/files.h"

namespace platform {

bool FileExists(const std::string& path) {
  uint32_t attributes = GetFileAttributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kAttrDirectory) == 0;
}

bool DirectoryExists(const std::string& path) {
  uint32_t attributes = GetFileAttributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kAttrDirectory) != 0;
}

}  // namespace platform
