#include "tests/e2e/e2e_files.h"
#include "platform/text_rules.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>

namespace velt::e2e {

std::string ToWinePath(const std::string& unix_path) {
  std::string path = "Z:" + unix_path;
  for (char& c : path)
    if (c == '/')
      c = '\\';
  return path;
}

std::string WinePathFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0')
    return std::string();
  return value[0] == '/' ? ToWinePath(value) : std::string(value);
}

std::string MakeTempFolder(const std::string& stem) {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH] = {};
  DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0)
    return std::string();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string folder = std::string(temp, length) + stem + " " +
                         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    if (CreateDirectoryA(folder.c_str(), nullptr))
      return folder + "\\";
  }
  return std::string();
}

bool RemoveTree(const std::string& folder) {
  std::string base = folder;
  if (!base.empty() && base.back() != '\\')
    base += '\\';
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((base + "*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..")
        continue;
      std::string path = base + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryA(base.c_str());
  return GetFileAttributesA(base.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteBinaryFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  CloseHandle(file);
  return ok;
}

std::string ReadBinaryFile(const std::string& path, bool* ok) {
  if (ok)
    *ok = false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return std::string();
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  bool failed = false;
  while (true) {
    if (!ReadFile(file, buffer, sizeof(buffer), &read, nullptr)) {
      failed = true;
      break;
    }
    if (read == 0)
      break;
    bytes.append(buffer, read);
  }
  CloseHandle(file);
  if (ok)
    *ok = !failed;
  return failed ? std::string() : bytes;
}

int CopyFolderFiles(const std::string& from_folder, const std::string& to_folder) {
  int copied = 0;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((from_folder + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return 0;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      continue;
    std::string name = entry.cFileName;
    if (CopyFileA((from_folder + name).c_str(), (to_folder + name).c_str(), FALSE))
      ++copied;
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return copied;
}

}  // namespace velt::e2e

namespace velt::e2e {

unsigned long long FolderBytes(const std::string& folder) {
  unsigned long long total = 0;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return 0;
  do {
    std::string name = entry.cFileName;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (name != "." && name != "..")
        total += FolderBytes(folder + name + "\\");
    } else {
      total += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    }
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return total;
}

}  // namespace velt::e2e

namespace velt::e2e {

std::string AsciiLower(std::string text) {
  return platform::AsciiLowercase(text);
}

}  // namespace velt::e2e
