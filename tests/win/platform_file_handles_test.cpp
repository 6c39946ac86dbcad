// What the fake never models: while the installation holds its folder open,
// no one can move or delete the folder (the rest of the handle-based file
// operations: tests/contract).
#include <gtest/gtest.h>

#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/win32/win32_api.h"

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

}  // namespace
