// The update sequence's decision table on the fake machine.
#include "driver/tests/update_fixture.h"

namespace velt_test {
namespace {

using platform::kIdNo;
using platform::kIdYes;

constexpr uint32_t kQuestionStyle = 0x42024;
constexpr uint32_t kErrorStyle = 0x200010;

TEST_F(UpdateTest, InteractiveYesYesWritesRecordsAndLaunchesFromTheFolder) {
  Answer({kIdYes, kIdYes});
  EXPECT_EQ(Run(), velt::kExitOk);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].caption, "soundquest");
  EXPECT_EQ(Boxes()[0].text, "installask: Live update / Flute 11");
  EXPECT_EQ(Boxes()[1].caption, "Live update");
  EXPECT_EQ(Boxes()[1].text, "installdone: Live update (Flute 11)\r\n\r\nasktorun?");
  for (const auto& box : Boxes()) {
    EXPECT_TRUE(box.extended);
    EXPECT_EQ(box.style, kQuestionStyle);
    EXPECT_EQ(box.language, 1033);
  }
  EXPECT_TRUE(Package() == BuiltPayload());
  ASSERT_NE(EstimatedSize(), nullptr);
  EXPECT_EQ(EstimatedSize()->type, platform::kRegDword);
  ASSERT_EQ(fake::World().launches.size(), 1u);
  const fake::LaunchRecord& launch = fake::World().launches[0];
  EXPECT_EQ(launch.verb, "open");
  EXPECT_EQ(launch.file, std::string(kVeltFolder) + "Velt.exe");
  EXPECT_EQ(launch.parameters, "");
  EXPECT_EQ(launch.directory, "");
  EXPECT_EQ(launch.show, 1);
  EXPECT_EQ(launch.current_directory, fake::NormalizePath(kVeltFolder));
}

TEST_F(UpdateTest, EstimatedSizeIsTheFolderSizeInKilobytesAfterTheWrite) {
  Answer({kIdYes, kIdNo});
  EXPECT_EQ(Run(), velt::kExitOk);
  uint64_t total = 0;
  for (const auto& [path, entry] : fake::World().entries) {
    if (!entry.directory && path.rfind(fake::NormalizePath(kVeltFolder), 0) == 0) {
      total += entry.data.size();
    }
  }
  ASSERT_NE(EstimatedSize(), nullptr);
  uint32_t recorded = 0;
  for (int i = 3; i >= 0; --i) {
    recorded = (recorded << 8) | static_cast<unsigned char>(EstimatedSize()->data[i]);
  }
  EXPECT_EQ(recorded, total / 1024);
  EXPECT_TRUE(fake::World().launches.empty());
}

TEST_F(UpdateTest, DecliningTheInstallQuestionChangesNothing) {
  Answer({kIdNo});
  EXPECT_EQ(Run(), velt::kExitOk);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
  EXPECT_EQ(EstimatedSize(), nullptr);
  EXPECT_TRUE(fake::World().launches.empty());
}

TEST_F(UpdateTest, OnlyYesCountsAsYes) {
  Answer({platform::kIdOk});
  EXPECT_EQ(Run(), velt::kExitOk);
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
}

TEST_F(UpdateTest, NewerInstalledPackageAsksFirstAndNoEndsTheUpdate) {
  fake::AddFile(std::string(kVeltFolder) + "vtup.cok", PackageWithVersionByte(44));
  Answer({kIdNo});
  EXPECT_EQ(Run(), velt::kExitOk);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "olderfilever: vtup.cok");
  EXPECT_EQ(Boxes()[0].caption, "soundquest");
  EXPECT_EQ(Boxes()[0].style, kQuestionStyle);
  EXPECT_EQ(Package(), PackageWithVersionByte(44));
}

TEST_F(UpdateTest, NewerInstalledPackageAcceptedStillAsksToInstall) {
  fake::AddFile(std::string(kVeltFolder) + "vtup.cok", PackageWithVersionByte(44));
  Answer({kIdYes, kIdNo});
  EXPECT_EQ(Run(), velt::kExitOk);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1].text, "installask: Live update / Flute 11");
  EXPECT_EQ(Package(), PackageWithVersionByte(44));
}

// Versions that are not newer than the update ask no older-version question.
TEST_F(UpdateTest, EqualLowerNegativeOrShortPackagesAskOnlyToInstall) {
  const std::string cases[] = {PackageWithVersionByte(43), PackageWithVersionByte(31),
                               PackageWithVersionByte(0), "vtup", ""};
  for (const std::string& package : cases) {
    SetUp();
    fake::AddFile(std::string(kVeltFolder) + "vtup.cok", package);
    Answer({kIdNo});
    EXPECT_EQ(Run(), velt::kExitOk);
    ASSERT_EQ(Boxes().size(), 1u) << package.size();
    EXPECT_EQ(Boxes()[0].text, "installask: Live update / Flute 11");
    EndModules();
  }
}

TEST_F(UpdateTest, NoPackageFileSkipsTheVersionTestAndTheWait) {
  fake::World().entries.erase(fake::NormalizePath(std::string(kVeltFolder) + "vtup.cok"));
  Answer({kIdYes, kIdNo});
  EXPECT_EQ(Run(), velt::kExitOk);
  EXPECT_TRUE(fake::World().sleeps.empty());
  EXPECT_EQ(Boxes()[0].text, "installask: Live update / Flute 11");
  EXPECT_TRUE(Package() == BuiltPayload());
}

TEST_F(UpdateTest, PackageHeldTooLongShowsFileCantOpenAfterSeventeenTries) {
  fake::FindEntry(std::string(kVeltFolder) + "vtup.cok")->held_until_ms = 1000000;
  EXPECT_EQ(Run(), velt::kExitPackageLocked);
  EXPECT_EQ(fake::World().sleeps, std::vector<uint32_t>(17, 256));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "filecantopen: " + std::string(kVeltFolder) + "vtup.cok");
  EXPECT_EQ(Boxes()[0].caption, "Velt (test)");
  EXPECT_EQ(Boxes()[0].style, kErrorStyle);
  EXPECT_EQ(Boxes()[0].language, 1033);
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
}

TEST_F(UpdateTest, PackageReleasedWithinTheRetryWindowIsRead) {
  fake::FindEntry(std::string(kVeltFolder) + "vtup.cok")->held_until_ms = 4000;
  Answer({kIdNo});
  EXPECT_EQ(Run(), velt::kExitOk);
  EXPECT_EQ(fake::World().sleeps.size(), 16u);
  EXPECT_EQ(Boxes()[0].text, "installask: Live update / Flute 11");
}

TEST_F(UpdateTest, ModestWritesSilentlyAndDoesNotLaunch) {
  fake::AddFile(std::string(kVeltFolder) + "vtup.cok", PackageWithVersionByte(44));
  EXPECT_EQ(Run("modest"), velt::kExitOk);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Package() == BuiltPayload());
  EXPECT_NE(EstimatedSize(), nullptr);
  EXPECT_TRUE(fake::World().launches.empty());
}

TEST_F(UpdateTest, ModestWithRunAppInAnyCaseLaunches) {
  EXPECT_EQ(Run("MODEST RunApp"), velt::kExitOk);
  EXPECT_TRUE(Boxes().empty());
  ASSERT_EQ(fake::World().launches.size(), 1u);
  EXPECT_EQ(fake::World().launches[0].file, std::string(kVeltFolder) + "Velt.exe");
}

TEST_F(UpdateTest, ModestDoesNotWaitForALockedPackage) {
  fake::FindEntry(std::string(kVeltFolder) + "vtup.cok")->held_until_ms = 1000;
  EXPECT_EQ(Run("modest"), velt::kExitOk);
  EXPECT_TRUE(Package() == BuiltPayload());
}

TEST_F(UpdateTest, RunAppWithoutModestIsIgnored) {
  Answer({kIdYes, kIdNo});
  EXPECT_EQ(Run("other runapp"), velt::kExitOk);
  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_TRUE(fake::World().launches.empty());
}

TEST_F(UpdateTest, FailedWriteShowsNoCompletionAndEndsWithItsOwnCode) {
  fake::World().disk_free_bytes = 1000;
  Answer({kIdYes, kIdYes});
  EXPECT_EQ(Run(), velt::kExitInstallFailed);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1].text, "Can't install file " + std::string(kVeltFolder) + "vtup.cok");
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
  EXPECT_TRUE(fake::World().launches.empty());
}

TEST_F(UpdateTest, FailedSilentWriteStillStartsVeltWithRunApp) {
  fake::World().disk_free_bytes = 1000;
  EXPECT_EQ(Run("modest runapp"), velt::kExitInstallFailed);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
  EXPECT_EQ(fake::World().launches.size(), 1u);
}

TEST_F(UpdateTest, NoVeltExeShowsTheNoInstallationMessage) {
  fake::World().entries.erase(fake::NormalizePath(std::string(kVeltFolder) + "velt.exe"));
  EXPECT_EQ(Run("modest"), velt::kExitNoInstallation);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "There's no Velt installed.\r\nPlease install the program first.");
  EXPECT_EQ(Boxes()[0].caption, "Velt update");
  EXPECT_FALSE(Boxes()[0].extended);
  EXPECT_EQ(Boxes()[0].style, kErrorStyle);
}

TEST_F(UpdateTest, NoInstallationMessageInRussianIsWindows1251) {
  fake::World().lcid = 1049;
  fake::World().entries.erase(fake::NormalizePath(std::string(kVeltFolder) + "velt.exe"));
  EXPECT_EQ(Run(), velt::kExitNoInstallation);
  ASSERT_EQ(Boxes().size(), 1u);
  // "Нет установленной программы "Вельт"!" and "Пожалуйста, сначала установите её."
  EXPECT_EQ(Boxes()[0].text,
            "\xCD\xE5\xF2 \xF3\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED\xED\xEE\xE9 "
            "\xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB \"\xC2\xE5\xEB\xFC\xF2\"!\r\n"
            "\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, \xF1\xED\xE0\xF7\xE0\xEB\xE0 "
            "\xF3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xE5 \xE5\xB8.");
  // "Обновление программы "Вельт""
  EXPECT_EQ(Boxes()[0].caption,
            "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB "
            "\"\xC2\xE5\xEB\xFC\xF2\"");
  EXPECT_EQ(Boxes()[0].language, 0x0019);
  EXPECT_TRUE(Boxes()[0].extended);
}

TEST_F(UpdateTest, LastRunFolderWithoutVeltWinsOverAValidUninstallEntry) {
  fake::AddDirectory("D:\\Elsewhere");
  fake::SetRegString(kSettingsKey, "TheLastRunFolder", "D:\\Elsewhere");
  EXPECT_EQ(Run("modest"), velt::kExitNoInstallation);
  EXPECT_EQ(velt::ProductFolder, "D:\\Elsewhere\\");
}

// The current directory is the folder; like any other it is resolved once, so
// every later step works in it even when the current directory changes.
TEST_F(UpdateTest, EmptyLastRunFolderLooksInTheCurrentDirectory) {
  fake::SetRegString(kSettingsKey, "TheLastRunFolder", "");
  fake::World().current_directory = fake::NormalizePath(kVeltFolder);
  EXPECT_EQ(Run("modest runapp"), velt::kExitOk);
  EXPECT_EQ(velt::ProductFolder, kVeltFolder);
  EXPECT_TRUE(Package() == BuiltPayload());
  ASSERT_EQ(fake::World().launches.size(), 1u);
  EXPECT_EQ(fake::World().launches[0].file, std::string(kVeltFolder) + "Velt.exe");
}

TEST_F(UpdateTest, SettingsKeyIsCreatedEvenWhenNothingIsWritten) {
  Answer({kIdNo});
  Run();
  EXPECT_TRUE(fake::RegKeyExists(kSettingsKey));
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
}

TEST_F(UpdateTest, NotAnAdministratorIsToldInTheLoadedLanguage) {
  fake::World().is_admin = false;
  EXPECT_EQ(Run("modest"), velt::kExitNotAdmin);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "noright line 1\r\nnoright line 2");
  EXPECT_EQ(Boxes()[0].caption, "Velt (test)");
  EXPECT_EQ(Boxes()[0].style, kErrorStyle);
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
}

TEST_F(UpdateTest, MissingLanguageFileEndsBeforeAnythingIsWritten) {
  fake::World().entries.erase(
      fake::NormalizePath(std::string(kVeltFolder) + "language\\english.lng"));
  EXPECT_EQ(Run("modest"), velt::kExitLanguageFailed);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
  EXPECT_EQ(EstimatedSize(), nullptr);
}

TEST_F(UpdateTest, RunningVeltIsAskedToQuitEvenWhenTheSelfCheckFails) {
  fake::World().existing_mappings.push_back("velt_memfile");
  fake::World().windows["TVeltMainForm"] = reinterpret_cast<void*>(0x777);
  fake::World().resources[{"VTUP", "COK"}][100] ^= 1;
  EXPECT_EQ(Run("modest"), velt::kExitSelfCheckFailed);
  ASSERT_EQ(fake::World().posts.size(), 1u);
  EXPECT_EQ(fake::World().posts[0].window, reinterpret_cast<void*>(0x777));
  EXPECT_EQ(fake::World().posts[0].message, 0x12u);
  EXPECT_EQ(fake::World().posts[0].wparam, 0u);
  EXPECT_EQ(fake::World().posts[0].lparam, 0);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
}

int OpenMappingHandles() {
  int count = 0;
  for (const auto& [id, handle] : fake::World().handles) {
    count += handle.kind == fake::FakeHandle::kMapping;
  }
  return count;
}

TEST_F(UpdateTest, ProbeKeepsTheMappingOnlyWhileVeltRuns) {
  Answer({kIdNo});
  Run();
  EXPECT_EQ(OpenMappingHandles(), 0);
  EXPECT_TRUE(fake::World().open_mappings.empty());
  EXPECT_TRUE(fake::World().posts.empty());
  EndModules();
  SetUp();
  fake::World().existing_mappings.push_back("velt_memfile");
  Answer({kIdNo});
  Run();
  EXPECT_EQ(OpenMappingHandles(), 1);        // the probe's, kept until the module ends
  EXPECT_TRUE(fake::World().posts.empty());  // no window of the class: nothing posted
  EndModules();
  EXPECT_EQ(OpenMappingHandles(), 0);
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

TEST_F(UpdateTest, UnreadableShellFoldersEndTheUpdate) {
  fake::SetRegDword("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                    "Desktop", 1);
  EXPECT_EQ(Run("modest"), velt::kExitNoRegistryAccess);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "No access to system registry");
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
}

TEST_F(UpdateTest, Wow64EntryGivesTheFolderButTheSizeGoesToThePlainPath) {
  fake::World().registry.erase(
      "|hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\velt");
  ASSERT_FALSE(fake::RegKeyExists(kUninstallKey));
  fake::AddFile("D:\\Velt32\\velt.exe", "MZ");
  fake::AddFile("D:\\Velt32\\language\\english.lng", EnglishLanguageFile());
  fake::SetRegString(
      "HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velt",
      "UninstallString", "D:\\Velt32\\uninst.exe");
  EXPECT_EQ(Run("modest"), velt::kExitOk);
  EXPECT_TRUE(fake::FileData("D:\\Velt32\\vtup.cok") == BuiltPayload());
  EXPECT_TRUE(fake::RegKeyExists(kUninstallKey));
  EXPECT_NE(EstimatedSize(), nullptr);
}

}  // namespace
}  // namespace velt_test
