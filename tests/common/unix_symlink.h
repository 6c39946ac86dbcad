// Unix symbolic links made from a Windows test program under Wine, the way an
// attacker at the user's level could plant them: Wine runs a 32-bit program in
// a 32-bit Linux process, so the Linux system call symlink(2) is one "int 0x80"
// away, and kernel32's wine_get_unix_file_name gives the Unix paths. Wine then
// presents the link to Windows programs (as a reparse point only for folders,
// when asked by name).
#pragma once

#include <windows.h>

#include <string>

namespace velt::test {

// The Unix path of a Windows path (which need not exist); empty when unknown.
inline std::string UnixPath(const std::string& windows_path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
  auto to_unix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)(void)>(proc));
  if (to_unix == nullptr)
    return std::string();
  std::wstring wide(windows_path.begin(), windows_path.end());
  char* unix_path = to_unix(wide.c_str());
  if (unix_path == nullptr)
    return std::string();
  std::string result(unix_path);
  HeapFree(GetProcessHeap(), 0, unix_path);
  return result;
}

// The Linux system call `number` with two arguments; its result (0 on success).
inline long LinuxCall(long number, const char* first, const char* second) {
  long result = -1;
#if defined(__i386__)
  __asm__ volatile("int $0x80" : "=a"(result) : "a"(number), "b"(first), "c"(second) : "memory");
#endif
  return result;
}

// Makes `link` (a Windows path) a Unix symbolic link to `target` (a Windows
// path, which need not exist). True on success.
inline bool MakeUnixSymlink(const std::string& link, const std::string& target) {
  const std::string unix_link = UnixPath(link);
  const std::string unix_target = UnixPath(target);
  if (unix_link.empty() || unix_target.empty())
    return false;
  return LinuxCall(83 /* symlink */, unix_target.c_str(), unix_link.c_str()) == 0;
}

// Renames `from` to `to` (Windows paths) with the Linux system call
// rename(2), as a process outside Wine would: Wine's own checks of open files
// do not apply. True on success.
inline bool UnixRename(const std::string& from, const std::string& to) {
  const std::string unix_from = UnixPath(from);
  const std::string unix_to = UnixPath(to);
  if (unix_from.empty() || unix_to.empty())
    return false;
  return LinuxCall(38 /* rename */, unix_from.c_str(), unix_to.c_str()) == 0;
}

// Removes the link (or file) `path` itself with unlink(2); Windows calls
// under Wine may act on a link's target instead. True on success.
inline bool UnixUnlink(const std::string& path) {
  const std::string unix_path = UnixPath(path);
  if (unix_path.empty())
    return false;
  return LinuxCall(10 /* unlink */, unix_path.c_str(), nullptr) == 0;
}

// Makes `depth` nested folders "d\\d\\...\\d" in `folder` (a Windows path),
// or with `remove` removes them, from the deepest up, one component at a time
// (mkdir(2), rmdir(2), chdir(2)), so that no path grows beyond Linux's limit.
// The Unix working directory is restored through a descriptor (fchdir(2)):
// under QEMU in a Debian root, Wine's process may sit in a folder that its
// path (getcwd(2): "(unreachable)...") does not lead back to. True on success.
inline bool UnixNestedFolders(const std::string& folder, int depth, bool remove) {
  const std::string unix_folder = UnixPath(folder);
  const long saved =
      LinuxCall(5 /* open */, ".", reinterpret_cast<char*>(0200000 /* O_DIRECTORY */));
  if (saved < 0)
    return false;
  int level = 0;
  const bool entered =
      !unix_folder.empty() && LinuxCall(12 /* chdir */, unix_folder.c_str(), nullptr) == 0;
  while (entered && level < depth - remove &&
         (remove || LinuxCall(39 /* mkdir */, "d", reinterpret_cast<char*>(0700)) == 0) &&
         LinuxCall(12, "d", nullptr) == 0) {
    ++level;
  }
  bool done = entered && level == depth - remove;
  for (; entered && remove && level >= 0; --level)
    done =
        LinuxCall(40 /* rmdir */, "d", nullptr) == 0 && LinuxCall(12, "..", nullptr) == 0 && done;
  const char* fd = reinterpret_cast<const char*>(saved);
  done = LinuxCall(133 /* fchdir */, fd, nullptr) == 0 && done;
  LinuxCall(6 /* close */, fd, nullptr);
  return done;
}

}  // namespace velt::test
