// How the updater finds the installation end to end: the uninstall entries,
// "TheLastRunFolder" (a drive root too), and the message when there is no
// installation.
#include <string>

#include "deployment/exit_codes.h"
#include "tests/common/spare_drive.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_texts.h"

namespace velt::e2e {
namespace {

class InstallationLookupE2eTest : public UpdateE2eTest {};

void ExpectNoInstallationBox(const UpdateRun& run) {
  EXPECT_EQ(run.exit_code, kExitNoInstallation);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].caption, 1252), kNoInstallationCaption);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252), kNoInstallationText);
  EXPECT_EQ(run.boxes[0].buttons, std::vector<int>{IDOK});
  EXPECT_TRUE(run.boxes[0].has_icon);
}

TEST_F(InstallationLookupE2eTest, MissingVeltExeShowsTheNoInstallationMessage) {
  ASSERT_TRUE(DeleteFileA((folder() + "velt.exe").c_str()));
  std::string before = ReadPackage();
  UpdateRun run = RunUpdate({"modest"}, {IDOK});

  ExpectNoInstallationBox(run);
  EXPECT_EQ(ReadPackage(), before);
}

TEST_F(InstallationLookupE2eTest, LastRunFolderWithoutVeltWinsOverTheUninstallEntry) {
  std::string empty_folder = root() + "elsewhere";
  ASSERT_TRUE(CreateDirectoryA(empty_folder.c_str(), nullptr));
  SetUserSetting("TheLastRunFolder", empty_folder);
  UpdateRun run = RunUpdate({"modest"}, {IDOK});

  ExpectNoInstallationBox(run);
}

TEST_F(InstallationLookupE2eTest, LastRunFolderPointsAtTheInstallation) {
  RemoveUninstallEntry();
  SetUserSetting("TheLastRunFolder", folder().substr(0, folder().size() - 1));
  UpdateRun run = RunUpdate({"modest"}, {});

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ReadPackage(), CarriedPackage());
}

// The installation at a drive root: a drive letter of its own mapped to the
// installation folder, named by "TheLastRunFolder" as "W:\".
TEST_F(InstallationLookupE2eTest, LastRunFolderAtADriveRootIsUpdated) {
  test::SpareDrive drive;
  const std::string root = drive.Map(folder());
  ASSERT_FALSE(root.empty()) << "no drive letter could be mapped";
  ASSERT_TRUE(FileExists(root + "velt.exe"));
  RemoveUninstallEntry();
  SetUserSetting("TheLastRunFolder", root);
  UpdateRun run = RunUpdate({"modest"}, {});

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].text;
  EXPECT_TRUE(ReadPackage() == CarriedPackage());
  EXPECT_FALSE(NewFileLeft());
}

TEST_F(InstallationLookupE2eTest, EntryUnderWow6432NodeIsFound) {
  RemoveUninstallEntry();
  SetUninstallString(folder() + "uninst.exe", true);
  UpdateRun run = RunUpdate({"modest"}, {});

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ReadPackage(), CarriedPackage());
  DWORD kib = 0;
  EXPECT_TRUE(ReadEstimatedSize(&kib)) << "EstimatedSize belongs under the plain path";
}

}  // namespace
}  // namespace velt::e2e
