#include "package/folder_size.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"

namespace velt {
namespace {

constexpr uint64_t kLargestResultKB = 0x7FFFFFFF;

// A folder on the way down: its handle (none for the top, which the caller
// owns) and the sub-folders still to walk.
struct Level {
  platform::ScopedHandle owned;
  std::vector<std::string> pending;
};

bool IsReparsePoint(uint32_t attributes) {
  return (attributes & platform::kAttrReparsePoint) != 0;
}

// Adds the sizes of the files listed in `folder` to `*total`; returns its
// sub-folders that are no links or mount points.
std::vector<std::string> VisitFolder(platform::RawHandle folder, uint64_t* total) {
  std::vector<platform::FindData> entries;
  std::vector<std::string> folders;
  if (!platform::ListFolder(folder, &entries))
    return folders;
  for (platform::FindData& entry : entries) {
    if ((entry.attributes & platform::kAttrDirectory) == 0)
      *total += entry.size;
    else if (!IsReparsePoint(entry.attributes))
      folders.push_back(std::move(entry.name));
  }
  return folders;
}

}  // namespace

int32_t GetFolderSizeKB(platform::RawHandle folder) {
  uint32_t attributes = 0;
  if (!platform::IsValidRawHandle(folder) ||
      !platform::GetFileAttributesByHandle(folder, &attributes) ||
      (attributes & platform::kAttrDirectory) == 0) {
    return -1;
  }
  uint64_t total = 0;
  // Depth first, without recursion: one open handle per level.
  std::vector<Level> levels;
  levels.push_back({platform::ScopedHandle(), VisitFolder(folder, &total)});
  while (!levels.empty()) {
    if (levels.back().pending.empty()) {
      levels.pop_back();
      continue;
    }
    const std::string name = std::move(levels.back().pending.back());
    levels.back().pending.pop_back();
    const platform::ScopedHandle& parent = levels.back().owned;
    platform::ScopedHandle below =
        platform::OpenInFolder(parent.IsValid() ? parent.Get() : folder, name,
                               platform::InFolderAccess::kList, platform::FileShare::kRead);
    // Opened without following a link: one put there since the listing is
    // not entered either.
    if (!below.IsValid() || !platform::GetFileAttributesByHandle(below.Get(), &attributes) ||
        IsReparsePoint(attributes)) {
      continue;
    }
    std::vector<std::string> folders = VisitFolder(below.Get(), &total);
    levels.push_back({std::move(below), std::move(folders)});
  }
  const uint64_t kilobytes = total >> 10;
  return static_cast<int32_t>(kilobytes > kLargestResultKB ? kLargestResultKB : kilobytes);
}

}  // namespace velt
