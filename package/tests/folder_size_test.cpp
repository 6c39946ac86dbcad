// GetFolderSizeKB on the fake platform: rounding on the total, attributes,
// nesting, directory links, folders that are not folders, and a walk that
// keeps to the handle it was given.
#include <map>
#include <string>

#include "package/folder_size.h"
#include "package_test_support.h"
#include "platform/files.h"

namespace velt_test {
namespace {

const char kRoot[] = "C:\\Program Files\\Velt";

class FolderSizeTest : public PackageTest {
 protected:
  void SetUp() override {
    PackageTest::SetUp();
    fake::AddDirectory(kRoot);
  }
  static std::string At(const std::string& relative) {
    return std::string(kRoot) + "\\" + relative;
  }
  // The size walked from a handle held on `path` (invalid when it cannot be held).
  static int32_t SizeKB(const std::string& path) {
    platform::ScopedHandle folder = platform::HoldFolder(path);
    return velt::GetFolderSizeKB(folder.Get());
  }
};

TEST_F(FolderSizeTest, NotAFolderGivesMinusOne) {
  fake::AddFile(At("velt.exe"), std::string(5000, 'x'));
  EXPECT_EQ(velt::GetFolderSizeKB(nullptr), -1);
  EXPECT_EQ(velt::GetFolderSizeKB(platform::InvalidHandleValue()), -1);
  EXPECT_EQ(SizeKB("C:\\Missing\\"), -1);
  EXPECT_EQ(SizeKB(At("velt.exe")), -1);
  // A handle to a file, as Windows lets a folder's open reach one.
  platform::ScopedHandle file =
      platform::CreateFile(At("velt.exe"), platform::FileAccess::kRead, platform::FileShare::kRead,
                           platform::FileDisposition::kOpenExisting);
  ASSERT_TRUE(file.IsValid());
  EXPECT_EQ(velt::GetFolderSizeKB(file.Get()), -1);
}

TEST_F(FolderSizeTest, EmptyFolderIsZero) {
  EXPECT_EQ(SizeKB(kRoot), 0);
}

TEST_F(FolderSizeTest, DividesTheTotalOnce) {
  fake::AddFile(At("a.bin"), std::string(1023, 'a'));
  EXPECT_EQ(SizeKB(kRoot), 0);
  fake::AddFile(At("a.bin"), std::string(1024, 'a'));
  EXPECT_EQ(SizeKB(kRoot), 1);
  fake::AddFile(At("a.bin"), std::string(600, 'a'));
  fake::AddFile(At("b.bin"), std::string(600, 'b'));
  EXPECT_EQ(SizeKB(kRoot), 1);
}

TEST_F(FolderSizeTest, CountsHiddenSystemAndReadOnlyFiles) {
  fake::AddFile(At("hidden"), std::string(1024, 'h'), platform::kAttrHidden);
  fake::AddFile(At("system"), std::string(1024, 's'), platform::kAttrSystem);
  fake::AddFile(At("both"), std::string(1024, 'b'), platform::kAttrHidden | platform::kAttrSystem);
  fake::AddFile(At("ro"), std::string(1024, 'r'), platform::kAttrReadOnly);
  EXPECT_EQ(SizeKB(kRoot), 4);
}

TEST_F(FolderSizeTest, WalksEveryLevelWithOrWithoutTrailingBackslash) {
  fake::AddFile(At("velt.exe"), std::string(2048, 'v'));
  fake::AddFile(At("language\\russian.lng"), std::string(1024, 'r'));
  fake::AddFile(At("language\\old\\english.lng"), std::string(1024, 'e'));
  fake::AddDirectory(At("empty"));
  fake::AddFile(At("hidden dir\\deep\\deeper\\x.dat"), std::string(3072, 'x'));
  fake::FindEntry(At("hidden dir"))->attributes |= platform::kAttrHidden;
  EXPECT_EQ(SizeKB(kRoot), 7);
  EXPECT_EQ(SizeKB(std::string(kRoot) + "\\"), 7);
}

TEST_F(FolderSizeTest, DirectoryLinkIsNotEntered) {
  fake::AddFile(At("velt.exe"), std::string(1024, 'v'));
  // A link back to the root: entering it would count the tree again, forever.
  fake::AddFile(At("loop\\seen-through-link.dat"), std::string(4096, 'l'));
  fake::FindEntry(At("loop"))->attributes |= platform::kAttrReparsePoint;
  EXPECT_EQ(SizeKB(kRoot), 1);
}

TEST_F(FolderSizeTest, UnlistableFolderContributesNothing) {
  fake::AddFile(At("velt.exe"), std::string(4096, 'v'));
  fake::World().failing = {"ListFolder"};
  EXPECT_EQ(SizeKB(kRoot), 0);
}

// Between the check of the held folder and the walk, the folder is emptied
// and made a mount point of a tree only administrators may read (Windows lets
// a held folder become one): the walk keeps to the folder the handle holds,
// whose own entries are none, and never reaches the other tree.
TEST_F(FolderSizeTest, AHeldFolderMadeAMountPointIsWalkedAsItselfNotItsTarget) {
  fake::AddFile("C:\\Windows\\System32\\config\\SAM", std::string(8192, 's'));
  fake::AddFile(At("velt.exe"), std::string(1024, 'v'));
  platform::ScopedHandle folder = platform::HoldFolder(kRoot);
  ASSERT_TRUE(folder.IsValid());
  fake::World().entries.erase(fake::NormalizePath(At("velt.exe")));
  fake::FakeEntry* root = fake::FindEntry(kRoot);
  root->attributes |= platform::kAttrReparsePoint;
  root->link_target = fake::NormalizePath("C:\\Windows\\System32\\config");
  EXPECT_EQ(velt::GetFolderSizeKB(folder.Get()), 0);
}

// The held folder is measured wherever it is now, and a folder put at its old
// path is not.
TEST_F(FolderSizeTest, TheWalkFollowsTheHeldFolderNotItsPath) {
  fake::AddFile(At("velt.exe"), std::string(2048, 'v'));
  fake::AddFile(At("language\\english.lng"), std::string(1024, 'e'));
  platform::ScopedHandle folder = platform::HoldFolder(kRoot);
  ASSERT_TRUE(folder.IsValid());
  auto& entries = fake::World().entries;
  const std::string from = fake::NormalizePath(kRoot);
  const std::string to = fake::NormalizePath("C:\\Program Files\\Velt moved");
  std::map<std::string, fake::FakeEntry> moved;
  for (auto it = entries.begin(); it != entries.end();) {
    if (it->first == from || it->first.rfind(from + "\\", 0) == 0) {
      moved[to + it->first.substr(from.size())] = it->second;
      it = entries.erase(it);
    } else {
      ++it;
    }
  }
  entries.insert(moved.begin(), moved.end());
  fake::AddFile(At("big.dat"), std::string(64 << 10, 'b'));
  EXPECT_EQ(velt::GetFolderSizeKB(folder.Get()), 3);
}

}  // namespace
}  // namespace velt_test
