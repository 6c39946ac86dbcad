#include "package/folder_size.h"

#include <vector>

#include "platform/files.h"
#include "startup/install_environment.h"

namespace velt {
namespace {

constexpr uint64_t kLargestResultKB = 0x7FFFFFFF;

// Adds the sizes of the files directly in `folder` (ending with a backslash) to
// `*total` and appends its sub-folders, except directory links, to `*pending`.
void VisitFolder(const std::string& folder, uint64_t* total, std::vector<std::string>* pending) {
  platform::FindData entry;
  platform::ScopedFindHandle find = platform::FindFirstFile(folder + "*.*", &entry);
  if (!find.IsValid())
    return;
  do {
    if ((entry.attributes & platform::kAttrDirectory) == 0) {
      *total += entry.size;
    } else if (entry.name != "." && entry.name != ".." &&
               (entry.attributes & platform::kAttrReparsePoint) == 0) {
      pending->push_back(folder + entry.name);
    }
  } while (platform::FindNextFile(find.Get(), &entry));
}

}  // namespace

int32_t GetFolderSizeKB(const std::string& folder) {
  if (folder.empty() || !platform::DirectoryExists(folder))
    return -1;
  uint64_t total = 0;
  // Breadth-first: the list only grows and is walked by index, without recursion.
  std::vector<std::string> pending{folder};
  for (size_t index = 0; index < pending.size(); ++index) {
    std::string current = pending[index];
    AddTrailingBackslash(current);
    VisitFolder(current, &total, &pending);
  }
  const uint64_t kilobytes = total >> 10;
  return static_cast<int32_t>(kilobytes > kLargestResultKB ? kLargestResultKB : kilobytes);
}

}  // namespace velt
