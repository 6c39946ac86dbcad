// Paths as the installation sees them: drive roots, trailing backslashes, the
// current directory and the path a handle really reaches. The installation
// compares its folder's final path joined with a name to the final path of
// the file it opened, at any folder, a drive root included.
#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

using platform::ScopedHandle;

class PathsContract : public ContractTest {};

bool IsDriveRoot(const std::string& path) {
  return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

std::string FinalPath(platform::RawHandle handle) {
  std::string path = "<unknown>";
  EXPECT_TRUE(platform::GetFinalPathNameByHandle(handle, &path)) << platform::GetLastError();
  return path;
}

// A final path ends with a backslash at a drive root, and only there; the
// folder's final path joined with a name is the final path of that file.
void ExpectFinalPathsJoin(const std::string& folder, const std::string& name) {
  SCOPED_TRACE(folder + name);
  PutFile(folder + name, "x");
  ScopedHandle opened = platform::OpenFolder(folder);
  ASSERT_TRUE(opened.IsValid()) << platform::GetLastError();
  const std::string folder_path = FinalPath(opened.Get());
  EXPECT_EQ(folder_path.back() == '\\', IsDriveRoot(folder_path)) << folder_path;
  ScopedHandle file = platform::OpenForExamination(folder + name);
  ASSERT_TRUE(file.IsValid()) << platform::GetLastError();
  EXPECT_EQ(Lower(FinalPath(file.Get())), Lower(Joined(folder_path, name)));
}

TEST_F(PathsContract, ADriveRootKeepsItsBackslashInItsFinalPath) {
  ScopedHandle root = platform::OpenFolder(SystemRoot());
  ASSERT_TRUE(root.IsValid()) << platform::GetLastError();
  EXPECT_EQ(Lower(FinalPath(root.Get())), "c:\\");
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::GetFileAttributesByHandle(root.Get(), &attributes));
  EXPECT_NE(attributes & platform::kAttrDirectory, 0u);
  EXPECT_EQ(attributes & platform::kAttrReparsePoint, 0u);
  EXPECT_TRUE(platform::DirectoryExists(SystemRoot()));
}

// Where no drive letter reaches a folder (a volume without one, or one the
// mount manager does not know), Windows gives no final path: the call fails
// with ERROR_PATH_NOT_FOUND. Wine gives "\\?\unix\..." there, which the platform
// layer reports as the same failure. The identities of handles still tell the
// folder, and what lies in it, from anything else.
TEST_F(PathsContract, WhereNoDriveLetterReachesThereIsNoFinalPathButIdentity) {
  const std::string folder = NewFolderNoDriveReaches();
  if (folder.empty())
    GTEST_SKIP() << "a test cannot make a volume without a drive letter here";
  PutFile(folder + "vtup.cok", "old");
  ScopedHandle held = platform::HoldFolder(folder);
  ASSERT_TRUE(held.IsValid()) << platform::GetLastError();
  ScopedHandle file = platform::OpenInFolder(
      held.Get(), "vtup.cok", platform::InFolderAccess::kRead, platform::FileShare::kRead);
  ASSERT_TRUE(file.IsValid()) << platform::GetLastError();
  for (platform::RawHandle handle : {held.Get(), file.Get()}) {
    std::string path = "untouched";
    EXPECT_FALSE(platform::GetFinalPathNameByHandle(handle, &path)) << path;
    EXPECT_EQ(platform::GetLastError(), platform::kErrorPathNotFound);
    EXPECT_EQ(path, "untouched");
  }
  ScopedHandle again = platform::OpenForExamination(folder);
  ASSERT_TRUE(again.IsValid()) << platform::GetLastError();
  EXPECT_TRUE(platform::SameFileObject(held.Get(), again.Get()));
  EXPECT_FALSE(platform::SameFileObject(held.Get(), file.Get()));
}

// A folder spelt with short (8.3) names, as %TEMP% often is, is the folder
// its long names spell: the log's folder is compared with its final path in
// that form. Only what exists has a long form. The system drive is no
// network drive.
TEST_F(PathsContract, AShortNameSpellsTheFolderItsLongNameSpells) {
  const std::string folder = NewFolder() + "a folder with a long name";
  PutFolder(folder);
  const std::string spelt = ShortPath(folder);
  if (Lower(spelt) == Lower(folder))
    GTEST_SKIP() << "this volume makes no short names";
  EXPECT_EQ(Lower(platform::GetLongPathName(spelt)), Lower(folder));
  ScopedHandle opened = platform::OpenFolder(spelt);
  ASSERT_TRUE(opened.IsValid()) << platform::GetLastError();
  EXPECT_EQ(Lower(FinalPath(opened.Get())), Lower(folder));
  EXPECT_EQ(platform::GetLongPathName(spelt + "\\missing.log"), "");
  EXPECT_TRUE(platform::IsNotFoundError(platform::GetLastError())) << platform::GetLastError();
  EXPECT_NE(platform::GetDriveType(SystemRoot()), platform::kDriveRemote);
}

TEST_F(PathsContract, AFolderFinalPathJoinedWithANameIsTheFileFinalPath) {
  ExpectFinalPathsJoin(NewFolder(), "vtup.cok");
  ExpectFinalPathsJoin(SystemRoot(), NewNameAtSystemRoot());
  const std::string drive = NewDrive();
  ASSERT_FALSE(drive.empty()) << "no drive letter could be mapped";
  ExpectFinalPathsJoin(drive, "vtup.cok");
}

// A volume's root lists no "." and ".." entries, unlike every folder below it.
TEST_F(PathsContract, ADriveRootListsNoDotEntries) {
  const std::string name = NewNameAtSystemRoot();
  PutFile(SystemRoot() + name, "x");
  platform::FindData entry;
  platform::ScopedFindHandle find = platform::FindFirstFile(SystemRoot() + "*", &entry);
  ASSERT_TRUE(find.IsValid()) << platform::GetLastError();
  bool listed = false;
  do {
    EXPECT_NE(entry.name, ".");
    EXPECT_NE(entry.name, "..");
    listed = listed || Lower(entry.name) == Lower(name);
  } while (platform::FindNextFile(find.Get(), &entry));
  EXPECT_TRUE(listed) << name;
}

TEST_F(PathsContract, ATrailingBackslashNamesTheFolderButNoFile) {
  const std::string folder = NewFolder();
  const std::string bare = folder.substr(0, folder.size() - 1);
  PutFile(folder + "file.txt", "x");
  EXPECT_EQ(platform::GetFileAttributes(folder), platform::GetFileAttributes(bare));
  EXPECT_NE(platform::GetFileAttributes(folder) & platform::kAttrDirectory, 0u);
  EXPECT_TRUE(platform::DirectoryExists(folder));
  EXPECT_TRUE(platform::DirectoryExists(bare));
  ScopedHandle with = platform::OpenFolder(folder);
  ScopedHandle without = platform::OpenFolder(bare);
  ASSERT_TRUE(with.IsValid() && without.IsValid());
  EXPECT_EQ(FinalPath(with.Get()), FinalPath(without.Get()));

  EXPECT_EQ(platform::GetFileAttributes(folder + "file.txt\\"), platform::kInvalidFileAttributes);
  EXPECT_FALSE(platform::FileExists(folder + "file.txt\\"));
  ScopedHandle file =
      platform::CreateFile(folder + "file.txt\\", platform::FileAccess::kRead,
                           platform::FileShare::kRead, platform::FileDisposition::kOpenExisting);
  EXPECT_FALSE(file.IsValid());
}

// The current directory comes back without a trailing backslash, except at a
// drive root, and relative paths resolve against it.
TEST_F(PathsContract, TheCurrentDirectoryKeepsOnlyARootsBackslash) {
  const std::string previous = platform::GetCurrentDirectory();
  ASSERT_FALSE(previous.empty());
  const std::string folder = NewFolder();
  PutFile(folder + "here.txt", "relative");
  ASSERT_TRUE(platform::SetCurrentDirectory(folder));
  EXPECT_EQ(Lower(platform::GetCurrentDirectory() + "\\"), Lower(folder));
  ScopedHandle file =
      platform::CreateFile("here.txt", platform::FileAccess::kRead, platform::FileShare::kRead,
                           platform::FileDisposition::kOpenExisting);
  EXPECT_TRUE(file.IsValid());
  file.Reset();
  EXPECT_FALSE(platform::SetCurrentDirectory(folder + "missing"));
  ASSERT_TRUE(platform::SetCurrentDirectory(SystemRoot()));
  EXPECT_EQ(Lower(platform::GetCurrentDirectory()), "c:\\");
  ASSERT_TRUE(platform::SetCurrentDirectory(previous));
  EXPECT_EQ(Lower(platform::GetCurrentDirectory()), Lower(previous));
}

}  // namespace
}  // namespace velt::contract
