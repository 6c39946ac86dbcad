// Fake opens relative to a folder's handle and listings through it. A folder
// handle follows its folder wherever it is moved, as Windows' does.
#include <algorithm>

#include "platform/access.h"
#include "platform/errors.h"
#include "platform/fake/fake_internal.h"
#include "platform/files.h"

namespace platform {
namespace {

using fake::Fail;
using fake::FakeEntry;
using fake::FakeHandle;
using fake::World;

using fake::kErrorDirectory;
constexpr uint32_t kErrorInvalidParameter = 87;  // ERROR_INVALID_PARAMETER

// Where the folder open as `handle` is now: the path of the entry it opened,
// found by its id (a drive root keeps its path). Empty when it is gone.
std::string FolderNow(const FakeHandle& handle) {
  if (handle.id == 0)
    return handle.path;
  for (const auto& [path, entry] : World().entries) {
    if (entry.id == handle.id)
      return path;
  }
  return std::string();
}

bool IsFolder(const FakeEntry& entry) {
  return entry.directory || (entry.attributes & kAttrDirectory) != 0;
}

}  // namespace

ScopedHandle OpenInFolder(RawHandle folder,
                          const std::string& name,
                          InFolderAccess access,
                          FileShare share) {
  FakeHandle* root = fake::LookupHandle(folder, FakeHandle::kFolder);
  if (!root)
    return (Fail(6), ScopedHandle());
  if (fake::Faulted("OpenInFolder", fake::kFaultsOfOpens,
                    fake::NormalizePath(root->path + "\\" + name))) {
    return ScopedHandle();
  }
  if (name.empty() || name == "." || name == ".." || name.find_first_of("\\/") != std::string::npos)
    return (Fail(fake::kErrorInvalidName), ScopedHandle());
  const std::string base = FolderNow(*root);
  if (base.empty())
    return (Fail(kErrorFileNotFound), ScopedHandle());
  const std::string reached =
      fake::ReachedNotFollowingAReportedLink(fake::NormalizePath(base + "\\" + name));
  auto found = World().entries.find(reached);
  if (found == World().entries.end())
    return (Fail(kErrorFileNotFound), ScopedHandle());
  FakeEntry& entry = found->second;
  if (fake::BeingDeleted(reached))
    return (Fail(kErrorDeletePending), ScopedHandle());
  FakeHandle handle;
  handle.path = reached;
  handle.id = entry.id;
  if (access == InFolderAccess::kExamine) {
    handle.kind = FakeHandle::kExamine;
  } else if (access == InFolderAccess::kList) {
    if (!IsFolder(entry))
      return (Fail(kErrorDirectory), ScopedHandle());
    handle.kind = FakeHandle::kFolder;
  } else {
    const bool deletes = access == InFolderAccess::kDelete;
    if (IsFolder(entry))
      return (Fail(kErrorAccessDenied), ScopedHandle());
    if ((entry.denied_to_process & (deletes ? kDelete : kFileReadData)) != 0)
      return (Fail(kErrorAccessDenied), ScopedHandle());
    const bool share_read = share == FileShare::kRead;
    // The holder of an opportunistic lock shares everything but keeps the file
    // open: only an open that shares nothing conflicts with it, at once.
    if (fake::HeldByOtherProcess(entry) || (entry.oplocked && !share_read) ||
        fake::ConflictsWithOpenHandles(reached, false, share_read)) {
      return (Fail(kErrorSharingViolation), ScopedHandle());
    }
    handle.kind = FakeHandle::kFile;
    handle.share_read = share_read;
    handle.can_delete = deletes;
  }
  World().last_error = 0;
  return ScopedHandle(fake::NewHandle(handle));
}

bool ListFolder(RawHandle folder, std::vector<FindData>* entries) {
  FakeHandle* root = fake::LookupHandle(folder, FakeHandle::kFolder);
  if (!root)
    return Fail(6);
  if (fake::Faulted("ListFolder", fake::kFaultsOfCalls))
    return false;
  const std::string base = FolderNow(*root);
  FakeEntry* self = base.size() > 2 ? fake::FindEntry(base) : nullptr;
  if (base.empty() || (self && !IsFolder(*self)))
    return Fail(kErrorInvalidParameter);
  std::vector<std::pair<uint64_t, FindData>> found;
  for (const auto& [path, entry] : World().entries) {
    if (fake::ParentPath(path) == base)
      found.push_back({entry.sequence, FindData{entry.name, entry.attributes, entry.data.size()}});
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  entries->clear();
  for (auto& item : found)
    entries->push_back(item.second);
  return true;
}

}  // namespace platform
