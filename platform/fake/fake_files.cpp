// Fake files: share modes, other-process holds, short writes on a full disk.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/errors.h"
#include "platform/fake/fake_platform.h"
#include "platform/files.h"

namespace platform {
namespace {

using fake::FakeEntry;
using fake::FakeHandle;
using fake::World;

bool Fail(uint32_t error) {
  World().last_error = error;
  return false;
}

bool FailingOp(const char* name) {
  return fake::IsFailing(name) && !Fail(kErrorAccessDenied);
}

FakeHandle* Lookup(RawHandle handle, FakeHandle::Kind kind) {
  auto it = World().handles.find(reinterpret_cast<uintptr_t>(handle));
  if (it == World().handles.end() || it->second.kind != kind)
    return nullptr;
  return &it->second;
}

RawHandle NewHandle(FakeHandle handle) {
  uintptr_t id = World().next_handle;
  World().next_handle += 4;
  World().handles[id] = std::move(handle);
  return reinterpret_cast<RawHandle>(id);
}

bool HeldByOtherProcess(const FakeEntry& entry) {
  return entry.held_until_ms >= 0 && World().now_ms < entry.held_until_ms;
}

// Whether this process already holds `path` open in a way that excludes an open
// for `write` access with `share_read` sharing (no sharing of writes ever).
bool ConflictsWithOpenHandles(const std::string& path, bool write, bool share_read) {
  for (const auto& [id, handle] : World().handles) {
    if (handle.kind != FakeHandle::kFile || handle.path != path)
      continue;
    if (write || !handle.share_read)
      return true;  // our open isn't shared by theirs
    if (handle.write || !share_read)
      return true;  // theirs isn't shared by ours
  }
  return false;
}

bool InUse(const std::string& path) {
  FakeEntry* entry = fake::FindEntry(path);
  if (entry && HeldByOtherProcess(*entry))
    return true;
  for (const auto& [id, handle] : World().handles) {
    if (handle.kind == FakeHandle::kFile && handle.path == path)
      return true;
  }
  return false;
}

std::string Parent(const std::string& normalized) {
  size_t slash = normalized.rfind('\\');
  return slash == std::string::npos ? std::string() : normalized.substr(0, slash);
}

bool WildcardMatch(const char* mask, const char* name) {
  if (*mask == '\0')
    return *name == '\0';
  if (*mask == '*') {
    if (std::strcmp(mask, "*.*") == 0)
      return true;
    for (const char* n = name;; ++n) {
      if (WildcardMatch(mask + 1, n))
        return true;
      if (*n == '\0')
        return false;
    }
  }
  if (*name == '\0')
    return false;
  if (*mask != '?' && std::tolower(static_cast<unsigned char>(*mask)) !=
                          std::tolower(static_cast<unsigned char>(*name)))
    return false;
  return WildcardMatch(mask + 1, name + 1);
}

}  // namespace

uint32_t GetLastError() {
  return World().last_error;
}

bool CloseHandle(RawHandle handle) {
  auto it = World().handles.find(reinterpret_cast<uintptr_t>(handle));
  if (it == World().handles.end() || it->second.kind == FakeHandle::kFind) {
    return Fail(6);  // ERROR_INVALID_HANDLE
  }
  if (it->second.kind == FakeHandle::kMapping) {
    auto mapping = World().open_mappings.find(it->second.path);
    if (mapping != World().open_mappings.end() && --mapping->second == 0) {
      World().open_mappings.erase(mapping);
    }
  }
  World().handles.erase(it);
  return true;
}

bool FindClose(RawHandle handle) {
  if (!Lookup(handle, FakeHandle::kFind))
    return Fail(6);
  World().handles.erase(reinterpret_cast<uintptr_t>(handle));
  return true;
}

uint32_t GetFileAttributes(const std::string& path) {
  if (path.empty()) {
    Fail(kErrorPathNotFound);
    return kInvalidFileAttributes;
  }
  std::string normalized = fake::NormalizePath(path);
  if (normalized.size() == 2)
    return kAttrDirectory;
  FakeEntry* entry = fake::FindEntry(path);
  if (!entry) {
    Fail(kErrorFileNotFound);
    return kInvalidFileAttributes;
  }
  return entry->attributes;
}

ScopedHandle CreateFile(const std::string& path,
                        FileAccess access,
                        FileShare share,
                        FileDisposition disposition) {
  if (FailingOp("CreateFile"))
    return ScopedHandle();
  std::string normalized = fake::NormalizePath(path);
  bool write = access == FileAccess::kWrite;
  bool share_read = share == FileShare::kRead;
  FakeEntry* entry = fake::FindEntry(path);
  if (entry && entry->directory)
    return (Fail(kErrorAccessDenied), ScopedHandle());
  if (entry &&
      (HeldByOtherProcess(*entry) || ConflictsWithOpenHandles(normalized, write, share_read))) {
    return (Fail(kErrorSharingViolation), ScopedHandle());
  }
  if (disposition == FileDisposition::kOpenExisting) {
    if (!entry)
      return (Fail(kErrorFileNotFound), ScopedHandle());
  } else {
    std::string parent = Parent(normalized);
    if (parent.size() > 2 && !fake::Exists(parent)) {
      return (Fail(kErrorPathNotFound), ScopedHandle());
    }
    if (entry && write && (entry->attributes & kAttrReadOnly)) {
      return (Fail(kErrorAccessDenied), ScopedHandle());
    }
    if (entry) {
      entry->data.clear();
    } else {
      fake::AddFile(path, "");
    }
  }
  FakeHandle handle;
  handle.kind = FakeHandle::kFile;
  handle.path = normalized;
  handle.write = write;
  handle.share_read = share_read;
  World().last_error = 0;
  return ScopedHandle(NewHandle(handle));
}

bool ReadFile(RawHandle file, void* buffer, uint32_t size, uint32_t* read) {
  FakeHandle* handle = Lookup(file, FakeHandle::kFile);
  if (!handle)
    return Fail(6);
  if (FailingOp("ReadFile"))
    return false;
  FakeEntry* entry = fake::FindEntry(handle->path);
  if (!entry)
    return Fail(kErrorFileNotFound);
  uint64_t available =
      handle->position < entry->data.size() ? entry->data.size() - handle->position : 0;
  uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(available, size));
  if (count)
    std::memcpy(buffer, entry->data.data() + handle->position, count);
  handle->position += count;
  *read = count;
  return true;
}

bool WriteFile(RawHandle file, const void* data, uint32_t size, uint32_t* written) {
  FakeHandle* handle = Lookup(file, FakeHandle::kFile);
  if (!handle || !handle->write)
    return Fail(6);
  if (FailingOp("WriteFile"))
    return false;
  FakeEntry* entry = fake::FindEntry(handle->path);
  if (!entry)
    return Fail(kErrorFileNotFound);
  uint32_t count = size;
  int64_t& free_bytes = World().disk_free_bytes;
  if (free_bytes >= 0) {
    count = static_cast<uint32_t>(std::min<int64_t>(count, free_bytes));
    free_bytes -= count;
  }
  if (entry->data.size() < handle->position + count)
    entry->data.resize(handle->position + count);
  if (count)
    std::memcpy(&entry->data[handle->position], data, count);
  handle->position += count;
  *written = count;
  return true;
}

bool SeekFile(RawHandle file, uint64_t offset) {
  FakeHandle* handle = Lookup(file, FakeHandle::kFile);
  if (!handle)
    return Fail(6);
  handle->position = offset;
  return true;
}

bool FlushFileBuffers(RawHandle file) {
  FakeHandle* handle = Lookup(file, FakeHandle::kFile);
  if (!handle || !handle->write)
    return Fail(6);
  return !FailingOp("FlushFileBuffers");
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
  if (FailingOp("MoveFileReplacing"))
    return false;
  std::string source = fake::NormalizePath(from), target = fake::NormalizePath(to);
  auto it = World().entries.find(source);
  if (it == World().entries.end())
    return Fail(kErrorFileNotFound);
  if (InUse(source) || InUse(target))
    return Fail(kErrorSharingViolation);
  FakeEntry* existing = fake::FindEntry(to);
  if (existing && (existing->directory || (existing->attributes & kAttrReadOnly))) {
    return Fail(kErrorAccessDenied);
  }
  FakeEntry moved = it->second;
  World().entries.erase(it);
  size_t slash = to.find_last_of("\\/");
  moved.name = slash == std::string::npos ? to : to.substr(slash + 1);
  if (existing)
    moved.sequence = existing->sequence;
  World().entries[target] = moved;
  return true;
}

bool DeleteFile(const std::string& path) {
  if (FailingOp("DeleteFile"))
    return false;
  FakeEntry* entry = fake::FindEntry(path);
  if (!entry || entry->directory)
    return Fail(kErrorFileNotFound);
  if (InUse(fake::NormalizePath(path)))
    return Fail(kErrorSharingViolation);
  if (entry->attributes & kAttrReadOnly)
    return Fail(kErrorAccessDenied);
  World().entries.erase(fake::NormalizePath(path));
  return true;
}

ScopedFindHandle FindFirstFile(const std::string& pattern, FindData* first) {
  if (FailingOp("FindFirstFile"))
    return ScopedFindHandle();
  std::string raw = pattern;
  std::replace(raw.begin(), raw.end(), '/', '\\');
  size_t slash = raw.rfind('\\');
  std::string mask = slash == std::string::npos ? raw : raw.substr(slash + 1);
  std::string folder =
      fake::NormalizePath(slash == std::string::npos ? "." : raw.substr(0, slash + 1));
  if (folder.size() > 2 && !fake::Exists(folder))
    return (Fail(kErrorPathNotFound), ScopedFindHandle());
  std::vector<std::pair<uint64_t, FindData>> found;
  for (const auto& [path, entry] : World().entries) {
    if (Parent(path) != folder || !WildcardMatch(mask.c_str(), entry.name.c_str()))
      continue;
    found.push_back({entry.sequence, FindData{entry.name, entry.attributes, entry.data.size()}});
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  FakeHandle handle;
  handle.kind = FakeHandle::kFind;
  if (mask == "*" || mask == "*.*") {  // real listings start with the dot entries
    if (folder.size() > 2) {
      handle.listing.push_back(FindData{".", kAttrDirectory, 0});
      handle.listing.push_back(FindData{"..", kAttrDirectory, 0});
    }
  }
  for (auto& item : found)
    handle.listing.push_back(item.second);
  if (handle.listing.empty())
    return (Fail(kErrorFileNotFound), ScopedFindHandle());
  *first = handle.listing[0];
  handle.next = 1;
  return ScopedFindHandle(NewHandle(handle));
}

bool FindNextFile(RawHandle find, FindData* next) {
  FakeHandle* handle = Lookup(find, FakeHandle::kFind);
  if (!handle)
    return Fail(6);
  if (handle->next >= handle->listing.size())
    return Fail(kErrorNoMoreFiles);
  *next = handle->listing[handle->next++];
  return true;
}

bool SetCurrentDirectory(const std::string& path) {
  if (FailingOp("SetCurrentDirectory"))
    return false;
  if (path.empty())
    return Fail(kErrorPathNotFound);
  std::string normalized = fake::NormalizePath(path);
  FakeEntry* entry = fake::FindEntry(path);
  if (normalized.size() > 2 && !(entry && entry->directory))
    return Fail(kErrorPathNotFound);
  World().current_directory = normalized;
  return true;
}

std::string GetCurrentDirectory() {
  return World().current_directory;
}

}  // namespace platform
