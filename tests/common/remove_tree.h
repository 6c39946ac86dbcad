// Removes a test's scratch folder and everything below it; links are removed
// themselves, never followed.
#pragma once

#include <windows.h>

#include <string>

namespace velt::test {

// Deletes `folder` (trailing backslash) and everything below it.
inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..")
        continue;
      const std::string path = folder + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      const DWORD kind = entry.dwFileAttributes;
      if ((kind & FILE_ATTRIBUTE_DIRECTORY) && !(kind & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(path + "\\");
      else if (kind & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryA(path.c_str());
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace velt::test
