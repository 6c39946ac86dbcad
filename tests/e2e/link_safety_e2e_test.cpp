// Links planted in a user-writable installation folder, as Unix symbolic
// links that Wine presents to the updater: at the data file's name, at the
// name the updater once used for its new file, the folder itself turned into a
// link while a question waits, and a link in the folder's path re-pointed
// while a question waits. Nothing outside the folder may be written, replaced
// or deleted.
#include <string>

#include "deployment/exit_codes.h"
#include "tests/common/unix_symlink.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_texts.h"

namespace velt::e2e {
namespace {

constexpr char kOutsideData[] = "a file outside the installation";

class LinkSafetyE2eTest : public UpdateE2eTest {
 protected:
  void SetUp() override {
    UpdateE2eTest::SetUp();
    outside_ = root() + "outside\\";
    ASSERT_TRUE(CreateDirectoryA(outside_.c_str(), nullptr));
    ASSERT_TRUE(WriteBinaryFile(outside_ + "victim.dat", kOutsideData));
  }
  void TearDown() override {
    // Links go first, by unlink(2), so that removing the tree never follows one.
    velt::test::UnixUnlink(PackagePath() + ".new");
    velt::test::UnixUnlink(root() + "via");
    if (velt::test::UnixUnlink(PackagePath()))
      WritePackage("the link is gone");
    UpdateE2eTest::TearDown();
  }

  void ExpectCantInstall(const UpdateRun& run, size_t box) {
    EXPECT_EQ(run.exit_code, kExitInstallFailed);
    ASSERT_GT(run.boxes.size(), box);
    EXPECT_EQ(ToCodePage(run.boxes[box].text, 1252), "Can't install file " + PackagePath());
  }
  // The outside folder holds exactly its one file, unchanged.
  void ExpectOutsideUntouched() {
    EXPECT_EQ(ReadBinaryFile(outside_ + "victim.dat"), kOutsideData);
    int files = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((outside_ + "*").c_str(), &entry);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry))
      files += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (find != INVALID_HANDLE_VALUE)
      FindClose(find);
    EXPECT_EQ(files, 1) << "a file was created outside the installation";
  }

  std::string outside_;
};

TEST_F(LinkSafetyE2eTest, ALinkAtTheDataFilesNameIsRefused) {
  ASSERT_TRUE(DeleteFileA(PackagePath().c_str()));
  ASSERT_TRUE(velt::test::MakeUnixSymlink(PackagePath(), outside_ + "victim.dat"));
  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  ExpectCantInstall(run, 0);
  ExpectOutsideUntouched();
  EXPECT_NE(GetFileAttributesA(PackagePath().c_str()), INVALID_FILE_ATTRIBUTES);
}

// A link at the data file's name to a file of the user's whose fifth byte
// would read as version 23, newer than the update: the version read does not
// follow it, so no older-version question is raised, and the installation
// refuses the link.
TEST_F(LinkSafetyE2eTest, ALinkAtTheDataFilesNameIsNotReadForItsVersion) {
  const std::string pin = root() + "pin.txt";
  ASSERT_TRUE(WriteBinaryFile(pin, "PIN=7391"));
  ASSERT_TRUE(DeleteFileA(PackagePath().c_str()));
  ASSERT_TRUE(velt::test::MakeUnixSymlink(PackagePath(), pin));
  UpdateRun run = RunUpdate({}, {IDYES, IDOK});
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252), kInstallAskText);
  ExpectCantInstall(run, 1);
  EXPECT_EQ(ReadBinaryFile(pin), "PIN=7391");
}

// A hard link at the data file's name to a file of the user's: its fifth byte
// is not read as the installed version, and the link is not replaced.
TEST_F(LinkSafetyE2eTest, AHardLinkAtTheDataFilesNameIsNotReadNorReplaced) {
  const std::string secret = root() + "secret.txt";
  const std::string log = root() + "update.log";
  ASSERT_TRUE(WriteBinaryFile(secret, "PASSWORD=hunter2"));
  ASSERT_TRUE(DeleteFileA(PackagePath().c_str()));
  ASSERT_TRUE(CreateHardLinkA(PackagePath().c_str(), secret.c_str(), nullptr));
  UpdateRun run = RunUpdate({"modest", "/SUPPRESSMSGBOXES", "/LOG=" + log}, {});
  EXPECT_EQ(run.exit_code, kExitInstallFailed);
  EXPECT_NE(ReadBinaryFile(log).find(" installed=- "), std::string::npos) << ReadBinaryFile(log);
  EXPECT_EQ(ReadPackage(), "PASSWORD=hunter2");
}

// The name the new file once had, predictable: a link there is never opened.
TEST_F(LinkSafetyE2eTest, ALinkAtTheOldTemporaryNameIsNeverFollowed) {
  ASSERT_TRUE(velt::test::MakeUnixSymlink(PackagePath() + ".new", outside_ + "victim.dat"));
  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_TRUE(ReadPackage() == CarriedPackage());
  ExpectOutsideUntouched();
}

// While the question waits, the installation folder is moved away and a link
// to another folder takes its name: the answer Yes must not write there.
TEST_F(LinkSafetyE2eTest, AFolderTurnedIntoALinkWhileAskingIsRefused) {
  ASSERT_TRUE(WriteBinaryFile(outside_ + "vtup.cok", kOutsideData));
  const std::string installation = folder().substr(0, folder().size() - 1);
  bool swapped = false;
  BeforeAnswering([&](size_t index, const SeenBox&) {
    if (index != 0)
      return;
    swapped = velt::test::UnixRename(installation, root() + "moved") &&
              velt::test::MakeUnixSymlink(installation, outside_.substr(0, outside_.size() - 1));
  });
  UpdateRun run = RunUpdate({}, {IDYES, IDNO});
  ASSERT_TRUE(swapped);
  ExpectCantInstall(run, 1);
  EXPECT_EQ(ReadBinaryFile(outside_ + "vtup.cok"), kOutsideData);
  EXPECT_EQ(ReadBinaryFile(outside_ + "victim.dat"), kOutsideData);
  // Put the folder back for the fixture to clean up.
  EXPECT_TRUE(velt::test::UnixUnlink(installation));
  EXPECT_TRUE(velt::test::UnixRename(root() + "moved", installation));
}

// "TheLastRunFolder" leads through a link of the user's to the installation;
// while the question waits the link is re-pointed at another installation
// with a newer data file and much in it. The folder resolved at the start is
// the one written, measured and started from; the other one is untouched.
TEST_F(LinkSafetyE2eTest, ALinkInTheFolderPathRepointedWhileAskingMovesNothing) {
  const std::string other = root() + "other\\Velt\\";
  ASSERT_TRUE(CreateDirectoryA((root() + "other").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((other + "language").c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(StandInPath().c_str(), (other + "velt.exe").c_str(), FALSE));
  ASSERT_GT(CopyFolderFiles(folder() + "language\\", other + "language\\"), 0);
  const std::string newer = PackageWithVersionByte(44);
  ASSERT_TRUE(WriteBinaryFile(other + "vtup.cok", newer));
  ASSERT_TRUE(WriteBinaryFile(other + "big.dat", std::string(3 << 20, 'b')));
  const std::string link = root() + "via";
  ASSERT_TRUE(velt::test::MakeUnixSymlink(link, root().substr(0, root().size() - 1)));
  SetUserSetting("TheLastRunFolder", link + "\\Velt");
  AlsoWatch(other + "vtup.cok");
  bool repointed = false;
  BeforeAnswering([&](size_t index, const SeenBox&) {
    if (index == 0) {
      repointed =
          velt::test::UnixUnlink(link) && velt::test::MakeUnixSymlink(link, root() + "other");
    }
  });
  UpdateRun run = RunUpdate({}, {IDYES, IDYES});
  ASSERT_TRUE(repointed);
  EXPECT_EQ(run.exit_code, kExitOk);
  ASSERT_EQ(run.boxes.size(), 2u) << "no older-version question, no failure";
  EXPECT_TRUE(ReadPackage() == CarriedPackage());
  EXPECT_EQ(ReadBinaryFile(other + "vtup.cok"), newer);
  ASSERT_TRUE(run.velt_launched);
  EXPECT_EQ(AsciiLower(run.velt_launch_cwd), AsciiLower(folder().substr(0, folder().size() - 1)));
  EXPECT_FALSE(FileExists(other + "velt-started.txt"));
  DWORD kib = 0;
  ASSERT_TRUE(ReadEstimatedSize(&kib));
  EXPECT_EQ(kib, (FolderBytes(folder()) - run.velt_launch_record.size()) / 1024);
}

}  // namespace
}  // namespace velt::e2e
