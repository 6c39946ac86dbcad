// File tests built on GetFileAttributes and GetFileInformation, and path rules,
// shared by every platform.
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

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 1 && path.back() == '\\' && !(path.size() == 3 && path[1] == ':'))
    path.pop_back();
  return path;
}

bool SameFileObject(RawHandle first, RawHandle second) {
  FileIdentity one;
  FileIdentity other;
  return GetFileIdentity(first, &one) && GetFileIdentity(second, &other) &&
         one.volume == other.volume && one.index == other.index;
}

}  // namespace platform
