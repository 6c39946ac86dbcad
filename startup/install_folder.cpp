#include "startup/install_folder.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text_rules.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

using platform::WithoutTrailingBackslash;

// Windows reports every link to a folder as a reparse point; Wine does so for
// a symbolic link to a folder when asked by name.
bool IsLink(uint32_t attributes) {
  return (attributes & platform::kAttrReparsePoint) != 0;
}

}  // namespace

bool InstallFolder::Open(const std::string& folder) {
  handle_.Reset();
  path_ = folder.empty() ? std::string(".") : WithoutTrailingBackslash(folder);
  if (path_.back() != '\\')
    path_ += '\\';
  final_path_.clear();
  platform::ScopedHandle opened = platform::OpenFolder(path_);
  uint32_t attributes = 0;
  if (!opened.IsValid() || !platform::GetFileAttributesByHandle(opened.Get(), &attributes) ||
      IsLink(attributes)) {
    return false;
  }
  std::string final_path;
  if (platform::GetFinalPathNameByHandle(opened.Get(), &final_path))
    final_path_ = WithoutTrailingBackslash(final_path);
  handle_ = std::move(opened);
  return StillNoLink();
}

bool InstallFolder::StillNoLink() const {
  const uint32_t attributes = platform::GetFileAttributes(WithoutTrailingBackslash(path_));
  return handle_.IsValid() && attributes != platform::kInvalidFileAttributes &&
         (attributes & platform::kAttrDirectory) != 0 && !IsLink(attributes);
}

bool InstallFolder::NameIsNoLink(const std::string& name) const {
  const std::string path = path_ + name;
  const uint32_t attributes = platform::GetFileAttributes(path);
  if (attributes == platform::kInvalidFileAttributes) {
    return platform::IsNotFoundError(platform::GetLastError());
  }
  if (IsLink(attributes))
    return false;
  platform::ScopedHandle examined = platform::OpenForExamination(path);
  uint32_t examined_attributes = 0;
  return examined.IsValid() &&
         platform::GetFileAttributesByHandle(examined.Get(), &examined_attributes) &&
         !IsLink(examined_attributes) && Holds(examined.Get(), name);
}

bool InstallFolder::Holds(platform::RawHandle file, const std::string& name) const {
  if (final_path_.empty())
    return true;
  std::string reached;
  if (!platform::GetFinalPathNameByHandle(file, &reached))
    return false;
  // A drive root's final path keeps its backslash ("C:\\").
  const std::string separator = final_path_.back() == '\\' ? "" : "\\";
  return platform::SameAsciiText(reached, final_path_ + separator + name);
}

}  // namespace velt
