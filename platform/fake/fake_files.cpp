// Fake files: opens that follow links, share modes, other-process holds, short
// writes on a full disk, and the planned faults of each call.
#include <algorithm>
#include <cstring>

#include "platform/access.h"
#include "platform/errors.h"
#include "platform/fake/fake_internal.h"
#include "platform/files.h"

namespace fake {

bool Fail(uint32_t error) {
  World().last_error = error;
  return false;
}

bool Faulted(const char* operation, uint32_t fitting, const std::string& subject) {
  const uint32_t kind = NextFault(operation, fitting, subject);
  return kind != 0 && !Fail(FaultError(kind));
}

void Changed() {
  ++World().revision;
}

void WillWrite(FakeEntry& entry) {
  Changed();
  if (!entry.unflushed) {
    entry.flushed_data = entry.data;
    entry.unflushed = true;
  }
}

FakeHandle* LookupHandle(platform::RawHandle handle, FakeHandle::Kind kind) {
  auto it = World().handles.find(reinterpret_cast<uintptr_t>(handle));
  if (it == World().handles.end() || it->second.kind != kind)
    return nullptr;
  return &it->second;
}

platform::RawHandle NewHandle(FakeHandle handle) {
  uintptr_t id = World().next_handle;
  World().next_handle += 4;
  World().handles[id] = std::move(handle);
  return reinterpret_cast<platform::RawHandle>(id);
}

std::string ParentPath(const std::string& normalized) {
  size_t slash = normalized.rfind('\\');
  return slash == std::string::npos ? std::string() : normalized.substr(0, slash);
}

bool HeldByOtherProcess(const FakeEntry& entry) {
  return entry.held_until_ms >= 0 && World().now_ms < entry.held_until_ms;
}

bool OpenByThisProcess(const std::string& path) {
  for (const auto& [id, handle] : World().handles) {
    if ((handle.kind == FakeHandle::kFile || handle.kind == FakeHandle::kFolder) &&
        handle.path == path) {
      return true;
    }
  }
  return false;
}

bool BeingDeleted(const std::string& path) {
  auto it = World().entries.find(path);
  if (it == World().entries.end())
    return false;
  if (it->second.delete_pending)
    return true;
  for (const auto& [id, handle] : World().handles) {
    if (handle.kind == FakeHandle::kFile && handle.path == path && handle.delete_on_close)
      return true;
  }
  return false;
}

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

bool NamesAFileAsAFolder(const std::string& path) {
  if (path.empty() || (path.back() != '\\' && path.back() != '/'))
    return false;
  const std::string resolved = ResolvePath(NormalizePath(path), true);
  auto it = World().entries.find(resolved);
  return it != World().entries.end() && !it->second.directory;
}

bool PinnedByFolderHandle(const std::string& path) {
  for (const auto& [id, handle] : World().handles) {
    if (handle.kind == FakeHandle::kFolder && !handle.share_delete &&
        (path == handle.path || path.rfind(handle.path + "\\", 0) == 0)) {
      return true;
    }
  }
  return false;
}

}  // namespace fake

namespace platform {

using fake::Fail;
using fake::FakeEntry;
using fake::FakeHandle;
using fake::World;

uint32_t GetLastError() {
  return World().last_error;
}

void SetLastError(uint32_t error) {
  World().last_error = error;
}

bool CloseHandle(RawHandle handle) {
  auto it = World().handles.find(reinterpret_cast<uintptr_t>(handle));
  if (it == World().handles.end() || it->second.kind == FakeHandle::kFind ||
      it->second.kind == FakeHandle::kNamespace || it->second.kind == FakeHandle::kEnvironment) {
    return Fail(6);  // ERROR_INVALID_HANDLE
  }
  FakeHandle closed = it->second;
  // Counted like every fallible call; a planned failure comes after the close,
  // as a deferred write error is reported: the handle is closed either way.
  const uint32_t fault = fake::NextFault("CloseHandle", fake::kFaultError, closed.path);
  World().handles.erase(it);
  if (closed.kind == FakeHandle::kMapping) {
    auto mapping = World().open_mappings.find(closed.path);
    if (mapping != World().open_mappings.end() && --mapping->second == 0)
      World().open_mappings.erase(mapping);
  }
  if (closed.kind == FakeHandle::kPipe)
    fake::ClosePipeEnd(closed);
  if (closed.delete_on_close) {
    fake::Changed();
    if (!fake::OpenByThisProcess(closed.path))
      World().entries.erase(closed.path);
  }
  return fault == 0 || Fail(fake::FaultError(fault));
}

uint32_t GetFileAttributes(const std::string& path) {
  if (path.empty()) {
    Fail(kErrorPathNotFound);
    return kInvalidFileAttributes;
  }
  const std::string resolved = fake::ResolvePath(fake::NormalizePath(path), false);
  if (resolved.size() == 2)
    return kAttrDirectory;
  if (fake::Faulted("GetFileAttributes", fake::kFaultsOfCalls, resolved))
    return kInvalidFileAttributes;
  if (fake::NamesAFileAsAFolder(path)) {
    Fail(fake::kErrorInvalidName);
    return kInvalidFileAttributes;
  }
  auto it = World().entries.find(resolved);
  if (it == World().entries.end()) {
    Fail(kErrorFileNotFound);
    return kInvalidFileAttributes;
  }
  if (it->second.attributes_error != 0 || fake::BeingDeleted(resolved)) {
    Fail(it->second.attributes_error != 0 ? it->second.attributes_error : kErrorDeletePending);
    return kInvalidFileAttributes;
  }
  return it->second.attributes;
}

ScopedHandle CreateFile(const std::string& path,
                        FileAccess access,
                        FileShare share,
                        FileDisposition disposition) {
  if (fake::Faulted(
          "CreateFile",
          fake::kFaultsOfOpens | (access == FileAccess::kWrite || access == FileAccess::kWriteDelete
                                      ? static_cast<uint32_t>(fake::kFaultDiskFull)
                                      : 0u),
          fake::NormalizePath(path))) {
    return ScopedHandle();
  }
  if (fake::NamesAFileAsAFolder(path))
    return (Fail(fake::kErrorInvalidName), ScopedHandle());
  const std::string named = fake::ResolvePath(fake::NormalizePath(path), false);
  if (disposition == FileDisposition::kCreateNew && World().entries.count(named) != 0)
    return (Fail(80), ScopedHandle());  // ERROR_FILE_EXISTS, link or not
  const std::string normalized = fake::ResolvePath(named, true);
  const bool write = access == FileAccess::kWrite || access == FileAccess::kWriteDelete;
  const bool share_read = share == FileShare::kRead;
  auto found = World().entries.find(normalized);
  FakeEntry* entry = found == World().entries.end() ? nullptr : &found->second;
  if (entry && entry->directory)
    return (Fail(kErrorAccessDenied), ScopedHandle());
  if (entry && entry->oplocked) {
    ++World().oplock_waits;
    return (Fail(kErrorSharingViolation), ScopedHandle());
  }
  if (entry && (fake::HeldByOtherProcess(*entry) ||
                fake::ConflictsWithOpenHandles(normalized, write, share_read))) {
    return (Fail(kErrorSharingViolation), ScopedHandle());
  }
  if (entry && fake::BeingDeleted(normalized))
    return (Fail(kErrorDeletePending), ScopedHandle());
  const bool deletes = access == FileAccess::kWriteDelete || access == FileAccess::kDelete;
  if (entry && (write || deletes) && (entry->attributes & kAttrReadOnly))
    return (Fail(kErrorAccessDenied), ScopedHandle());
  const uint32_t rights = (access == FileAccess::kRead ? kFileReadData : 0) |
                          (write ? kFileWriteData : 0) | (deletes ? kDelete : 0);
  if (entry && (entry->denied_to_process & rights) != 0)
    return (Fail(kErrorAccessDenied), ScopedHandle());
  if (disposition == FileDisposition::kOpenExisting) {
    if (!entry)
      return (Fail(kErrorFileNotFound), ScopedHandle());
  } else {
    const std::string parent = fake::ParentPath(normalized);
    if (parent.size() > 2 && !fake::Exists(parent))
      return (Fail(kErrorPathNotFound), ScopedHandle());
    if (entry) {
      fake::WillWrite(*entry);
      entry->data.clear();
    } else {
      fake::AddFile(normalized, "");
      World().entries[normalized].name = path.substr(path.find_last_of("\\/") + 1);
    }
  }
  FakeHandle handle;
  handle.kind = FakeHandle::kFile;
  handle.path = normalized;
  handle.write = write;
  handle.share_read = share_read;
  handle.can_delete = deletes;
  handle.id = World().entries[normalized].id;
  World().last_error = 0;
  return ScopedHandle(fake::NewHandle(handle));
}

bool ReadFile(RawHandle file, void* buffer, uint32_t size, uint32_t* read) {
  FakeHandle* handle = fake::LookupHandle(file, FakeHandle::kFile);
  if (!handle)
    return fake::ReadPipe(file, buffer, size, read);
  if (fake::Faulted("ReadFile", fake::kFaultsOfCalls, handle->path))
    return false;
  FakeEntry* entry = fake::FindEntry(handle->path);
  if (!entry)
    return Fail(kErrorFileNotFound);
  if (entry->read_error != 0 && handle->position >= entry->read_error_from)
    return Fail(entry->read_error);
  if (entry->endless) {  // the entry's data over and over
    char* bytes = static_cast<char*>(buffer);
    for (uint32_t i = 0; i < size; ++i) {
      bytes[i] =
          entry->data.empty() ? 'x' : entry->data[(handle->position + i) % entry->data.size()];
    }
    handle->position += size;
    *read = size;
    return true;
  }
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
  FakeHandle* handle = fake::LookupHandle(file, FakeHandle::kFile);
  if (!handle)
    return Fail(6);
  if (!handle->write)
    return Fail(kErrorAccessDenied);
  const uint32_t fault = fake::NextFault("WriteFile", fake::kFaultsOfWrites, handle->path);
  if (fault != 0 && fault != fake::kFaultShortWrite)
    return Fail(fake::FaultError(fault));
  FakeEntry* entry = fake::FindEntry(handle->path);
  if (!entry)
    return Fail(kErrorFileNotFound);
  fake::WillWrite(*entry);
  uint32_t count = fault == fake::kFaultShortWrite ? size / 2 : size;
  int64_t& free_bytes = World().disk_free_bytes;
  if (free_bytes >= 0) {
    count = static_cast<uint32_t>(std::min<int64_t>(count, free_bytes));
    free_bytes -= count;
  }
  if (handle->position == entry->data.size()) {
    entry->data.append(static_cast<const char*>(data), count);
  } else {
    if (entry->data.size() < handle->position + count)
      entry->data.resize(handle->position + count);
    if (count)
      std::memcpy(&entry->data[handle->position], data, count);
  }
  handle->position += count;
  *written = count;
  return true;
}

bool SeekFile(RawHandle file, uint64_t offset) {
  FakeHandle* handle = fake::LookupHandle(file, FakeHandle::kFile);
  if (!handle)
    return Fail(6);
  if (fake::Faulted("SeekFile", fake::kFaultError, handle->path))
    return false;
  handle->position = offset;
  return true;
}

bool FlushFileBuffers(RawHandle file) {
  FakeHandle* handle = fake::LookupHandle(file, FakeHandle::kFile);
  if (!handle || !handle->write)
    return Fail(6);
  if (fake::Faulted("FlushFileBuffers", fake::kFaultError | fake::kFaultDiskFull, handle->path))
    return false;
  FakeEntry* entry = fake::FindEntry(handle->path);
  if (entry && entry->unflushed) {
    entry->unflushed = false;
    entry->flushed_data.clear();
    fake::Changed();
  }
  return true;
}

bool DeleteFile(const std::string& path) {
  const std::string normalized = fake::ResolvePath(fake::NormalizePath(path), false);
  if (fake::Faulted("DeleteFile", fake::kFaultsOfOpens, normalized))
    return false;
  auto it = World().entries.find(normalized);
  if (it == World().entries.end() || it->second.directory)
    return Fail(kErrorFileNotFound);
  if (fake::HeldByOtherProcess(it->second) || fake::OpenByThisProcess(normalized))
    return Fail(kErrorSharingViolation);
  if (it->second.attributes & kAttrReadOnly)
    return Fail(kErrorAccessDenied);
  World().entries.erase(it);
  fake::Changed();
  return true;
}

bool SetCurrentDirectory(const std::string& path) {
  if (fake::Faulted("SetCurrentDirectory", fake::kFaultsOfCalls, fake::NormalizePath(path)))
    return false;
  if (path.empty())
    return Fail(kErrorPathNotFound);
  std::string normalized = fake::NormalizePath(path);
  FakeEntry* entry = fake::FindEntry(path);
  if (normalized.size() > 2 && !(entry && entry->directory))
    return Fail(kErrorPathNotFound);
  // Kept without a trailing backslash, except a drive root's ("c:\\").
  World().current_directory = normalized.size() == 2 ? normalized + "\\" : normalized;
  return true;
}

std::string GetCurrentDirectory() {
  return fake::Faulted("GetCurrentDirectory", fake::kFaultError) ? std::string()
                                                                 : World().current_directory;
}

}  // namespace platform
