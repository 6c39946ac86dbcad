// The Win32 file layer under Wine: contents, share modes, directory listings
// and attributes. Where Wine and Windows may differ, the
// tests accept either documented outcome and print the one observed.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/win32/win32_api.h"

namespace {

using platform::FileAccess;
using platform::FileDisposition;
using platform::FileShare;
using platform::ScopedHandle;

// A fresh directory under the temporary folder, removed with its files afterwards.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    static int counter = 0;
    dir_ = std::string(temp) + "velt_files_" + std::to_string(::GetCurrentProcessId()) + "_" +
           std::to_string(++counter) + "\\";
    ASSERT_TRUE(::CreateDirectoryA(dir_.c_str(), nullptr));
  }
  void TearDown() override {
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((dir_ + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string path = dir_ + entry.cFileName;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
      } while (::FindNextFileA(find, &entry));
      ::FindClose(find);
    }
    ::RemoveDirectoryA(dir_.c_str());
  }

  std::string Path(const std::string& name) const { return dir_ + name; }

  void WriteWhole(const std::string& name, const std::string& text) {
    ScopedHandle file = platform::CreateFile(Path(name), FileAccess::kWrite, FileShare::kNone,
                                             FileDisposition::kCreateAlways);
    ASSERT_TRUE(file.IsValid()) << platform::GetLastError();
    uint32_t written = 0;
    ASSERT_TRUE(platform::WriteFile(file.Get(), text.data(), text.size(), &written));
    ASSERT_EQ(written, text.size());
    ASSERT_TRUE(platform::FlushFileBuffers(file.Get()));
  }

  std::string ReadWhole(const std::string& name) {
    ScopedHandle file = platform::CreateFile(Path(name), FileAccess::kRead, FileShare::kRead,
                                             FileDisposition::kOpenExisting);
    if (!file.IsValid())
      return "<cannot open>";
    std::string text;
    char buffer[7];  // odd size: several reads per file
    uint32_t read = 0;
    while (platform::ReadFile(file.Get(), buffer, sizeof(buffer), &read) && read > 0) {
      text.append(buffer, read);
    }
    return text;
  }

  std::string dir_;
};

TEST_F(FilesTest, WritesAndReadsBackBinaryContent) {
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<char>(i * 7 + (i >> 8));
  WriteWhole("data.bin", data);
  EXPECT_EQ(platform::GetFileAttributes(Path("data.bin")) & platform::kAttrDirectory, 0u);
  EXPECT_EQ(ReadWhole("data.bin"), data);
}

TEST_F(FilesTest, ReadAtEndReportsZeroBytesAndSeekRepositions) {
  WriteWhole("text.txt", "0123456789");
  ScopedHandle file = platform::CreateFile(Path("text.txt"), FileAccess::kRead, FileShare::kRead,
                                           FileDisposition::kOpenExisting);
  ASSERT_TRUE(file.IsValid());
  char buffer[16];
  uint32_t read = 99;
  ASSERT_TRUE(platform::SeekFile(file.Get(), 6));
  ASSERT_TRUE(platform::ReadFile(file.Get(), buffer, sizeof(buffer), &read));
  EXPECT_EQ(std::string(buffer, read), "6789");
  ASSERT_TRUE(platform::ReadFile(file.Get(), buffer, sizeof(buffer), &read));
  EXPECT_EQ(read, 0u);
  ASSERT_TRUE(platform::SeekFile(file.Get(), 0));
  ASSERT_TRUE(platform::ReadFile(file.Get(), buffer, 3, &read));
  EXPECT_EQ(std::string(buffer, read), "012");
}

TEST_F(FilesTest, CreateAlwaysTruncatesAnExistingFile) {
  WriteWhole("f.txt", "a longer first content");
  WriteWhole("f.txt", "short");
  EXPECT_EQ(ReadWhole("f.txt"), "short");
}

TEST_F(FilesTest, WriteThroughAReadHandleFailsAndLeavesTheCountUntouched) {
  WriteWhole("f.txt", "x");
  ScopedHandle file = platform::CreateFile(Path("f.txt"), FileAccess::kRead, FileShare::kRead,
                                           FileDisposition::kOpenExisting);
  ASSERT_TRUE(file.IsValid());
  uint32_t written = 12345;
  EXPECT_FALSE(platform::WriteFile(file.Get(), "abc", 3, &written));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);
  EXPECT_EQ(written, 12345u);  // out-parameters are left alone on failure
}

TEST_F(FilesTest, OpeningMissingPathsReportsWhy) {
  ScopedHandle file = platform::CreateFile(Path("missing.txt"), FileAccess::kRead, FileShare::kRead,
                                           FileDisposition::kOpenExisting);
  EXPECT_FALSE(file.IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);
  file = platform::CreateFile(Path("no_dir\\f.txt"), FileAccess::kWrite, FileShare::kNone,
                              FileDisposition::kCreateAlways);
  EXPECT_FALSE(file.IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorPathNotFound);
  EXPECT_EQ(platform::GetFileAttributes(Path("missing.txt")), platform::kInvalidFileAttributes);
}

// Whether a second CreateFile succeeds while a first handle is open.
struct ShareCase {
  FileAccess first_access;
  FileShare first_share;
  FileAccess second_access;
  FileShare second_share;
  bool second_opens;
};

TEST_F(FilesTest, ShareModesDecideWhetherASecondHandleOpens) {
  const ShareCase cases[] = {
      {FileAccess::kRead, FileShare::kRead, FileAccess::kRead, FileShare::kRead, true},
      {FileAccess::kRead, FileShare::kNone, FileAccess::kRead, FileShare::kRead, false},
      {FileAccess::kRead, FileShare::kRead, FileAccess::kWrite, FileShare::kNone, false},
      {FileAccess::kRead, FileShare::kRead, FileAccess::kRead, FileShare::kNone, false},
      // The second reader does not share writing, and the first handle writes.
      {FileAccess::kWrite, FileShare::kRead, FileAccess::kRead, FileShare::kRead, false},
      {FileAccess::kWrite, FileShare::kNone, FileAccess::kRead, FileShare::kRead, false},
  };
  WriteWhole("shared.txt", "content");
  int index = 0;
  for (const ShareCase& c : cases) {
    SCOPED_TRACE("case " + std::to_string(index++));
    ScopedHandle first = platform::CreateFile(Path("shared.txt"), c.first_access, c.first_share,
                                              FileDisposition::kOpenExisting);
    ASSERT_TRUE(first.IsValid());
    ScopedHandle second = platform::CreateFile(Path("shared.txt"), c.second_access, c.second_share,
                                               FileDisposition::kOpenExisting);
    EXPECT_EQ(second.IsValid(), c.second_opens);
    if (!c.second_opens) {
      EXPECT_EQ(platform::GetLastError(), platform::kErrorSharingViolation);
    }
  }
}

TEST_F(FilesTest, DeleteFileRemovesAFileAndFailsForAMissingOne) {
  WriteWhole("gone.txt", "x");
  EXPECT_TRUE(platform::DeleteFile(Path("gone.txt")));
  EXPECT_EQ(platform::GetFileAttributes(Path("gone.txt")), platform::kInvalidFileAttributes);
  EXPECT_FALSE(platform::DeleteFile(Path("gone.txt")));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);
}

TEST_F(FilesTest, AttributesReportDirectoriesHiddenAndReadOnlyFiles) {
  WriteWhole("hidden.txt", "h");
  WriteWhole("readonly.txt", "r");
  ASSERT_TRUE(::SetFileAttributesA(Path("hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(::SetFileAttributesA(Path("readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(platform::GetFileAttributes(dir_) & platform::kAttrDirectory, 0u);
  EXPECT_NE(platform::GetFileAttributes(Path("hidden.txt")) & platform::kAttrHidden, 0u);
  EXPECT_NE(platform::GetFileAttributes(Path("readonly.txt")) & platform::kAttrReadOnly, 0u);

  // Windows refuses to open a read-only file for writing; Wine running as root
  // may not. Either way the outcome is reported consistently.
  ScopedHandle writer = platform::CreateFile(Path("readonly.txt"), FileAccess::kWrite,
                                             FileShare::kNone, FileDisposition::kOpenExisting);
  const uint32_t error = platform::GetLastError();
  std::cout << "[ observed ] opening a read-only file for writing: "
            << (writer.IsValid() ? "opened" : "refused, error " + std::to_string(error)) << "\n";
  if (!writer.IsValid()) {
    EXPECT_EQ(error, platform::kErrorAccessDenied);
  }
}

TEST_F(FilesTest, FindListsEveryEntryIncludingHiddenOnes) {
  WriteWhole("a.lng", "12345");
  WriteWhole("b.lng", "");
  WriteWhole("c.txt", "other");
  WriteWhole("secret.lng", "hidden!");
  ASSERT_TRUE(::SetFileAttributesA(Path("secret.lng").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(::CreateDirectoryA(Path("sub.lng").c_str(), nullptr));

  std::map<std::string, platform::FindData> found;
  platform::FindData entry;
  platform::ScopedFindHandle find = platform::FindFirstFile(Path("*.lng"), &entry);
  ASSERT_TRUE(find.IsValid());
  do {
    found[entry.name] = entry;
  } while (platform::FindNextFile(find.Get(), &entry));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorNoMoreFiles);
  ::RemoveDirectoryA(Path("sub.lng").c_str());

  ASSERT_EQ(found.size(), 4u);
  EXPECT_EQ(found["a.lng"].size, 5u);
  EXPECT_EQ(found["b.lng"].size, 0u);
  EXPECT_NE(found["secret.lng"].attributes & platform::kAttrHidden, 0u);
  EXPECT_EQ(found["secret.lng"].size, 7u);
  EXPECT_NE(found["sub.lng"].attributes & platform::kAttrDirectory, 0u);
  EXPECT_EQ(found["a.lng"].attributes & (platform::kAttrDirectory | platform::kAttrHidden), 0u);
}

TEST_F(FilesTest, FindWithNoMatchReturnsNothing) {
  platform::FindData entry;
  entry.name = "untouched";
  platform::ScopedFindHandle find = platform::FindFirstFile(Path("*.none"), &entry);
  EXPECT_FALSE(find.IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);
  EXPECT_EQ(entry.name, "untouched");
}

TEST_F(FilesTest, RelativePathsFollowTheCurrentDirectory) {
  const std::string previous = platform::GetCurrentDirectory();
  ASSERT_FALSE(previous.empty());
  ASSERT_TRUE(platform::SetCurrentDirectory(dir_));
  std::string now = platform::GetCurrentDirectory();
  WriteWhole("here.txt", "relative");
  ScopedHandle file = platform::CreateFile("here.txt", FileAccess::kRead, FileShare::kRead,
                                           FileDisposition::kOpenExisting);
  EXPECT_TRUE(file.IsValid());
  file.Reset();
  EXPECT_FALSE(platform::SetCurrentDirectory(Path("missing_dir")));
  ASSERT_TRUE(platform::SetCurrentDirectory(previous));
  EXPECT_EQ(platform::GetCurrentDirectory(), previous);
  // The directory is reported without a trailing backslash (except at a root).
  EXPECT_EQ(now + "\\", dir_);
}

}  // namespace
