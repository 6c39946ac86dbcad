// Opens relative to a folder's handle and listings of a folder through its
// handle.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

using platform::FileShare;
using platform::InFolderAccess;
using platform::OpenInFolder;

class InFolderContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    folder_ = NewFolder();
  }
  // The listing of `folder`, sorted by name; "<unlistable>" alone when it fails.
  static std::vector<platform::FindData> Listing(platform::RawHandle folder) {
    std::vector<platform::FindData> entries;
    if (!platform::ListFolder(folder, &entries))
      return {{"<unlistable>", 0, 0}};
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return Lower(a.name) < Lower(b.name); });
    return entries;
  }
  std::string folder_;
};

TEST_F(InFolderContract, OpensANameInTheFolderForWhatItIsFor) {
  PutFile(folder_ + "data.bin", "vtup+");
  ASSERT_TRUE(MakeHardLink(folder_ + "second name.bin", folder_ + "data.bin"));
  PutFolder(folder_ + "sub");
  platform::ScopedHandle folder = platform::HoldFolder(folder_);
  ASSERT_TRUE(folder.IsValid());

  platform::ScopedHandle file =
      OpenInFolder(folder.Get(), "data.bin", InFolderAccess::kRead, FileShare::kNone);
  ASSERT_TRUE(file.IsValid()) << platform::GetLastError();
  char bytes[8] = {};
  uint32_t read = 0;
  ASSERT_TRUE(platform::ReadFile(file.Get(), bytes, sizeof(bytes), &read));
  EXPECT_EQ(std::string(bytes, read), "vtup+");
  platform::ScopedHandle examined =
      OpenInFolder(folder.Get(), "DATA.BIN", InFolderAccess::kExamine, FileShare::kRead);
  EXPECT_TRUE(platform::SameFileObject(examined.Get(), file.Get()));
  platform::ScopedHandle sub =
      OpenInFolder(folder.Get(), "sub", InFolderAccess::kList, FileShare::kRead);
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::GetFileAttributesByHandle(sub.Get(), &attributes));
  EXPECT_NE(attributes & platform::kAttrDirectory, 0u);
  platform::FileInformation file_names, folder_names;  // a file's names count its hard links
  ASSERT_TRUE(platform::GetFileInformation(file.Get(), &file_names) &&
              platform::GetFileInformation(sub.Get(), &folder_names));
  EXPECT_EQ(file_names.links, 2u);
  EXPECT_EQ(folder_names.links, 1u);
  EXPECT_EQ(file_names.size, 5u);
  EXPECT_EQ(file_names.attributes & platform::kAttrDirectory, 0u);
  EXPECT_NE(folder_names.attributes & platform::kAttrDirectory, 0u);

  struct Refused {
    const char* name;
    InFolderAccess access;
    uint32_t error;
  } refused[] = {
      {"sub", InFolderAccess::kRead, platform::kErrorAccessDenied},  // a folder's bytes
      {"data.bin", InFolderAccess::kList, 267},                      // ERROR_DIRECTORY
      {"missing", InFolderAccess::kRead, platform::kErrorFileNotFound},
      {"missing", InFolderAccess::kExamine, platform::kErrorFileNotFound},
      {"", InFolderAccess::kExamine, 123},  // ERROR_INVALID_NAME: one name only
      {".", InFolderAccess::kList, 123},
      {"..", InFolderAccess::kList, 123},
      {"sub\\..\\data.bin", InFolderAccess::kRead, 123},
      {"sub/x", InFolderAccess::kExamine, 123},
  };
  for (const Refused& r : refused) {
    SCOPED_TRACE(r.name);
    EXPECT_FALSE(OpenInFolder(folder.Get(), r.name, r.access, FileShare::kRead).IsValid());
    EXPECT_EQ(platform::GetLastError(), r.error);
  }
}

// While another program has the file open for reading, an open that shares
// nothing fails at once and a shared read succeeds.
TEST_F(InFolderContract, AnOpenThatSharesNothingFailsWhileTheFileIsOpen) {
  PutFile(folder_ + "data.bin", "x");
  platform::ScopedHandle folder = platform::HoldFolder(folder_);
  platform::ScopedHandle other =
      platform::CreateFile(folder_ + "data.bin", platform::FileAccess::kRead, FileShare::kRead,
                           platform::FileDisposition::kOpenExisting);
  ASSERT_TRUE(other.IsValid());
  EXPECT_FALSE(
      OpenInFolder(folder.Get(), "data.bin", InFolderAccess::kRead, FileShare::kNone).IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorSharingViolation);
  EXPECT_TRUE(
      OpenInFolder(folder.Get(), "data.bin", InFolderAccess::kRead, FileShare::kRead).IsValid());
}

// Windows opens the link itself and reports it as a reparse point.
TEST_F(InFolderContract, ALinkAtTheNameIsNotFollowed) {
  const std::string outside = NewFolder();
  PutFile(outside + "pin.txt", "PIN=7391");
  ASSERT_TRUE(MakeLink(folder_ + "link.txt", outside + "pin.txt", false));
  platform::ScopedHandle folder = platform::HoldFolder(folder_);
  for (InFolderAccess access : {InFolderAccess::kRead, InFolderAccess::kExamine}) {
    SCOPED_TRACE(static_cast<int>(access));
    platform::ScopedHandle link = OpenInFolder(folder.Get(), "link.txt", access, FileShare::kRead);
    ASSERT_TRUE(link.IsValid()) << platform::GetLastError();
    uint32_t attributes = 0;
    ASSERT_TRUE(platform::GetFileAttributesByHandle(link.Get(), &attributes));
    std::string reached;
    ASSERT_TRUE(platform::GetFinalPathNameByHandle(link.Get(), &reached));
    if (WineDiffers("NtCreateFile ignores FILE_OPEN_REPARSE_POINT: a link to a file is followed, "
                    "shows its target's attributes, and only its final path tells")) {
      EXPECT_EQ(attributes & platform::kAttrReparsePoint, 0u);
      EXPECT_EQ(Lower(reached), Lower(outside + "pin.txt"));
    } else {
      EXPECT_NE(attributes & platform::kAttrReparsePoint, 0u);
      EXPECT_EQ(Lower(reached), Lower(folder_ + "link.txt"));
    }
  }
}

// Wine lists a link to a folder as a reparse point too, as Windows does.
TEST_F(InFolderContract, AListingHasEveryEntryButTheDotsWithItsSizeAndAttributes) {
  PutFile(folder_ + "a.bin", "aaa");
  PutFolder(folder_ + "sub");
  PutFile(folder_ + "sub\\b.bin", "bb");
  ASSERT_TRUE(MakeLink(folder_ + "loop", folder_.substr(0, folder_.size() - 1), true));
  platform::ScopedHandle folder = platform::HoldFolder(folder_);
  const std::vector<platform::FindData> entries = Listing(folder.Get());
  ASSERT_EQ(entries.size(), 3u) << entries[0].name;
  EXPECT_EQ(entries[0].name, "a.bin");
  EXPECT_EQ(entries[0].size, 3u);
  EXPECT_EQ(entries[0].attributes & platform::kAttrDirectory, 0u);
  EXPECT_EQ(entries[1].name, "loop");
  EXPECT_NE(entries[1].attributes & platform::kAttrReparsePoint, 0u);
  EXPECT_EQ(entries[2].name, "sub");
  EXPECT_EQ(entries[2].attributes & (platform::kAttrDirectory | platform::kAttrReparsePoint),
            platform::kAttrDirectory);

  platform::ScopedHandle sub =
      OpenInFolder(folder.Get(), "sub", InFolderAccess::kList, FileShare::kRead);
  const std::vector<platform::FindData> below = Listing(sub.Get());
  ASSERT_EQ(below.size(), 1u);
  EXPECT_EQ(below[0].name, "b.bin");
  EXPECT_EQ(below[0].size, 2u);

  platform::ScopedHandle file =
      OpenInFolder(folder.Get(), "a.bin", InFolderAccess::kRead, FileShare::kRead);
  std::vector<platform::FindData> untouched = {{"kept", 0, 0}};
  EXPECT_FALSE(platform::ListFolder(file.Get(), &untouched));
  ASSERT_EQ(untouched.size(), 1u);
  EXPECT_EQ(untouched[0].name, "kept");
  platform::ScopedHandle empty = platform::HoldFolder(NewFolder());
  EXPECT_TRUE(Listing(empty.Get()).empty());
}

}  // namespace
}  // namespace velt::contract
