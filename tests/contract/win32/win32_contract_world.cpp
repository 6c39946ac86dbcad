// The contract suite's world over Win32: scratch folders below the temporary
// folder, names at C:\, a spare drive letter, scratch keys below Software, and
// links made as a user could (CreateSymbolicLinkA on Windows, a Unix symbolic
// link under Wine). On Windows the suite runs elevated, as the updater does.
#include <windows.h>

#include <iostream>
#include <memory>
#include <vector>

#include "tests/common/letterless_folder.h"
#include "tests/common/remove_tree.h"
#include "tests/common/spare_drive.h"
#include "tests/common/unix_symlink.h"
#include "tests/common/wine_version.h"
#include "tests/contract/contract_world.h"
#include "tests/contract/win32/win32_contract_session.h"

namespace velt::contract {
namespace {

struct Made {
  std::vector<std::string> folders;  // with a trailing backslash
  std::vector<std::string> root_names;
  std::vector<std::string> links;  // removed first, as links
  std::vector<std::string> keys;
  std::vector<std::string> variables;
  std::vector<std::unique_ptr<test::SpareDrive>> drives;
  std::unique_ptr<test::LetterlessFolder> letterless;
};
Made made;
int counter = 0;

std::string Unique(const std::string& stem) {
  return stem + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

void DeleteKey(HKEY root, const std::string& path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
    RegDeleteTreeA(key, nullptr);
    RegCloseKey(key);
  }
  RegDeleteKeyExA(root, path.c_str(), view, 0);
}

}  // namespace

void BeginTest() {
  made = Made();
}

void EndTest() {
  EndSessionObjects();
  made.letterless.reset();
  for (const std::string& link : made.links) {
    if (test::UnderWine())
      test::UnixUnlink(link);
    else if (!DeleteFileA(link.c_str()))
      RemoveDirectoryA(link.c_str());
  }
  made.drives.clear();
  for (const std::string& folder : made.folders)
    test::RemoveTree(folder);
  for (const std::string& name : made.root_names) {
    const std::string path = SystemRoot() + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
  for (const std::string& key : made.keys) {
    DeleteKey(HKEY_CURRENT_USER, key, 0);
    DeleteKey(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY);
    DeleteKey(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY);
  }
  for (const std::string& name : made.variables)
    SetEnvironmentVariableA(name.c_str(), nullptr);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VeltContract");
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\VeltContract", KEY_WOW64_64KEY, 0);
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\VeltContract", KEY_WOW64_32KEY, 0);
  made = Made();
}

bool WineDiffers(const std::string& difference, WineReleases releases) {
  const int major = test::WineMajor();
  if (!test::UnderWine() || major < releases.first || major > releases.last)
    return false;
  std::cout << "[ wine differs ] Wine " << test::WineVersion() << ": " << difference << "\n";
  return true;
}

std::string NewFolder() {
  // The long form, as final paths name it.
  char temp[MAX_PATH];
  EXPECT_NE(GetTempPathA(MAX_PATH, temp), 0u);
  EXPECT_NE(GetLongPathNameA(temp, temp, MAX_PATH), 0u);
  const std::string folder = std::string(temp) + Unique("Velt Contract ") + "\\";
  EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  made.folders.push_back(folder);
  return folder;
}

std::string SystemRoot() {
  return "C:\\";
}

std::string NewNameAtSystemRoot() {
  made.root_names.push_back(Unique("velt-contract-") + ".tmp");
  return made.root_names.back();
}

std::string NewDrive() {
  auto drive = std::make_unique<test::SpareDrive>();
  const std::string root = drive->Map(NewFolder());
  if (!root.empty())
    made.drives.push_back(std::move(drive));
  return root;
}

void PutFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << ": error " << GetLastError();
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(wrote && written == bytes.size()) << path;
}

void PutFolder(const std::string& path) {
  ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

std::string ShortPath(const std::string& path) {
  char spelt[MAX_PATH] = {};
  EXPECT_NE(GetShortPathNameA(path.c_str(), spelt, MAX_PATH), 0u) << path;
  return spelt;
}

std::string FileBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
    bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetAttributes(const std::string& path, uint32_t attributes) {
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

bool MakeLink(const std::string& link, const std::string& target, bool folder) {
  bool linked = false;
  if (test::UnderWine()) {
    linked = test::MakeUnixSymlink(link, target);
  } else {
    linked = CreateSymbolicLinkA(link.c_str(), target.c_str(),
                                 folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) != FALSE;
  }
  if (linked)
    made.links.push_back(link);
  return linked;
}

bool MakeHardLink(const std::string& link, const std::string& existing) {
  return CreateHardLinkA(link.c_str(), existing.c_str(), nullptr) != FALSE;
}

std::string NewKeyPath() {
  made.keys.push_back("Software\\VeltContract\\" + Unique("Test"));
  return made.keys.back();
}

void SetEnvironment(const std::string& name, const char* value) {
  made.variables.push_back(name);
  SetEnvironmentVariableA(name.c_str(), value);
}

std::string NewFolderNoDriveReaches() {
  made.letterless = std::make_unique<test::LetterlessFolder>();
  return made.letterless->Make();
}

bool MovedByAnotherProgram(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

bool RemovedByAnotherProgram(const std::string& folder) {
  return RemoveDirectoryA(folder.c_str()) != FALSE;
}

// Compiled in: win32/resources_contract_test.rc.
void CarryTestResource() {}

}  // namespace velt::contract
