// Files by name: contents, the file pointer, dispositions of opens, share modes,
// deletion, attributes and directory listings.
#include <map>
#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

using platform::FileAccess;
using platform::FileDisposition;
using platform::FileShare;
using platform::ScopedHandle;

class FilesContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    dir_ = NewFolder();
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
    while (platform::ReadFile(file.Get(), buffer, sizeof(buffer), &read) && read > 0)
      text.append(buffer, read);
    return text;
  }

  std::string dir_;
};

TEST_F(FilesContract, WritesAndReadsBackBinaryContent) {
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<char>(i * 7 + (i >> 8));
  WriteWhole("data.bin", data);
  EXPECT_EQ(platform::GetFileAttributes(Path("data.bin")) & platform::kAttrDirectory, 0u);
  EXPECT_EQ(ReadWhole("data.bin"), data);
  EXPECT_EQ(FileBytes(Path("data.bin")), data);
}

TEST_F(FilesContract, ReadAtEndReportsZeroBytesAndSeekRepositions) {
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

TEST_F(FilesContract, DispositionsCreateTruncateOrRefuse) {
  WriteWhole("f.txt", "a longer first content");
  WriteWhole("f.txt", "short");
  EXPECT_EQ(ReadWhole("f.txt"), "short");
  ScopedHandle file = platform::CreateFile(Path("f.txt"), FileAccess::kWrite, FileShare::kNone,
                                           FileDisposition::kCreateNew);
  EXPECT_FALSE(file.IsValid());
  EXPECT_EQ(platform::GetLastError(), 80u);  // ERROR_FILE_EXISTS
  EXPECT_EQ(ReadWhole("f.txt"), "short");
  file = platform::CreateFile(Path("g.txt"), FileAccess::kWrite, FileShare::kNone,
                              FileDisposition::kCreateNew);
  EXPECT_TRUE(file.IsValid());
  file = platform::CreateFile(dir_, FileAccess::kRead, FileShare::kRead,
                              FileDisposition::kOpenExisting);
  EXPECT_FALSE(file.IsValid()) << "a folder is no file";
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);
}

TEST_F(FilesContract, WriteThroughAReadHandleFailsAndLeavesTheCountUntouched) {
  WriteWhole("f.txt", "x");
  ScopedHandle file = platform::CreateFile(Path("f.txt"), FileAccess::kRead, FileShare::kRead,
                                           FileDisposition::kOpenExisting);
  ASSERT_TRUE(file.IsValid());
  uint32_t written = 12345;
  EXPECT_FALSE(platform::WriteFile(file.Get(), "abc", 3, &written));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);
  EXPECT_EQ(written, 12345u);
}

TEST_F(FilesContract, OpeningMissingPathsReportsWhy) {
  ScopedHandle file = platform::CreateFile(Path("missing.txt"), FileAccess::kRead, FileShare::kRead,
                                           FileDisposition::kOpenExisting);
  EXPECT_FALSE(file.IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);
  file = platform::CreateFile(Path("no_dir\\f.txt"), FileAccess::kWrite, FileShare::kNone,
                              FileDisposition::kCreateAlways);
  EXPECT_FALSE(file.IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorPathNotFound);
  EXPECT_EQ(platform::GetFileAttributes(Path("missing.txt")), platform::kInvalidFileAttributes);
  EXPECT_TRUE(platform::IsNotFoundError(platform::GetLastError()));
  EXPECT_EQ(platform::GetFileAttributes(Path("no_dir\\f.txt")), platform::kInvalidFileAttributes);
  EXPECT_TRUE(platform::IsNotFoundError(platform::GetLastError()));
}

// Whether a second CreateFile succeeds while a first handle is open.
struct ShareCase {
  FileAccess first_access;
  FileShare first_share;
  FileAccess second_access;
  FileShare second_share;
  bool second_opens;
};

TEST_F(FilesContract, ShareModesDecideWhetherASecondHandleOpens) {
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
  // No open shares deletion.
  ScopedHandle reader = platform::CreateFile(Path("shared.txt"), FileAccess::kRead,
                                             FileShare::kRead, FileDisposition::kOpenExisting);
  EXPECT_FALSE(platform::DeleteFile(Path("shared.txt")));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorSharingViolation);
}

TEST_F(FilesContract, DeleteFileRemovesAFileAndFailsForAMissingOne) {
  WriteWhole("gone.txt", "x");
  EXPECT_TRUE(platform::DeleteFile(Path("gone.txt")));
  EXPECT_EQ(platform::GetFileAttributes(Path("gone.txt")), platform::kInvalidFileAttributes);
  EXPECT_FALSE(platform::DeleteFile(Path("gone.txt")));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);
}

TEST_F(FilesContract, ReadOnlyAndHiddenFilesShowAndReadOnlyRefusesWrites) {
  WriteWhole("hidden.txt", "h");
  WriteWhole("readonly.txt", "r");
  SetAttributes(Path("hidden.txt"), platform::kAttrHidden);
  SetAttributes(Path("readonly.txt"), platform::kAttrReadOnly);
  EXPECT_NE(platform::GetFileAttributes(dir_) & platform::kAttrDirectory, 0u);
  EXPECT_NE(platform::GetFileAttributes(Path("hidden.txt")) & platform::kAttrHidden, 0u);
  EXPECT_NE(platform::GetFileAttributes(Path("readonly.txt")) & platform::kAttrReadOnly, 0u);

  ScopedHandle writer = platform::CreateFile(Path("readonly.txt"), FileAccess::kWrite,
                                             FileShare::kNone, FileDisposition::kOpenExisting);
  const uint32_t error = platform::GetLastError();
  if (WineDiffers("as root, a read-only file opens for writing")) {
    EXPECT_TRUE(writer.IsValid());
    writer.Reset();
  } else {
    EXPECT_FALSE(writer.IsValid());
    EXPECT_EQ(error, platform::kErrorAccessDenied);
  }
  EXPECT_FALSE(platform::DeleteFile(Path("readonly.txt")));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);
  EXPECT_EQ(ReadWhole("readonly.txt"), "r");
}

TEST_F(FilesContract, FindListsEveryEntryIncludingHiddenOnes) {
  WriteWhole("a.lng", "12345");
  WriteWhole("b.lng", "");
  WriteWhole("c.txt", "other");
  WriteWhole("secret.lng", "hidden!");
  SetAttributes(Path("secret.lng"), platform::kAttrHidden);
  PutFolder(Path("sub.lng"));
  std::map<std::string, platform::FindData> found;
  platform::FindData entry;
  platform::ScopedFindHandle find = platform::FindFirstFile(Path("*.lng"), &entry);
  ASSERT_TRUE(find.IsValid());
  do {
    found[entry.name] = entry;
  } while (platform::FindNextFile(find.Get(), &entry));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorNoMoreFiles);

  ASSERT_EQ(found.size(), 4u);
  EXPECT_EQ(found["a.lng"].size, 5u);
  EXPECT_EQ(found["b.lng"].size, 0u);
  EXPECT_NE(found["secret.lng"].attributes & platform::kAttrHidden, 0u);
  EXPECT_EQ(found["secret.lng"].size, 7u);
  EXPECT_NE(found["sub.lng"].attributes & platform::kAttrDirectory, 0u);
  EXPECT_EQ(found["a.lng"].attributes & (platform::kAttrDirectory | platform::kAttrHidden), 0u);

  // Every listing of a folder other than a root starts with "." and "..".
  find = platform::FindFirstFile(Path("*"), &entry);
  ASSERT_TRUE(find.IsValid());
  EXPECT_EQ(entry.name, ".");
  ASSERT_TRUE(platform::FindNextFile(find.Get(), &entry));
  EXPECT_EQ(entry.name, "..");
}

TEST_F(FilesContract, FindWithNoMatchReturnsNothing) {
  platform::FindData entry;
  entry.name = "untouched";
  platform::ScopedFindHandle find = platform::FindFirstFile(Path("*.none"), &entry);
  EXPECT_FALSE(find.IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);
  EXPECT_EQ(entry.name, "untouched");
}

}  // namespace
}  // namespace velt::contract
