#include "startup/install_folder.h"

#include "deployment/run_log.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text_rules.h"

namespace velt {
namespace {

using platform::WithoutTrailingBackslash;

// Windows reports every link to a folder as a reparse point; Wine does so for
// a symbolic link to a folder when asked by name.
bool IsLink(uint32_t attributes) {
  return (attributes & platform::kAttrReparsePoint) != 0;
}

}  // namespace

void InstallFolder::Reset(const std::string& folder) {
  handle_.Reset();
  identity_known_ = false;
  path_ = folder.empty() ? std::string(".") : WithoutTrailingBackslash(folder);
  if (path_.back() != '\\')
    path_ += '\\';
  final_path_.clear();
  name_followed_ = false;
}

bool InstallFolder::Open(const std::string& folder) {
  Reset(folder);
  platform::ScopedHandle opened = platform::OpenFolder(path_);
  uint32_t attributes = 0;
  if (!opened.IsValid() || !platform::GetFileAttributesByHandle(opened.Get(), &attributes) ||
      IsLink(attributes)) {
    return false;
  }
  std::string final_path;
  if (platform::GetFinalPathNameByHandle(opened.Get(), &final_path))
    final_path_ = WithoutTrailingBackslash(final_path);
  return Take(std::move(opened)) && StillReached();
}

bool InstallFolder::Hold(const std::string& folder) {
  Reset(folder);
  platform::ScopedHandle held = platform::HoldFolder(path_);
  if (!held.IsValid())
    return false;
  std::string final_path;
  if (platform::GetFinalPathNameByHandle(held.Get(), &final_path)) {
    final_path_ = WithoutTrailingBackslash(final_path);
    path_ = final_path_.back() == '\\' ? final_path_ : final_path_ + '\\';
  } else {
    LogFailure({"the final path of ", path_, " (kept as found)"}, platform::GetLastError());
    name_followed_ = true;  // the name may be a link the hold followed
  }
  if (Take(std::move(held)) && StillReached())
    return true;
  handle_.Reset();
  return false;
}

bool InstallFolder::Take(platform::ScopedHandle opened) {
  handle_ = std::move(opened);
  identity_known_ = platform::GetFileIdentity(handle_.Get(), &identity_);
  return identity_known_;
}

bool InstallFolder::StillReached() const {
  if (!handle_.IsValid())
    return false;
  platform::ScopedHandle examined = name_followed_ ? platform::OpenForExaminationThroughLinks(path_)
                                                   : platform::OpenForExamination(path_);
  platform::FileInformation information;
  return examined.IsValid() && platform::GetFileInformation(examined.Get(), &information) &&
         (information.attributes & platform::kAttrDirectory) != 0 &&
         !IsLink(information.attributes) && IsThisFolder(examined.Get());
}

bool InstallFolder::IsThisFolder(platform::RawHandle other) const {
  platform::FileIdentity identity;
  return handle_.IsValid() && identity_known_ && platform::GetFileIdentity(other, &identity) &&
         identity.volume == identity_.volume && identity.index == identity_.index;
}

bool InstallFolder::NameIsNoLink(const std::string& name, Names names, bool* being_deleted) const {
  const std::string path = path_ + name;
  const uint32_t attributes = platform::GetFileAttributes(path);
  if (attributes == platform::kInvalidFileAttributes) {
    const uint32_t error = platform::GetLastError();
    if (being_deleted != nullptr)
      *being_deleted = error == platform::kErrorDeletePending;
    return platform::IsNotFoundError(error);
  }
  if (IsLink(attributes))
    return false;
  platform::ScopedHandle examined = platform::OpenForExamination(path);
  if (!examined.IsValid() && being_deleted != nullptr)
    *being_deleted = platform::GetLastError() == platform::kErrorDeletePending;
  uint32_t examined_attributes = 0;
  if (!examined.IsValid() ||
      !platform::GetFileAttributesByHandle(examined.Get(), &examined_attributes) ||
      IsLink(examined_attributes) || !Holds(examined.Get(), name)) {
    return false;
  }
  platform::FileInformation information;
  return names == Names::kAny || (examined_attributes & platform::kAttrDirectory) != 0 ||
         (platform::GetFileInformation(examined.Get(), &information) && information.links <= 1);
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
