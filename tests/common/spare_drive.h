// A drive letter of its own mapped to a folder, for tests that need a drive
// root they may fill. On Windows the letter is a DOS device (as "subst" makes);
// under Wine it is a link in the prefix's dosdevices folder, where Wine looks
// up drive letters (other Wine processes see it too).
#pragma once

#include <windows.h>

#include <string>

#include "tests/common/unix_symlink.h"
#include "tests/common/wine_version.h"

namespace velt::test {

// The prefix's dosdevices folder as a Unix path ("/.../dosdevices/"); empty
// when unknown. Wine names C:'s files through its "c:" entry there.
inline std::string DosDevicesFolder() {
  const std::string c_root = UnixPath("C:\\");
  const size_t at = c_root.rfind("/c:");
  return at == std::string::npos ? std::string() : c_root.substr(0, at + 1);
}

class SpareDrive {
 public:
  SpareDrive() = default;
  SpareDrive(const SpareDrive&) = delete;
  SpareDrive& operator=(const SpareDrive&) = delete;
  ~SpareDrive() { Unmap(); }

  // Maps an unused letter from W down to M to `folder` (an existing folder,
  // with or without a trailing backslash). Returns the root ("X:\"), or empty.
  std::string Map(std::string folder) {
    Unmap();
    while (folder.size() > 3 && folder.back() == '\\')
      folder.pop_back();
    const DWORD used = GetLogicalDrives();
    for (char letter = 'W'; letter >= 'M'; --letter) {
      const std::string root = std::string(1, letter) + ":\\";
      if ((used & (1u << (letter - 'A'))) != 0 ||
          GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES) {
        continue;
      }
      if (UnderWine() ? MapUnderWine(letter, folder) : MapOnWindows(letter, folder)) {
        letter_ = letter;
        break;
      }
    }
    if (letter_ == 0)
      return std::string();
    // Wine keeps the drives' roots for the rest of the second when it turns a
    // Unix path back into a DOS one (final paths): wait until it looks again.
    if (UnderWine())
      Sleep(1100);
    return std::string(1, letter_) + ":\\";
  }

  void Unmap() {
    if (letter_ == 0)
      return;
    const std::string device = std::string(1, letter_) + ":";
    if (!link_.empty())
      LinuxCall(10 /* unlink */, link_.c_str(), nullptr);
    else
      DefineDosDeviceA(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
    letter_ = 0;
    link_.clear();
  }

 private:
  bool MapUnderWine(char letter, const std::string& folder) {
    const std::string devices = DosDevicesFolder();
    const std::string target = UnixPath(folder);
    if (devices.empty() || target.empty())
      return false;
    const std::string link = devices + static_cast<char>(letter - 'A' + 'a') + ":";
    if (LinuxCall(83 /* symlink */, target.c_str(), link.c_str()) != 0)
      return false;
    link_ = link;
    return true;
  }
  static bool MapOnWindows(char letter, const std::string& folder) {
    const std::string device = std::string(1, letter) + ":";
    return DefineDosDeviceA(0, device.c_str(), folder.c_str()) != FALSE;
  }

  char letter_ = 0;
  std::string link_;  // Wine: the dosdevices entry made
};

}  // namespace velt::test
