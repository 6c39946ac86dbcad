// Puts one registry value back the way it was when the test is over, also when
// the test fails: the end-to-end tests share one Wine prefix, so a value a test
// changes must not leak into the next one. Works in the 64-bit view.
//
//   SavedRegistryValue saved(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\a.exe", "Version");
//   ASSERT_TRUE(saved.ok());
//   SetRegistryString(...);   // change it freely; the destructor restores it
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velt::e2e {

class SavedRegistryValue {
 public:
  // Records the value (its type and bytes, or that it is missing) and which
  // keys of `key`'s path do not exist yet.
  SavedRegistryValue(HKEY root, std::string key, std::string name);
  SavedRegistryValue(const SavedRegistryValue&) = delete;
  SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;
  ~SavedRegistryValue() { Restore(); }

  // False when the value exists but could not be read (nothing will be restored).
  bool ok() const { return ok_; }
  bool existed() const { return existed_; }
  // Writes the old value back, or deletes the value when it was missing, then
  // deletes the keys of the path that did not exist before (when empty). True
  // when everything was put back. Later calls do nothing.
  bool Restore();

 private:
  HKEY root_;
  std::string key_;
  std::string name_;
  bool ok_ = false;
  bool restored_ = false;
  bool existed_ = false;
  DWORD type_ = REG_NONE;
  std::string data_;
  std::vector<std::string> missing_keys_;  // deepest first
};

}  // namespace velt::e2e
