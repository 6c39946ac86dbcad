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

using NtSetInformationFileFunction = LONG(NTAPI*)(HANDLE, IoStatusBlock*, void*, ULONG, ULONG);

// NtSetInformationFile, with its status turned into the thread's last error.
bool SetInformation(HANDLE file, void* information, ULONG size, ULONG information_class) {
  static auto set_information =
      LoadedSystemFunction<NtSetInformationFileFunction>("ntdll.dll", "NtSetInformationFile");
  if (!set_information) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  IoStatusBlock io = {};
  return NtSucceeded(set_information(file, &io, information, size, information_class));
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
  return ScopedHandle(file);
}

bool GetFileAttributesByHandle(RawHandle handle, uint32_t* attributes) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!::GetFileInformationByHandle(handle, &information))
    return false;
  *attributes = information.dwFileAttributes;
  return true;
}

bool GetFileInformation(RawHandle handle, FileInformation* information) {
  BY_HANDLE_FILE_INFORMATION raw;
  if (!::GetFileInformationByHandle(handle, &raw))
    return false;
  information->attributes = raw.dwFileAttributes;
  information->size = (static_cast<uint64_t>(raw.nFileSizeHigh) << 32) | raw.nFileSizeLow;
  information->volume = raw.dwVolumeSerialNumber;
  information->index = (static_cast<uint64_t>(raw.nFileIndexHigh) << 32) | raw.nFileIndexLow;
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
  *path = final_path;
  return true;
}

bool RenameFileByHandle(RawHandle file, RawHandle folder, const std::string& name) {
  const int wide_length =
      ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  if (name.empty() || wide_length <= 0)
    return (::SetLastError(ERROR_INVALID_NAME), false);
  // FILE_RENAME_INFORMATION: the name relative to the folder's handle.
  struct RenameInformation {
    BOOLEAN replace_if_exists;
    HANDLE root_directory;
    ULONG name_bytes;
    WCHAR name[1];
  };
  const size_t size = offsetof(RenameInformation, name) + wide_length * sizeof(WCHAR);
  std::vector<unsigned char> buffer(size + sizeof(WCHAR), 0);
  auto* information = reinterpret_cast<RenameInformation*>(buffer.data());
  information->replace_if_exists = TRUE;
  information->root_directory = folder;
  information->name_bytes = static_cast<ULONG>(wide_length * sizeof(WCHAR));
  ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), information->name,
                        wide_length);
  return SetInformation(file, information, static_cast<ULONG>(size), kFileRenameInformation);
}

bool SetDeleteOnClose(RawHandle file) {
  BOOLEAN delete_file = TRUE;
  return SetInformation(file, &delete_file, sizeof(delete_file), kFileDispositionInformation);
}

}  // namespace platform
