// A folder that no drive letter reaches, as on a volume without a letter or
// one the mount manager does not know: Windows gives no final path for what
// lies there, while handles to it work as anywhere. On Windows a test cannot
// make such a volume, so Make gives an empty path there. Under Wine every Unix
// path lies on drive Z:, so the folder is made outside the prefix's other
// drives, named "\\?\unix\...", and Z: is hidden while it exists (Wine looks
// drives up at every open, but keeps them for up to a second when it turns a
// Unix path back into a drive path). scripts/wine-prefix.sh brings a hidden
// Z: back should a test end before it does.
#pragma once

#include <windows.h>

#include <string>

#include "tests/common/remove_tree.h"
#include "tests/common/spare_drive.h"
#include "tests/common/unix_symlink.h"

namespace velt::test {

class LetterlessFolder {
 public:
  LetterlessFolder() = default;
  LetterlessFolder(const LetterlessFolder&) = delete;
  LetterlessFolder& operator=(const LetterlessFolder&) = delete;
  ~LetterlessFolder() { Remove(); }

  // The new, empty folder ("\\?\unix\tmp\...\"), or empty where none can be made.
  std::string Make() {
    Remove();
    const std::string devices = DosDevicesFolder();
    if (!UnderWine() || devices.empty())
      return std::string();
    static int counter = 0;
    unix_path_ = "/tmp/velt-letterless-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++counter);
    if (LinuxCall(39 /* mkdir */, unix_path_.c_str(), reinterpret_cast<const char*>(0755)) != 0) {
      unix_path_.clear();
      return std::string();
    }
    drive_ = devices + "z:";
    hidden_ = devices + kHiddenName;
    if (LinuxCall(38 /* rename */, drive_.c_str(), hidden_.c_str()) != 0)
      drive_.clear();
    Sleep(1100);
    path_ = "\\\\?\\unix" + unix_path_ + "\\";
    for (char& c : path_) {
      if (c == '/')
        c = '\\';
    }
    return path_;
  }

  // Removes the folder and everything in it, and shows Z: again.
  void Remove() {
    if (!path_.empty())
      RemoveTree(path_);
    if (!unix_path_.empty())
      LinuxCall(40 /* rmdir */, unix_path_.c_str(), nullptr);
    if (!drive_.empty()) {
      LinuxCall(38 /* rename */, hidden_.c_str(), drive_.c_str());
      Sleep(1100);
    }
    path_.clear();
    unix_path_.clear();
    drive_.clear();
  }

  // The name Z: has in the prefix's dosdevices folder while it is hidden.
  static constexpr const char* kHiddenName = ".velt-hidden-z:";

 private:
  std::string path_;
  std::string unix_path_;
  std::string drive_;   // the dosdevices entry of Z: while hidden
  std::string hidden_;  // its name then
};

}  // namespace velt::test
