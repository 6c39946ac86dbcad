// Opens relative to a folder's handle and listings of a folder through its
// handle (ntdll), so that nothing is reached through a path that may have
// changed since it was checked.
#include <vector>

#include "platform/files.h"
#include "platform/win32/ntdll_calls.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

// NtCreateFile's disposition and options.
constexpr ULONG kFileOpen = 1;
constexpr ULONG kDirectoryFile = 0x1;
constexpr ULONG kSynchronousIo = 0x20;  // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kNonDirectoryFile = 0x40;
constexpr ULONG kCompleteIfOplocked = 0x100;
constexpr ULONG kOpenReparsePoint = 0x200000;
constexpr ULONG kCaseInsensitive = 0x40;  // OBJ_CASE_INSENSITIVE
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// NtQueryDirectoryFile's FileDirectoryInformation, and its ends: no more
// entries, or none at all (an empty drive root has no dot entries).
constexpr ULONG kFileDirectoryInformation = 1;
constexpr LONG kNoMoreFiles = static_cast<LONG>(0x80000006);
constexpr LONG kNoSuchFile = static_cast<LONG>(0xC000000F);

struct CountedName {  // UNICODE_STRING
  USHORT bytes;
  USHORT maximum_bytes;
  wchar_t* buffer;
};

struct ObjectAttributes {  // OBJECT_ATTRIBUTES
  ULONG length;
  HANDLE root;
  CountedName* name;
  ULONG attributes;
  void* security_descriptor;
  void* quality_of_service;
};

struct DirectoryRecord {  // FILE_DIRECTORY_INFORMATION
  ULONG next;
  ULONG index;
  LARGE_INTEGER times[4];
  LARGE_INTEGER end_of_file;
  LARGE_INTEGER allocation;
  ULONG attributes;
  ULONG name_bytes;
  wchar_t name[1];
};

using NtCreateFileFunction = LONG(NTAPI*)(HANDLE*,
                                          ACCESS_MASK,
                                          ObjectAttributes*,
                                          IoStatusBlock*,
                                          LARGE_INTEGER*,
                                          ULONG,
                                          ULONG,
                                          ULONG,
                                          ULONG,
                                          void*,
                                          ULONG);
using NtQueryDirectoryFileFunction = LONG(NTAPI*)(HANDLE,
                                                  HANDLE,
                                                  void*,
                                                  void*,
                                                  IoStatusBlock*,
                                                  void*,
                                                  ULONG,
                                                  ULONG,
                                                  BOOLEAN,
                                                  CountedName*,
                                                  BOOLEAN);

// One component: no separator, and neither "." nor "..".
bool IsOneName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/") == std::string::npos;
}

}  // namespace

ScopedHandle OpenInFolder(RawHandle folder,
                          const std::string& name,
                          InFolderAccess access,
                          FileShare share) {
  static auto create_file = LoadedSystemFunction<NtCreateFileFunction>("ntdll.dll", "NtCreateFile");
  if (!create_file)
    return (::SetLastError(ERROR_CALL_NOT_IMPLEMENTED), ScopedHandle());
  if (!IsOneName(name))
    return (::SetLastError(ERROR_INVALID_NAME), ScopedHandle());
  ACCESS_MASK desired = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  ULONG sharing = kShareAll;
  ULONG options = kSynchronousIo | kOpenReparsePoint | kCompleteIfOplocked;
  if (access == InFolderAccess::kRead) {
    desired |= FILE_READ_DATA;
    sharing = share == FileShare::kRead ? FILE_SHARE_READ : 0;
    options |= kNonDirectoryFile;
  } else if (access == InFolderAccess::kDelete) {
    desired |= DELETE | READ_CONTROL;
    sharing = share == FileShare::kRead ? FILE_SHARE_READ : 0;
    options |= kNonDirectoryFile;
  } else if (access == InFolderAccess::kList) {
    desired |= FILE_LIST_DIRECTORY | FILE_TRAVERSE;
    options |= kDirectoryFile;
  }
  std::vector<wchar_t> wide = Wide(name);
  const USHORT bytes = static_cast<USHORT>((wide.size() - 1) * sizeof(wchar_t));
  CountedName counted = {bytes, bytes, wide.data()};
  ObjectAttributes attributes = {sizeof(attributes), folder,  &counted,
                                 kCaseInsensitive,   nullptr, nullptr};
  IoStatusBlock io = {};
  HANDLE opened = nullptr;
  // With kCompleteIfOplocked a lock's break in progress is a success status.
  if (!NtSucceeded(create_file(&opened, desired, &attributes, &io, nullptr, 0, sharing, kFileOpen,
                               options, nullptr, 0))) {
    return ScopedHandle();
  }
  return ScopedHandle(opened);
}

bool ListFolder(RawHandle folder, std::vector<FindData>* entries) {
  static auto query_directory =
      LoadedSystemFunction<NtQueryDirectoryFileFunction>("ntdll.dll", "NtQueryDirectoryFile");
  if (!query_directory)
    return (::SetLastError(ERROR_CALL_NOT_IMPLEMENTED), false);
  std::vector<FindData> found;
  std::vector<ULONGLONG> buffer(2048);  // 16 KiB, aligned for the records
  for (BOOLEAN restart = TRUE;; restart = FALSE) {
    IoStatusBlock io = {};
    const LONG status = query_directory(folder, nullptr, nullptr, nullptr, &io, buffer.data(),
                                        static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)),
                                        kFileDirectoryInformation, FALSE, nullptr, restart);
    if (status == kNoMoreFiles || (restart && status == kNoSuchFile))
      break;
    if (!NtSucceeded(status))
      return false;
    const char* at = reinterpret_cast<const char*>(buffer.data());
    for (;;) {
      const auto* record = reinterpret_cast<const DirectoryRecord*>(at);
      // A name has at most 255 UTF-16 units, each at most two ANSI bytes.
      char name[512];
      const int length =
          ::WideCharToMultiByte(CP_ACP, 0, record->name, record->name_bytes / sizeof(wchar_t), name,
                                sizeof(name), nullptr, nullptr);
      const bool dots = (length == 1 || length == 2) && name[0] == '.' && name[length - 1] == '.';
      if (!dots) {
        found.push_back({std::string(name, length > 0 ? length : 0), record->attributes,
                         static_cast<uint64_t>(record->end_of_file.QuadPart)});
      }
      if (record->next == 0)
        break;
      at += record->next;
    }
  }
  *entries = std::move(found);
  return true;
}

}  // namespace platform
