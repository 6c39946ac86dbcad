// Files and directories over the Win32 ANSI file functions.
#include <vector>

#include "platform/files.h"
#include "platform/win32/ntdll_calls.h"
#include "platform/win32/win32_api.h"

namespace platform {
namespace {

FindData ToFindData(const WIN32_FIND_DATAA& raw) {
  FindData data;
  data.name = raw.cFileName;
  data.attributes = raw.dwFileAttributes;
  data.size = (static_cast<uint64_t>(raw.nFileSizeHigh) << 32) | raw.nFileSizeLow;
  return data;
}

// The path `call(buffer, size)` writes, in a buffer grown until it fits: a
// result not below the buffer's size is the size needed; 0 is a failure.
template <typename Call>
std::string GrownPath(Call call) {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0)
      return std::string();
    if (length < buffer.size())
      return std::string(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

}  // namespace

uint32_t GetFileAttributes(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    TellDeletePendingApart();
  return attributes;
}

ScopedHandle CreateFile(const std::string& path,
                        FileAccess access,
                        FileShare share,
                        FileDisposition disposition) {
  DWORD desired = GENERIC_READ;
  if (access == FileAccess::kWrite)
    desired = GENERIC_WRITE;
  else if (access == FileAccess::kWriteDelete)
    desired = GENERIC_WRITE | DELETE;
  else if (access == FileAccess::kDelete)
    desired = DELETE;
  const DWORD share_mode = share == FileShare::kRead ? FILE_SHARE_READ : 0;
  DWORD creation = OPEN_EXISTING;
  if (disposition == FileDisposition::kCreateAlways)
    creation = CREATE_ALWAYS;
  else if (disposition == FileDisposition::kCreateNew)
    creation = CREATE_NEW;
  HANDLE file = ::CreateFileA(path.c_str(), desired, share_mode, nullptr, creation,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    TellDeletePendingApart();
  return ScopedHandle(file);
}

bool ReadFile(RawHandle file, void* buffer, uint32_t size, uint32_t* read) {
  DWORD done = 0;
  if (!::ReadFile(file, buffer, size, &done, nullptr))
    return false;
  *read = done;
  return true;
}

bool WriteFile(RawHandle file, const void* data, uint32_t size, uint32_t* written) {
  DWORD done = 0;
  if (!::WriteFile(file, data, size, &done, nullptr))
    return false;
  *written = done;
  return true;
}

bool SeekFile(RawHandle file, uint64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(offset);
  return ::SetFilePointerEx(file, distance, nullptr, FILE_BEGIN) != FALSE;
}

bool FlushFileBuffers(RawHandle file) {
  return ::FlushFileBuffers(file) != FALSE;
}

bool DeleteFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) != FALSE;
}

ScopedFindHandle FindFirstFile(const std::string& pattern, FindData* first) {
  WIN32_FIND_DATAA raw;
  HANDLE find = ::FindFirstFileA(pattern.c_str(), &raw);
  if (find == INVALID_HANDLE_VALUE)
    return ScopedFindHandle();
  *first = ToFindData(raw);
  return ScopedFindHandle(find);
}

bool FindNextFile(RawHandle find, FindData* next) {
  WIN32_FIND_DATAA raw;
  if (!::FindNextFileA(find, &raw))
    return false;
  *next = ToFindData(raw);
  return true;
}

bool SetCurrentDirectory(const std::string& path) {
  return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}

std::string GetFullPathName(const std::string& path) {
  return GrownPath([&path](char* buffer, DWORD size) {
    return ::GetFullPathNameA(path.c_str(), size, buffer, nullptr);
  });
}

std::string GetLongPathName(const std::string& path) {
  return GrownPath(
      [&path](char* buffer, DWORD size) { return ::GetLongPathNameA(path.c_str(), buffer, size); });
}

uint32_t GetDriveType(const std::string& root) {
  return ::GetDriveTypeA(root.c_str());
}

std::string GetCurrentDirectory() {
  return GrownPath([](char* buffer, DWORD size) { return ::GetCurrentDirectoryA(size, buffer); });
}

}  // namespace platform
