// Where the installation is found, and what the environment step refuses.
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "platform/tregistry.h"
#include "startup/gather_environment.h"
#include "startup/install_environment.h"
#include "startup/startup_settings.h"
#include "startup/uninstall_entry.h"
#include "startup/update_constants.h"
#include "sysinfo/os_description.h"

namespace {

const char kSystemKey[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
const char kPlainEntry[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velt";
const char kWowEntry[] =
    "HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velt";

class InstallEnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetWorld();
    fake::SetRegString(kSystemKey, "ProgramFilesDir", "C:\\Program Files");
  }
  void TearDown() override {
    velt::EndInstallEnvironment();
    velt::EndStartupSettings();
    velt::EndSystemDescription();
  }
  bool Gather() {
    velt::StartSystemDescription();
    velt::StartStartupSettings();
    velt::StartInstallEnvironment();
    velt::SetBuildConstants();
    velt::SetProgramNames();
    return velt::GatherEnvironment();
  }
};

TEST_F(InstallEnvironmentTest, NoUninstallEntryFallsBackToProgramFiles) {
  ASSERT_TRUE(Gather());
  EXPECT_EQ(velt::ProductFolder, "C:\\Program Files\\Velt\\");
  EXPECT_EQ(velt::UninstallKeyPath, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
}

TEST_F(InstallEnvironmentTest, NoProgramFilesAndNoEntryGiveARelativeFolder) {
  fake::ResetWorld();
  ASSERT_TRUE(Gather());
  EXPECT_EQ(velt::ProductFolder, "Velt\\");
}

TEST_F(InstallEnvironmentTest, PlainEntryWinsAndHidesTheWow64Entry) {
  fake::SetRegString(kPlainEntry, "UninstallString", "D:\\Apps\\Velt\\uninst.exe");
  fake::SetRegString(kWowEntry, "UninstallString", "E:\\Velt32\\uninst.exe");
  ASSERT_TRUE(Gather());
  EXPECT_EQ(velt::ProductFolder, "D:\\Apps\\Velt\\");
}

TEST_F(InstallEnvironmentTest, Wow64EntryIsUsedWhenThePlainOneIsMissing) {
  fake::SetRegString(kWowEntry, "UninstallString", "E:\\Velt32\\uninst.exe");
  ASSERT_TRUE(Gather());
  EXPECT_EQ(velt::ProductFolder, "E:\\Velt32\\");
}

TEST_F(InstallEnvironmentTest, PlainEntryWithoutAFolderPartCountsAsMissing) {
  fake::SetRegString(kPlainEntry, "UninstallString", "");
  fake::SetRegString(kWowEntry, "UninstallString", "E:\\Velt32\\uninst.exe");
  ASSERT_TRUE(Gather());
  EXPECT_EQ(velt::ProductFolder, "E:\\Velt32\\");
}

TEST_F(InstallEnvironmentTest, QuotedUninstallStringGivesTheFolderInsideTheQuotes) {
  fake::SetRegString(kPlainEntry, "UninstallString",
                     "\"C:\\Program Files\\Velt Pro\\uninst.exe\" /S");
  ASSERT_TRUE(Gather());
  EXPECT_EQ(velt::ProductFolder, "C:\\Program Files\\Velt Pro\\");
}

TEST_F(InstallEnvironmentTest, FolderPartRules) {
  std::string folder = "untouched";
  EXPECT_TRUE(velt::UninstallFolderPart("C:\\Velt\\uninst.exe", &folder));
  EXPECT_EQ(folder, "C:\\Velt\\");
  // The last character is never the separator.
  EXPECT_TRUE(velt::UninstallFolderPart("C:\\Velt\\", &folder));
  EXPECT_EQ(folder, "C:\\");
  EXPECT_TRUE(velt::UninstallFolderPart("\"C:\\A B\\u.exe\"", &folder));
  EXPECT_EQ(folder, "C:\\A B\\");
  EXPECT_TRUE(velt::UninstallFolderPart("\"C:\\A B\\u.exe", &folder));  // no closing mark
  EXPECT_EQ(folder, "C:\\A B\\");
  folder = "untouched";
  for (const char* value : {"", "\\", "uninst.exe", "\"\"", "\"uninst.exe\" C:\\x\\y"}) {
    EXPECT_FALSE(velt::UninstallFolderPart(value, &folder)) << value;
  }
  EXPECT_EQ(folder, "untouched");
}

TEST_F(InstallEnvironmentTest, Wow64PathInsertsAfterTheFirstBackslash) {
  EXPECT_EQ(velt::Wow64UninstallPath("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"),
            "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
}

TEST_F(InstallEnvironmentTest, NonAdministratorIsRecordedButNotRefusedHere) {
  fake::World().is_admin = false;
  ASSERT_TRUE(Gather());
  EXPECT_FALSE(velt::IsAdmin);
}

TEST_F(InstallEnvironmentTest, MissingShellFolderValuesAreNoError) {
  fake::AddRegKey("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  EXPECT_TRUE(Gather());
  EXPECT_TRUE(fake::World().boxes.empty());
}

TEST_F(InstallEnvironmentTest, NonStringShellFolderReportsNoRegistryAccess) {
  fake::SetRegValue("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                    "Startup", 3, "\x01\x02");
  EXPECT_FALSE(Gather());
  ASSERT_EQ(fake::World().boxes.size(), 1u);
  EXPECT_EQ(fake::World().boxes[0].text, "No access to system registry");
  EXPECT_EQ(velt::ProductFolder, "");
  EXPECT_EQ(velt::UninstallKeyPath, "");
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
}

TEST_F(InstallEnvironmentTest, NonStringShellFolderInRussian) {
  fake::World().lcid = 1049;
  fake::SetRegDword("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                    "Programs", 7);
  EXPECT_FALSE(Gather());
  ASSERT_EQ(fake::World().boxes.size(), 1u);
  // "Нет доступа к системному реестру"
  EXPECT_EQ(
      fake::World().boxes[0].text,
      "\xCD\xE5\xF2 \xE4\xEE\xF1\xF2\xF3\xEF\xE0 \xEA \xF1\xE8\xF1\xF2\xE5\xEC\xED\xEE\xEC\xF3 "
      "\xF0\xE5\xE5\xF1\xF2\xF0\xF3");
}

TEST_F(InstallEnvironmentTest, MachineKeyErrorsPassOnWithTheKeyClosed) {
  fake::SetRegDword(kSystemKey, "ProgramFilesDir", 1);
  EXPECT_THROW(Gather(), platform::ERegistryException);
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
  fake::ResetWorld();
  velt::EndStartupSettings();
  fake::SetRegDword(kPlainEntry, "UninstallString", 1);
  EXPECT_THROW(Gather(), platform::ERegistryException);
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
}

TEST_F(InstallEnvironmentTest, TrailingBackslashRule) {
  std::string path;
  velt::AddTrailingBackslash(path);
  EXPECT_EQ(path, "");
  path = "C:\\Velt";
  velt::AddTrailingBackslash(path);
  EXPECT_EQ(path, "C:\\Velt\\");
  velt::AddTrailingBackslash(path);
  EXPECT_EQ(path, "C:\\Velt\\");
}

}  // namespace
