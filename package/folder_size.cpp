#include "package/folder_size.h"

#include <string>
#include <utility>
#include <vector>

#include "deployment/run_log.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/text_rules.h"

namespace velt {
namespace {

constexpr uint64_t kLargestResultKB = 0x7FFFFFFF;
// The deepest level below the measured folder that is walked. A path within
// MAX_PATH (260 characters), which every program that does not opt into long
// paths needs to reach a file, holds at most 128 folders below a drive root
// (a one-letter name and a backslash each); so no installation that Velt and
// its uninstaller can reach lies deeper, and a deeper tree is one a program of
// the user's made in a user-writable installation, to keep this process (and
// the single-copy guard) busy: under Wine each level costs more than the one
// above it, over a minute for 3,000.
constexpr size_t kDeepestLevel = 128;
// How long the walk may take: a real installation is measured in a few
// milliseconds, and the size is only an estimate shown by the system.
constexpr uint32_t kLongestWalkMs = 10000;

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
  const uint32_t started = platform::GetTickCount();
  bool too_deep = false;
  bool too_long = false;
  // Depth first, without recursion: one open handle per level.
  std::vector<Level> levels;
  levels.push_back({platform::ScopedHandle(), VisitFolder(folder, &total)});
  while (!levels.empty()) {
    if (levels.back().pending.empty()) {
      levels.pop_back();
      continue;
    }
    if (platform::GetTickCount() - started > kLongestWalkMs) {
      too_long = true;
      break;
    }
    const std::string name = std::move(levels.back().pending.back());
    levels.back().pending.pop_back();
    if (levels.size() > kDeepestLevel) {
      too_deep = true;
      continue;
    }
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
  if (too_deep) {
    Log({"the size counts what was walked: folders more than ",
         platform::DecimalText(kDeepestLevel), " levels deep were left out"});
  }
  if (too_long) {
    Log({"the size counts what was walked: the walk stopped after ",
         platform::DecimalText(kLongestWalkMs), " ms"});
  }
  const uint64_t kilobytes = total >> 10;
  return static_cast<int32_t>(kilobytes > kLargestResultKB ? kLargestResultKB : kilobytes);
}

}  // namespace velt
