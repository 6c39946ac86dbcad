// Files and folders examined, renamed and deleted through their handles, so
// that what is checked is what is changed, whatever happens to the names.
#include <vector>

#include "platform/files.h"
#include "platform/win32/ntdll_calls.h"

namespace platform {
namespace {

// The ntdll information classes and record of a handle-based rename.
constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kFileDispositionInformation = 13;

// NtQueryInformationFile and NtSetInformationFile.
using NtInformationFileFunction = LONG(NTAPI*)(HANDLE, IoStatusBlock*, void*, ULONG, ULONG);

// The ntdll records of FileBasicInformation (times, attributes) and
// FileStandardInformation (sizes, links).
constexpr ULONG kFileBasicInformation = 4;
constexpr ULONG kFileStandardInformation = 5;
struct FileBasicRecord {
  LARGE_INTEGER creation_time;
  LARGE_INTEGER last_access_time;
  LARGE_INTEGER last_write_time;
  LARGE_INTEGER change_time;
  ULONG attributes;
};
struct FileStandardRecord {
  LARGE_INTEGER allocation_size;
  LARGE_INTEGER end_of_file;
  ULONG links;
  BOOLEAN delete_pending;
  BOOLEAN directory;
};

// `function` (one of ntdll's, null when missing) on `file`, with its status
// turned into the thread's last error.
bool CallInformationFunction(NtInformationFileFunction function,
                             HANDLE file,
                             void* information,
                             ULONG size,
                             ULONG information_class) {
  if (!function) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  IoStatusBlock io = {};
  return NtSucceeded(function(file, &io, information, size, information_class));
}

// NtQueryInformationFile. Unlike GetFileInformationByHandle it asks nothing of
// the volume, which under Wine is a round trip to its mount manager, another
// process.
bool QueryInformation(HANDLE file, void* information, ULONG size, ULONG information_class) {
  static auto query_information =
      LoadedSystemFunction<NtInformationFileFunction>("ntdll.dll", "NtQueryInformationFile");
  return CallInformationFunction(query_information, file, information, size, information_class);
}

// NtSetInformationFile.
bool SetInformation(HANDLE file, void* information, ULONG size, ULONG information_class) {
  static auto set_information =
      LoadedSystemFunction<NtInformationFileFunction>("ntdll.dll", "NtSetInformationFile");
  return CallInformationFunction(set_information, file, information, size, information_class);
}

// One component of a path (at most MAX_PATH characters) in UTF-16 from the
// ANSI code page, without a terminating NUL: its length in characters, or 0
// (ERROR_INVALID_NAME) for an empty name or one that does not convert or fit.
ULONG WideName(const std::string& name, WCHAR (&wide)[MAX_PATH]) {
  const int length = name.empty()
                         ? 0
                         : ::MultiByteToWideChar(CP_ACP, 0, name.data(),
                                                 static_cast<int>(name.size()), wide, MAX_PATH);
  if (length <= 0)
    ::SetLastError(ERROR_INVALID_NAME);
  return length > 0 ? static_cast<ULONG>(length) : 0;
}

}  // namespace

ScopedHandle OpenFolder(const std::string& path) {
  HANDLE folder =
      ::CreateFileA(WithoutTrailingBackslash(path).c_str(),
                    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return ScopedHandle(folder);
}

ScopedHandle HoldFolder(const std::string& path) {
  HANDLE folder =
      ::CreateFileA(WithoutTrailingBackslash(path).c_str(),
                    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  return ScopedHandle(folder);
}

ScopedHandle OpenForExamination(const std::string& path) {
  HANDLE file =
      ::CreateFileA(WithoutTrailingBackslash(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    TellDeletePendingApart();
  return ScopedHandle(file);
}

ScopedHandle OpenForExaminationThroughLinks(const std::string& path) {
  HANDLE file = ::CreateFileA(WithoutTrailingBackslash(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    TellDeletePendingApart();
  return ScopedHandle(file);
}

bool GetFileAttributesByHandle(RawHandle handle, uint32_t* attributes) {
  FileBasicRecord information = {};
  if (!QueryInformation(handle, &information, sizeof information, kFileBasicInformation))
    return false;
  *attributes = information.attributes;
  return true;
}

bool GetFileInformation(RawHandle handle, FileInformation* information) {
  // As GetFileInformationByHandle, whose volume query nothing but a disk answers.
  ::SetLastError(NO_ERROR);
  if (!IsDiskFile(handle)) {
    if (::GetLastError() == NO_ERROR)  // a handle, but not of a disk file
      ::SetLastError(ERROR_INVALID_FUNCTION);
    return false;
  }
  FileBasicRecord basic = {};
  FileStandardRecord standard = {};
  if (!QueryInformation(handle, &basic, sizeof basic, kFileBasicInformation) ||
      !QueryInformation(handle, &standard, sizeof standard, kFileStandardInformation)) {
    return false;
  }
  information->attributes = basic.attributes;
  information->size = static_cast<uint64_t>(standard.end_of_file.QuadPart);
  information->links = standard.links;
  return true;
}

bool GetFileIdentity(RawHandle handle, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION raw;
  if (!::GetFileInformationByHandle(handle, &raw))
    return false;
  identity->volume = raw.dwVolumeSerialNumber;
  identity->index = (static_cast<uint64_t>(raw.nFileIndexHigh) << 32) | raw.nFileIndexLow;
  return true;
}

bool IsDiskFile(RawHandle file) {
  return ::GetFileType(file) == FILE_TYPE_DISK;
}

bool GetFinalPathNameByHandle(RawHandle handle, std::string* path) {
  using GetFinalPathFunction = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  static auto get_final_path =
      LoadedSystemFunction<GetFinalPathFunction>("kernel32.dll", "GetFinalPathNameByHandleA");
  if (!get_final_path)
    return (::SetLastError(ERROR_CALL_NOT_IMPLEMENTED), false);
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD length = 0;
  for (;;) {
    length = get_final_path(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0)
      return false;
    if (length < buffer.size())
      break;
    buffer.resize(length + 1);  // too small: `length` is the size needed
  }
  std::string final_path(buffer.data(), length);
  if (final_path.compare(0, 8, "\\\\?\\UNC\\") == 0)
    final_path = "\\\\" + final_path.substr(8);
  else if (final_path.compare(0, 4, "\\\\?\\") == 0)
    final_path = final_path.substr(4);
  // Windows gives a drive or a network path, or fails where no drive letter
  // reaches the file; Wine gives "\\?\unix\..." there, which counts the same.
  const bool drive_path = final_path.size() >= 3 && final_path[1] == ':' && final_path[2] == '\\';
  if (!drive_path && final_path.compare(0, 2, "\\\\") != 0)
    return (::SetLastError(ERROR_PATH_NOT_FOUND), false);
  *path = final_path;
  return true;
}

bool RenameFileByHandle(RawHandle file, RawHandle folder, const std::string& name) {
  // FILE_RENAME_INFORMATION: the name relative to the folder's handle.
  struct RenameInformation {
    BOOLEAN replace_if_exists;
    HANDLE root_directory;
    ULONG name_bytes;
    WCHAR name[MAX_PATH];
  } information = {TRUE, folder, 0, {}};
  const ULONG length = WideName(name, information.name);
  if (length == 0)
    return false;
  information.name_bytes = length * sizeof(WCHAR);
  return SetInformation(file, &information,
                        offsetof(RenameInformation, name) + information.name_bytes,
                        kFileRenameInformation);
}

bool SetDeleteOnClose(RawHandle file) {
  BOOLEAN delete_file = TRUE;
  return SetInformation(file, &delete_file, sizeof(delete_file), kFileDispositionInformation);
}

}  // namespace platform
