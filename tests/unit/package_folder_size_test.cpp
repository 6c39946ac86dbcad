// GetFolderSizeKB on the fake platform: rounding on the total, attributes,
// nesting, directory links and paths that are not folders.
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
};

TEST_F(FolderSizeTest, NotAFolderGivesMinusOne) {
  fake::AddFile(At("velt.exe"), std::string(5000, 'x'));
  EXPECT_EQ(velt::GetFolderSizeKB(""), -1);
  EXPECT_EQ(velt::GetFolderSizeKB("C:\\Missing\\"), -1);
  EXPECT_EQ(velt::GetFolderSizeKB(At("velt.exe")), -1);
}

TEST_F(FolderSizeTest, EmptyFolderIsZero) {
  EXPECT_EQ(velt::GetFolderSizeKB(kRoot), 0);
}

TEST_F(FolderSizeTest, DividesTheTotalOnce) {
  fake::AddFile(At("a.bin"), std::string(1023, 'a'));
  EXPECT_EQ(velt::GetFolderSizeKB(kRoot), 0);
  fake::AddFile(At("a.bin"), std::string(1024, 'a'));
  EXPECT_EQ(velt::GetFolderSizeKB(kRoot), 1);
  fake::AddFile(At("a.bin"), std::string(600, 'a'));
  fake::AddFile(At("b.bin"), std::string(600, 'b'));
  EXPECT_EQ(velt::GetFolderSizeKB(kRoot), 1);
}

TEST_F(FolderSizeTest, CountsHiddenSystemAndReadOnlyFiles) {
  fake::AddFile(At("hidden"), std::string(1024, 'h'), platform::kAttrHidden);
  fake::AddFile(At("system"), std::string(1024, 's'), platform::kAttrSystem);
  fake::AddFile(At("both"), std::string(1024, 'b'), platform::kAttrHidden | platform::kAttrSystem);
  fake::AddFile(At("ro"), std::string(1024, 'r'), platform::kAttrReadOnly);
  EXPECT_EQ(velt::GetFolderSizeKB(kRoot), 4);
}

TEST_F(FolderSizeTest, WalksEveryLevelWithOrWithoutTrailingBackslash) {
  fake::AddFile(At("velt.exe"), std::string(2048, 'v'));
  fake::AddFile(At("language\\russian.lng"), std::string(1024, 'r'));
  fake::AddFile(At("language\\old\\english.lng"), std::string(1024, 'e'));
  fake::AddDirectory(At("empty"));
  fake::AddFile(At("hidden dir\\deep\\deeper\\x.dat"), std::string(3072, 'x'));
  fake::FindEntry(At("hidden dir"))->attributes |= platform::kAttrHidden;
  EXPECT_EQ(velt::GetFolderSizeKB(kRoot), 7);
  EXPECT_EQ(velt::GetFolderSizeKB(std::string(kRoot) + "\\"), 7);
}

TEST_F(FolderSizeTest, DirectoryLinkIsNotEntered) {
  fake::AddFile(At("velt.exe"), std::string(1024, 'v'));
  // A link back to the root: entering it would count the tree again, forever.
  fake::AddFile(At("loop\\seen-through-link.dat"), std::string(4096, 'l'));
  fake::FindEntry(At("loop"))->attributes |= platform::kAttrReparsePoint;
  EXPECT_EQ(velt::GetFolderSizeKB(kRoot), 1);
}

TEST_F(FolderSizeTest, UnlistableFolderContributesNothing) {
  fake::AddFile(At("velt.exe"), std::string(4096, 'v'));
  fake::World().failing = {"FindFirstFile"};
  EXPECT_EQ(velt::GetFolderSizeKB(kRoot), 0);
}

}  // namespace
}  // namespace velt_test
