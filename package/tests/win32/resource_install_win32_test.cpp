// The package's file operations on Wine's real file system: the resource written
// through a temporary file, the wait for a destination held open, and folder
// sizes beyond 4 GiB (sparse files, so nothing is really written).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "package/folder_size.h"
#include "package/resource_install.h"
#include "platform/files.h"
#include "tests/common/unix_symlink.h"

namespace {

// The test binary carries VELTTEST/COK (tests/contract/win32/resources_contract_test.rc).
const char kResourceBytes[] = "vtup\x2A";

class PackageFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    folder_ =
        std::string(temp) + "velt package test " + std::to_string(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
  }
  void TearDown() override {
    velt::test::UnixUnlink(folder_ + "loop");  // first: removing the tree never follows it
    for (const char* name :
         {"vtup.cok", "vtup.cok.new", "big1", "big2", "huge", "sub\\x", "a.bin", "sub\\b.bin"}) {
      DeleteFileA((folder_ + name).c_str());
    }
    RemoveDirectoryA((folder_ + "sub").c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  void WriteFile(const std::string& name, const std::string& bytes) {
    HANDLE file = CreateFileA((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  std::string ReadFile(const std::string& name) {
    std::string bytes(1024, '\0');
    HANDLE file = CreateFileA((folder_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return "<missing>";
    DWORD read = 0;
    ::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
  }
  // A file of `size` bytes with nothing written: a hole on the host's file system.
  void MakeSparse(const std::string& name, LONGLONG size) {
    HANDLE file = CreateFileA((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = size;
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  }

  // Installs the test binary's resource as "vtup.cok" in the folder, opened as
  // an install folder.
  velt::InstallOutcome Install() {
    velt::InstallFolder folder;
    folder.Open(folder_);
    return velt::InstallResourceFile("velttest", "cok", folder, "vtup.cok");
  }

  std::string folder_;
};

TEST_F(PackageFilesTest, WritesResourceOverExistingFile) {
  WriteFile("vtup.cok", "old package, longer than the new one");
  EXPECT_TRUE(Install());
  EXPECT_EQ(ReadFile("vtup.cok"), std::string(kResourceBytes) + std::string(1, '\0') + "payload");
  WIN32_FIND_DATAA left;
  EXPECT_EQ(FindFirstFileA((folder_ + "vtup.cok.*.tmp").c_str(), &left), INVALID_HANDLE_VALUE)
      << "the new file was left behind";
}

TEST_F(PackageFilesTest, WaitsUntilAnotherHolderLetsGo) {
  WriteFile("vtup.cok", "old");
  HANDLE held = CreateFileA((folder_ + "vtup.cok").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread release([held] {
    Sleep(1200);
    CloseHandle(held);
  });
  const DWORD start = GetTickCount();
  const bool written = Install().written;
  const DWORD elapsed = GetTickCount() - start;
  release.join();
  EXPECT_TRUE(written);
  EXPECT_GE(elapsed, 1000u);
  EXPECT_EQ(ReadFile("vtup.cok").substr(0, 5), kResourceBytes);
}

// The folder size of `path`, walked from a handle held on it.
int32_t FolderSizeKB(const std::string& path) {
  platform::ScopedHandle folder = platform::HoldFolder(path);
  return velt::GetFolderSizeKB(folder.Get());
}

TEST_F(PackageFilesTest, FolderSizeBeyondFourGibibytes) {
  MakeSparse("big1", 3LL << 30);
  MakeSparse("big2", (3LL << 30) + 2048);
  CreateDirectoryA((folder_ + "sub").c_str(), nullptr);
  WriteFile("sub\\x", std::string(1024, 'x'));
  // 6 GiB + 3 KiB: the 32-bit total of the original would have wrapped.
  EXPECT_EQ(FolderSizeKB(folder_), (6 << 20) + 3);
  EXPECT_EQ(FolderSizeKB(folder_.substr(0, folder_.size() - 1)), (6 << 20) + 3);
}

TEST_F(PackageFilesTest, FolderSizeCappedAtLargestPositiveValue) {
  MakeSparse("huge", 3LL << 40);  // 3 TiB: more KiB than a signed 32-bit value holds
  EXPECT_EQ(FolderSizeKB(folder_), 0x7FFFFFFF);
}

// A Unix symbolic link to a folder, which Wine lists as a reparse point, is
// not entered: the folder it leads to (here the tree itself) is not counted.
// A file, and a folder handle that is no folder, give -1.
TEST_F(PackageFilesTest, FolderSizeEntersNoLinkedFolder) {
  WriteFile("a.bin", std::string(2048, 'a'));
  CreateDirectoryA((folder_ + "sub").c_str(), nullptr);
  WriteFile("sub\\b.bin", std::string(1024, 'b'));
  ASSERT_TRUE(velt::test::MakeUnixSymlink(folder_ + "loop", folder_.substr(0, folder_.size() - 1)));
  EXPECT_EQ(FolderSizeKB(folder_), 3);
  EXPECT_TRUE(velt::test::UnixUnlink(folder_ + "loop"));
  EXPECT_EQ(FolderSizeKB(folder_ + "a.bin"), -1);
  EXPECT_EQ(velt::GetFolderSizeKB(nullptr), -1);
}

}  // namespace
