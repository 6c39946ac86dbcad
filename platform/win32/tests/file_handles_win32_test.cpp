// What the fake never models: while the installation holds its folder open,
// no one can move or delete the folder (the rest of the handle-based file
// operations: tests/contract).
#include <gtest/gtest.h>

#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/win32/win32_api.h"
#include "tests/common/unix_symlink.h"

namespace {

TEST(OpenFolderTest, AnOpenFolderCanNeitherBeMovedNorDeleted) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string folder =
      std::string(temp) + "velt_pinned_" + std::to_string(::GetCurrentProcessId());
  const std::string moved = folder + "_moved";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  {
    platform::ScopedHandle pinned = platform::OpenFolder(folder + "\\");
    ASSERT_TRUE(pinned.IsValid()) << platform::GetLastError();
    EXPECT_FALSE(::MoveFileA(folder.c_str(), moved.c_str()));
    EXPECT_FALSE(::RemoveDirectoryA(folder.c_str()));
  }
  EXPECT_TRUE(::MoveFileA(folder.c_str(), moved.c_str())) << "free once closed";
  ::RemoveDirectoryA(moved.c_str());
  ::RemoveDirectoryA(folder.c_str());
}

// The installation folder is held through whatever path named it: the folder
// reached is pinned and known by its identity, not by the path.
TEST(OpenFolderTest, AHeldFolderIsTheLinksTargetPinnedAndKnownByItsIdentity) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string root =
      std::string(temp) + "velt_held_" + std::to_string(::GetCurrentProcessId()) + "\\";
  const std::string folder = root + "folder";
  ASSERT_TRUE(::CreateDirectoryA(root.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(velt::test::MakeUnixSymlink(root + "via", folder));
  {
    platform::ScopedHandle held = platform::HoldFolder(root + "via\\");
    ASSERT_TRUE(held.IsValid()) << platform::GetLastError();
    std::string reached;
    ASSERT_TRUE(platform::GetFinalPathNameByHandle(held.Get(), &reached));
    EXPECT_EQ(reached.substr(reached.size() - 7), "\\folder");
    EXPECT_TRUE(platform::SameFileObject(held.Get(), platform::OpenForExamination(folder).Get()));
    EXPECT_FALSE(platform::SameFileObject(held.Get(), platform::OpenForExamination(root).Get()));
    EXPECT_FALSE(::MoveFileA(folder.c_str(), (root + "moved").c_str()));
  }
  EXPECT_TRUE(velt::test::UnixUnlink(root + "via"));
  ::RemoveDirectoryA(folder.c_str());
  ::RemoveDirectoryA(root.c_str());
}

}  // namespace
