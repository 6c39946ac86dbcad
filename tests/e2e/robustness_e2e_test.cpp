// The updater against unusual machines: installations found without an
// uninstall entry or through odd "UninstallString" forms, registry values of a
// wrong type and a running Velt in front of a damaged installer. Every registry value a test
// changes is put back by a SavedRegistryValue, also when the test fails.
#include <string>
#include <utility>
#include <vector>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_registry.h"
#include "tests/e2e/saved_registry_value.h"

namespace velt::e2e {
namespace {

constexpr char kSystemKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Ansi(const std::wstring& text) {
  return ToCodePage(text, 1252);
}

// The built-in messages are Russian in these user locales, English elsewhere.
bool CyrillicUser() {
  for (LCID cyrillic : {1026, 1049, 1058, 1059, 1087, 1092, 2073}) {
    if (GetUserDefaultLCID() == cyrillic)
      return true;
  }
  return false;
}

// A REG_SZ value in the 64-bit view; empty when missing or of another type.
std::string ReadRegistryString(HKEY root, const std::string& key, const std::string& name) {
  char buffer[MAX_PATH] = {};
  DWORD size = sizeof(buffer);
  if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr,
                   buffer, &size) != ERROR_SUCCESS) {
    return std::string();
  }
  return buffer;
}

// Removes a folder the test created, also when the test fails.
class ScopedFolder {
 public:
  explicit ScopedFolder(std::string folder) : folder_(std::move(folder)) {}
  ScopedFolder(const ScopedFolder&) = delete;
  ScopedFolder& operator=(const ScopedFolder&) = delete;
  ~ScopedFolder() { RemoveTree(folder_); }

 private:
  std::string folder_;
};

class RobustnessE2eTest : public UpdateE2eTest {
 protected:
  // What a run that stopped before writing leaves: the old package, no size.
  void ExpectNothingWritten(const std::string& before) {
    EXPECT_TRUE(ReadPackage() == before) << "the package was replaced";
    EXPECT_FALSE(NewFileLeft());
    DWORD kib = 0;
    EXPECT_FALSE(ReadEstimatedSize(&kib)) << "EstimatedSize written: " << kib;
  }

  void ExpectSilentUpdate(const UpdateRun& run) {
    EXPECT_EQ(run.exit_code, kExitOk);
    EXPECT_TRUE(run.boxes.empty()) << Ansi(run.boxes[0].caption) << ": " << Ansi(run.boxes[0].text);
    EXPECT_TRUE(ReadPackage() == CarriedPackage());
  }
};

TEST_F(RobustnessE2eTest, WithoutUninstallEntryTheProgramFilesFolderIsUpdated) {
  const std::string program_files =
      ReadRegistryString(HKEY_LOCAL_MACHINE, kSystemKey, "ProgramFilesDir");
  ASSERT_FALSE(program_files.empty()) << "the prefix has no ProgramFilesDir";
  const std::string velt = program_files + "\\Velt\\";
  if (GetFileAttributesA(velt.c_str()) != INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << velt << " exists already";
  ASSERT_TRUE(CreateDirectoryA(velt.c_str(), nullptr));
  ScopedFolder remove_afterwards(velt);
  ASSERT_TRUE(CreateDirectoryA((velt + "language").c_str(), nullptr));
  ASSERT_GT(CopyFolderFiles(folder() + "language\\", velt + "language\\"), 0);
  ASSERT_TRUE(CopyFileA(StandInPath().c_str(), (velt + "velt.exe").c_str(), FALSE));
  const std::string old_package = PackageWithVersionByte(42);
  ASSERT_TRUE(WriteBinaryFile(velt + "vtup.cok", old_package));
  RemoveUninstallEntry();

  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_TRUE(run.boxes.empty()) << Ansi(run.boxes[0].text);
  EXPECT_TRUE(ReadBinaryFile(velt + "vtup.cok") == CarriedPackage());
  EXPECT_TRUE(ReadPackage() == old_package) << "the temporary installation was updated";
  DWORD kib = 0;
  ASSERT_TRUE(ReadEstimatedSize(&kib));
  EXPECT_EQ(kib, FolderBytes(velt) / 1024);
}

TEST_F(RobustnessE2eTest, QuotedUninstallStringWithArgumentsIsFound) {
  ASSERT_NE(folder().find(' '), std::string::npos) << "the folder should hold a blank";
  SetUninstallString("\"" + folder() + "uninst.exe\" /S");
  ExpectSilentUpdate(RunUpdate({"modest"}, {IDOK}));
}

TEST_F(RobustnessE2eTest, BareFileNameEntryFallsBackToWow6432Node) {
  SetUninstallString("uninst.exe");
  SetUninstallString(folder() + "uninst.exe", true);
  ExpectSilentUpdate(RunUpdate({"modest"}, {IDOK}));
}

TEST_F(RobustnessE2eTest, ShellFolderOfWrongTypeReportsNoRegistryAccess) {
  SavedRegistryValue desktop(HKEY_CURRENT_USER, kShellFoldersKey, "Desktop");
  ASSERT_TRUE(desktop.ok());
  ASSERT_TRUE(SetRegistryDword(HKEY_CURRENT_USER, kShellFoldersKey, "Desktop", 7));
  const std::string before = ReadPackage();

  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  EXPECT_TRUE(desktop.Restore());
  EXPECT_EQ(run.exit_code, kExitNoRegistryAccess);
  ASSERT_EQ(run.boxes.size(), 1u);
  if (CyrillicUser()) {
    EXPECT_EQ(run.boxes[0].caption, L"Обновление программы \"Вельт\"");
    EXPECT_EQ(run.boxes[0].text, L"Нет доступа к системному реестру");
  } else {
    EXPECT_EQ(run.boxes[0].caption, L"Velt update");
    EXPECT_EQ(run.boxes[0].text, L"No access to system registry");
  }
  EXPECT_EQ(run.boxes[0].buttons, std::vector<int>{IDOK});
  EXPECT_TRUE(run.boxes[0].has_icon);
  ExpectNothingWritten(before);
}

TEST_F(RobustnessE2eTest, ProgramFilesDirOfWrongTypeEndsInTheTopLevelReport) {
  SavedRegistryValue program_files(HKEY_LOCAL_MACHINE, kSystemKey, "ProgramFilesDir");
  ASSERT_TRUE(program_files.ok());
  ASSERT_TRUE(program_files.existed()) << "the prefix has no ProgramFilesDir";
  ASSERT_TRUE(SetRegistryDword(HKEY_LOCAL_MACHINE, kSystemKey, "ProgramFilesDir", 1));
  const std::string before = ReadPackage();

  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  EXPECT_TRUE(program_files.Restore());
  EXPECT_EQ(run.exit_code, kExitUncaughtError);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Ansi(run.boxes[0].caption), "Application Error");
  const std::string text = Ansi(run.boxes[0].text);
  EXPECT_EQ(text.rfind("Exception ERegistryException in module velt-update.exe at ", 0), 0u)
      << text;
  const std::string message = ".\r\nInvalid data type for 'ProgramFilesDir'\r\n";
  EXPECT_EQ(text.size() > message.size() ? text.substr(text.size() - message.size()) : text,
            message);
  EXPECT_TRUE(run.boxes[0].has_icon);
  ExpectNothingWritten(before);
}

TEST_F(RobustnessE2eTest, RunningVeltQuitsEvenWhenTheInstallerIsDamaged) {
  const std::string damaged = WriteDamagedUpdater();
  ASSERT_FALSE(damaged.empty());
  UseUpdater(damaged);
  const std::string before = ReadPackage();
  ASSERT_TRUE(StartRunningVelt(-1));

  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  DWORD velt_exit = 99;
  ASSERT_TRUE(running_velt().WaitForExit(5000, &velt_exit)) << "Velt was not asked to quit";
  EXPECT_EQ(velt_exit, 0u);
  EXPECT_NE(RunningVeltRecord().find("\r\nquit\r\n"), std::string::npos) << RunningVeltRecord();
  EXPECT_EQ(run.exit_code, kExitSelfCheckFailed);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, CyrillicUser()
                                   ? L"Файл установки повреждён. Пожалуйста, загрузите его заново."
                                   : L"The installer is damaged. Please download it again.");
  ExpectNothingWritten(before);
}

}  // namespace
}  // namespace velt::e2e
