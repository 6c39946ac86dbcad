// The updater against unusual machines: installations found without an
// uninstall entry or through odd "UninstallString" forms, registry values of a
// wrong type, a running Velt in front of a damaged installer, and other Windows
// versions reported to the updater. Every registry value a test changes is put
// back by a SavedRegistryValue, also when the test fails.
#include <string>
#include <utility>
#include <vector>

#include "driver/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_registry.h"
#include "tests/e2e/saved_registry_value.h"

namespace velt::e2e {
namespace {

constexpr char kSystemKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kAppDefaultsKey[] = "Software\\Wine\\AppDefaults\\";

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

// Runs `command` in `folder` and returns what it printed on standard output.
std::string CaptureOutput(std::string command, const std::string& folder) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0))
    return std::string();
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  PROCESS_INFORMATION info = {};
  BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                nullptr, folder.c_str(), &startup, &info);
  CloseHandle(write_end);
  std::string output;
  if (started) {
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(read_end, chunk, sizeof(chunk), &got, nullptr) && got > 0)
      output.append(chunk, got);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  CloseHandle(read_end);
  return output;
}

// The value of the line "name=value" in `report`, or empty.
std::string ReportLine(const std::string& report, const std::string& name) {
  size_t at = report.find(name + "=");
  if (at == std::string::npos)
    return std::string();
  at += name.size() + 1;
  return report.substr(at, report.find_first_of("\r\n", at) - at);
}

class RobustnessE2eTest : public UpdateE2eTest {
 protected:
  // What a run that stopped before writing leaves: the old package, no size.
  void ExpectNothingWritten(const std::string& before) {
    EXPECT_TRUE(ReadPackage() == before) << "the package was replaced";
    EXPECT_FALSE(FileExists(PackagePath() + ".new"));
    DWORD kib = 0;
    EXPECT_FALSE(ReadEstimatedSize(&kib)) << "EstimatedSize written: " << kib;
  }

  void ExpectSilentUpdate(const UpdateRun& run) {
    EXPECT_EQ(run.exit_code, kExitOk);
    EXPECT_TRUE(run.boxes.empty()) << Ansi(run.boxes[0].caption) << ": " << Ansi(run.boxes[0].text);
    EXPECT_TRUE(ReadPackage() == CarriedPackage());
  }

  // What the start-up code of a program named velt-update.exe learns about
  // the system under the current Wine settings (describe-windows.exe renamed).
  std::string ProbeReportedSystem() {
    const std::string probe_folder = root() + "probe\\";
    CreateDirectoryA(probe_folder.c_str(), nullptr);
    const std::string probe = probe_folder + "velt-update.exe";
    EXPECT_TRUE(CopyFileA(ToWinePath(VELT_TOOLS_DIR "/describe-windows.exe").c_str(), probe.c_str(),
                          FALSE));
    return CaptureOutput("\"" + probe + "\"", probe_folder);
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

// Windows 8 and later make the start-up code run "ver" in cmd.exe, so cmd.exe
// gets the same version as the updater. A probe under the updater's file name
// confirms that Wine reports the version; a 64-bit prefix may refuse XP.
TEST_F(RobustnessE2eTest, SilentUpdateWorksUnderOtherReportedVersions) {
  const std::string updater_name = UpdaterPath().substr(UpdaterPath().find_last_of('\\') + 1);
  ASSERT_EQ(updater_name, "velt-update.exe");
  const std::string updater_key = kAppDefaultsKey + updater_name;
  const std::string cmd_key = std::string(kAppDefaultsKey) + "cmd.exe";
  SavedRegistryValue updater_version(HKEY_CURRENT_USER, updater_key, "Version");
  SavedRegistryValue cmd_version(HKEY_CURRENT_USER, cmd_key, "Version");
  ASSERT_TRUE(updater_version.ok() && cmd_version.ok());

  struct Case {
    const char* wine_version;
    const char* true_version;  // prefix of what RtlGetVersion reports
    const char* version_words;
  };
  for (const Case& c :
       {Case{"win8", "6.2.", "8 "}, Case{"win10", "10.0.", "10 "}, Case{"winxp", "5.1.", "XP "}}) {
    SCOPED_TRACE(c.wine_version);
    ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, updater_key, "Version", c.wine_version));
    ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, cmd_key, "Version", c.wine_version));
    const std::string report = ProbeReportedSystem();
    const std::string true_version = ReportLine(report, "true_version");
    if (std::string(c.wine_version) != "winxp" || true_version.rfind("5.", 0) == 0) {
      EXPECT_EQ(true_version.rfind(c.true_version, 0), 0u) << report;
      EXPECT_EQ(ReportLine(report, "version_words"), std::string("[") + c.version_words + "]")
          << report;
    }
    WritePackage(PackageWithVersionByte(42));
    ExpectSilentUpdate(RunUpdate({"modest"}, {IDOK}));
  }
  EXPECT_TRUE(updater_version.Restore());
  EXPECT_TRUE(cmd_version.Restore());
}

}  // namespace
}  // namespace velt::e2e
