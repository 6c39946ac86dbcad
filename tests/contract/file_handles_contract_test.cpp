// Files through their handles: creation that never opens an existing name
// (links included), renames into an open folder and what they replace,
// deletion on close, how links look by name and through a handle, and folders
// that an open handle keeps where they are.
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

class FileHandlesContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    root_ = NewFolder();
    dir_ = root_ + "folder\\";
    PutFolder(dir_);
  }

  static ScopedHandle CreateNew(const std::string& path) {
    return platform::CreateFile(path, FileAccess::kWriteDelete, FileShare::kNone,
                                FileDisposition::kCreateNew);
  }
  // A new file holding "new", to be renamed over `name` in dir_.
  static ScopedHandle Written(const std::string& path) {
    ScopedHandle file = CreateNew(path);
    uint32_t count = 0;
    EXPECT_TRUE(file.IsValid() && platform::WriteFile(file.Get(), "new", 3, &count));
    return file;
  }

  std::string root_;
  std::string dir_;
};

TEST_F(FileHandlesContract, CreateNewNeverOpensAnExistingNameOrLink) {
  PutFile(root_ + "victim.txt", "victim");
  PutFile(dir_ + "plain.tmp", "plain");
  ASSERT_TRUE(MakeLink(dir_ + "link.tmp", root_ + "victim.txt", false));
  ASSERT_TRUE(MakeLink(dir_ + "dangling.tmp", root_ + "nowhere.txt", false));
  for (const char* name : {"plain.tmp", "link.tmp", "dangling.tmp"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(CreateNew(dir_ + name).IsValid());
    EXPECT_EQ(platform::GetLastError(), 80u);  // ERROR_FILE_EXISTS
  }
  EXPECT_EQ(FileBytes(root_ + "victim.txt"), "victim");
  EXPECT_FALSE(PathExists(root_ + "nowhere.txt"));
  EXPECT_TRUE(CreateNew(dir_ + "fresh.tmp").IsValid());
}

TEST_F(FileHandlesContract, RenameIntoTheOpenFolderReplacesTheOldFile) {
  PutFile(dir_ + "target.dat", "old content, longer");
  ScopedHandle folder = platform::OpenFolder(dir_);
  ASSERT_TRUE(folder.IsValid()) << platform::GetLastError();
  ScopedHandle written = Written(dir_ + "new.tmp");
  ASSERT_TRUE(platform::RenameFileByHandle(written.Get(), folder.Get(), "target.dat"))
      << platform::GetLastError();
  std::string reached;
  ASSERT_TRUE(platform::GetFinalPathNameByHandle(written.Get(), &reached));
  EXPECT_EQ(Lower(reached.substr(reached.size() - 17)), "folder\\target.dat");
  written.Reset();
  EXPECT_EQ(FileBytes(dir_ + "target.dat"), "new");
  EXPECT_FALSE(PathExists(dir_ + "new.tmp"));
}

// A link at the target name is replaced itself; its target stays whole.
TEST_F(FileHandlesContract, RenameOverALinkReplacesTheLinkNotItsTarget) {
  PutFile(root_ + "victim.txt", "victim");
  ASSERT_TRUE(MakeLink(dir_ + "target.dat", root_ + "victim.txt", false));
  ScopedHandle folder = platform::OpenFolder(dir_);
  ScopedHandle written = Written(dir_ + "new.tmp");
  ASSERT_TRUE(folder.IsValid() && written.IsValid());
  ASSERT_TRUE(platform::RenameFileByHandle(written.Get(), folder.Get(), "target.dat"));
  written.Reset();
  EXPECT_EQ(FileBytes(root_ + "victim.txt"), "victim");
  EXPECT_EQ(FileBytes(dir_ + "target.dat"), "new");
}

// The replacement is refused while the old file is open without sharing, is
// read-only or is a folder; the new file stays under its own name.
TEST_F(FileHandlesContract, RenameRefusesAHeldReadOnlyOrFolderTarget) {
  PutFile(dir_ + "held.dat", "old");
  PutFile(dir_ + "readonly.dat", "old");
  SetAttributes(dir_ + "readonly.dat", platform::kAttrReadOnly);
  PutFolder(dir_ + "folder.dat");
  ScopedHandle holder = platform::CreateFile(dir_ + "held.dat", FileAccess::kRead, FileShare::kNone,
                                             FileDisposition::kOpenExisting);
  ScopedHandle folder = platform::OpenFolder(dir_);
  ScopedHandle written = Written(dir_ + "new.tmp");
  ASSERT_TRUE(holder.IsValid() && folder.IsValid() && written.IsValid());
  bool read_only_replaced = false;
  for (const char* name : {"held.dat", "folder.dat", "readonly.dat"}) {
    SCOPED_TRACE(name);
    const bool renamed = platform::RenameFileByHandle(written.Get(), folder.Get(), name);
    if (name == std::string("readonly.dat") &&
        WineDiffers("a rename replaces a read-only file (seen as root)", kBeforeWine10)) {
      EXPECT_TRUE(renamed);
      read_only_replaced = renamed;
      continue;
    }
    EXPECT_FALSE(renamed);
    EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);
  }
  written.Reset();
  holder.Reset();
  EXPECT_EQ(FileBytes(dir_ + "held.dat"), "old");
  EXPECT_NE(platform::GetFileAttributes(dir_ + "folder.dat") & platform::kAttrDirectory, 0u);
  EXPECT_EQ(FileBytes(dir_ + "readonly.dat"), read_only_replaced ? "new" : "old");
  EXPECT_EQ(FileBytes(dir_ + "new.tmp"), read_only_replaced ? "<missing>" : "new");

  // A read-only file opens for deletion alone; its mark for deletion is refused.
  SetAttributes(dir_ + "readonly.dat", platform::kAttrReadOnly);  // again, where Wine replaced it
  ScopedHandle kept = platform::OpenInFolder(folder.Get(), "readonly.dat",
                                             platform::InFolderAccess::kDelete, FileShare::kNone);
  EXPECT_TRUE(kept.IsValid() && !platform::SetDeleteOnClose(kept.Get()));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);
}

// A file opened relative to its folder's handle lies in that folder whatever
// its path does; a folder at the name is refused; deletion through such a
// handle waits for no one but fails while another handle does not share it.
// Windows opens a link itself; Wine follows a Unix link to a file.
TEST_F(FileHandlesContract, AFileOpensRelativeToItsFoldersHandle) {
  PutFile(dir_ + "plain.txt", "plain");
  PutFolder(dir_ + "sub");
  PutFile(root_ + "victim.txt", "victim");
  ASSERT_TRUE(MakeLink(dir_ + "link.txt", root_ + "victim.txt", false));
  ScopedHandle folder = platform::OpenFolder(dir_);
  ASSERT_TRUE(folder.IsValid()) << platform::GetLastError();
  using platform::InFolderAccess;

  ScopedHandle plain = platform::OpenInFolder(folder.Get(), "plain.txt", InFolderAccess::kRead,
                                              platform::FileShare::kRead);
  ASSERT_TRUE(plain.IsValid()) << platform::GetLastError();
  char bytes[16] = {};
  uint32_t read = 0;
  ASSERT_TRUE(platform::ReadFile(plain.Get(), bytes, sizeof(bytes), &read));
  EXPECT_EQ(std::string(bytes, read), "plain");
  EXPECT_FALSE(platform::OpenInFolder(folder.Get(), "plain.txt", InFolderAccess::kDelete,
                                      platform::FileShare::kNone)
                   .IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorSharingViolation);

  EXPECT_FALSE(
      platform::OpenInFolder(folder.Get(), "sub", InFolderAccess::kRead, platform::FileShare::kRead)
          .IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);
  EXPECT_FALSE(platform::OpenInFolder(folder.Get(), "missing.txt", InFolderAccess::kRead,
                                      platform::FileShare::kRead)
                   .IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);

  ScopedHandle link = platform::OpenInFolder(folder.Get(), "link.txt", InFolderAccess::kDelete,
                                             platform::FileShare::kNone);
  ASSERT_TRUE(link.IsValid()) << platform::GetLastError();
  std::string reached;
  ASSERT_TRUE(platform::GetFinalPathNameByHandle(link.Get(), &reached));
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::GetFileAttributesByHandle(link.Get(), &attributes));
  if (WineDiffers("a relative open that asks not to follow links follows a Unix link to a file")) {
    EXPECT_EQ(Lower(reached), Lower(root_ + "victim.txt"));
  } else {
    EXPECT_EQ(Lower(reached), Lower(dir_ + "link.txt"));
    EXPECT_NE(attributes & platform::kAttrReparsePoint, 0u);
  }
  link.Reset();

  plain.Reset();
  ScopedHandle doomed = platform::OpenInFolder(folder.Get(), "plain.txt", InFolderAccess::kDelete,
                                               platform::FileShare::kNone);
  ASSERT_TRUE(doomed.IsValid()) << platform::GetLastError();
  ASSERT_TRUE(platform::SetDeleteOnClose(doomed.Get())) << platform::GetLastError();
  doomed.Reset();
  EXPECT_FALSE(PathExists(dir_ + "plain.txt"));
  EXPECT_EQ(FileBytes(root_ + "victim.txt"), "victim");
}

// A handle's owner closes it without touching the thread's last error, also
// when the close itself fails: a failure reported after a reset tells its own
// error.
TEST_F(FileHandlesContract, AResetKeepsTheThreadsLastError) {
  ScopedHandle file = Written(dir_ + "new.tmp");
  ASSERT_TRUE(file.IsValid());
  platform::SetLastError(platform::kErrorSharingViolation);
  file.Reset();
  EXPECT_EQ(platform::GetLastError(), platform::kErrorSharingViolation);

  ScopedHandle closed_once = Written(dir_ + "other.tmp");
  const platform::RawHandle stale = closed_once.Release();
  ASSERT_TRUE(platform::CloseHandle(stale));
  ScopedHandle stale_owner(stale);
  platform::SetLastError(platform::kErrorDiskFull);
  stale_owner.Reset();
  EXPECT_EQ(platform::GetLastError(), platform::kErrorDiskFull);
}

// Marked, the file is being deleted until its last handle closes: Windows
// refuses its opens by name, for its attributes too, with STATUS_DELETE_PENDING
// (reported as access denied; the platform tells it apart).
TEST_F(FileHandlesContract, DeleteOnCloseRemovesTheFileWhenItsHandleCloses) {
  ScopedHandle written = Written(dir_ + "new.tmp");
  ASSERT_TRUE(platform::SetDeleteOnClose(written.Get()));
  const uint32_t attributes = platform::GetFileAttributes(dir_ + "new.tmp");
  if (WineDiffers("a file marked for deletion still shows its attributes and opens by name")) {
    EXPECT_NE(attributes, platform::kInvalidFileAttributes);
  } else {
    EXPECT_EQ(platform::GetLastError(), platform::kErrorDeletePending);
    EXPECT_FALSE(platform::OpenForExamination(dir_ + "new.tmp").IsValid());
    EXPECT_EQ(platform::GetLastError(), platform::kErrorDeletePending);
  }
  written.Reset();
  EXPECT_FALSE(PathExists(dir_ + "new.tmp"));
}

// What the installation relies on to see links: on Windows every link shows
// as a reparse point, by name and through a handle that does not follow it,
// and that handle reaches the link itself.
TEST_F(FileHandlesContract, LinksShowThroughAttributesOrTheFinalPath) {
  PutFolder(root_ + "outside");
  PutFile(root_ + "outside\\victim.txt", "victim");
  ASSERT_TRUE(MakeLink(dir_ + "file.lnk", root_ + "outside\\victim.txt", false));
  ASSERT_TRUE(MakeLink(dir_ + "folder.lnk", root_ + "outside", true));

  const uint32_t folder_link = platform::GetFileAttributes(dir_ + "folder.lnk");
  EXPECT_NE(folder_link & platform::kAttrReparsePoint, 0u);
  EXPECT_NE(folder_link & platform::kAttrDirectory, 0u);
  ScopedHandle folder = platform::OpenFolder(dir_ + "folder.lnk");
  ScopedHandle file = platform::OpenForExamination(dir_ + "file.lnk");
  ASSERT_TRUE(folder.IsValid() && file.IsValid());
  uint32_t by_handle = 0;
  std::string folder_reached;
  std::string file_reached;
  ASSERT_TRUE(platform::GetFinalPathNameByHandle(folder.Get(), &folder_reached));
  ASSERT_TRUE(platform::GetFinalPathNameByHandle(file.Get(), &file_reached));
  if (WineDiffers("a Unix link to a file shows its target's attributes by name, and a handle "
                  "that asks not to follow links reaches the target of either kind")) {
    EXPECT_EQ(platform::GetFileAttributes(dir_ + "file.lnk") & platform::kAttrReparsePoint, 0u);
    EXPECT_EQ(Lower(file_reached), Lower(root_ + "outside\\victim.txt"));
    EXPECT_EQ(Lower(folder_reached), Lower(root_ + "outside"));
    return;
  }
  EXPECT_NE(platform::GetFileAttributes(dir_ + "file.lnk") & platform::kAttrReparsePoint, 0u);
  ASSERT_TRUE(platform::GetFileAttributesByHandle(file.Get(), &by_handle));
  EXPECT_NE(by_handle & platform::kAttrReparsePoint, 0u);
  ASSERT_TRUE(platform::GetFileAttributesByHandle(folder.Get(), &by_handle));
  EXPECT_NE(by_handle & platform::kAttrReparsePoint, 0u);
  EXPECT_EQ(Lower(file_reached), Lower(dir_ + "file.lnk"));
  EXPECT_EQ(Lower(folder_reached), Lower(dir_ + "folder.lnk"));
}

// While the installation holds its folder, no one moves or removes it; the
// folder held through a link is the link's target, known by its identity.
TEST_F(FileHandlesContract, AnOpenOrHeldFolderCanNeitherBeMovedNorRemoved) {
  const std::string folder = platform::WithoutTrailingBackslash(dir_);
  {
    ScopedHandle pinned = platform::OpenFolder(dir_);
    ASSERT_TRUE(pinned.IsValid()) << platform::GetLastError();
    EXPECT_FALSE(MovedByAnotherProgram(folder, root_ + "moved"));
    EXPECT_FALSE(RemovedByAnotherProgram(folder));
  }
  ASSERT_TRUE(MovedByAnotherProgram(folder, root_ + "moved")) << "free once closed";
  ASSERT_TRUE(MovedByAnotherProgram(root_ + "moved", folder));

  ASSERT_TRUE(MakeLink(root_ + "via", folder, true));
  {
    ScopedHandle held = platform::HoldFolder(root_ + "via\\");
    ASSERT_TRUE(held.IsValid()) << platform::GetLastError();
    std::string reached;
    ASSERT_TRUE(platform::GetFinalPathNameByHandle(held.Get(), &reached));
    EXPECT_EQ(Lower(reached.substr(reached.size() - 7)), "\\folder") << reached;
    EXPECT_TRUE(platform::SameFileObject(held.Get(), platform::OpenForExamination(folder).Get()));
    EXPECT_TRUE(platform::SameFileObject(
        held.Get(), platform::OpenForExaminationThroughLinks(root_ + "via").Get()));
    EXPECT_FALSE(platform::SameFileObject(held.Get(), platform::OpenForExamination(root_).Get()));
    EXPECT_FALSE(MovedByAnotherProgram(folder, root_ + "moved"));
    EXPECT_FALSE(RemovedByAnotherProgram(folder));
  }
  EXPECT_TRUE(RemovedByAnotherProgram(folder));
}

}  // namespace
}  // namespace velt::contract
