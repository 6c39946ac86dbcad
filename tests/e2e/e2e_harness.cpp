#include "tests/e2e/e2e_harness.h"

#include <tlhelp32.h>

#include <cstring>

#include "tests/e2e/desktop_shell.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_registry.h"

namespace velt::e2e {

namespace {

constexpr char kLaunchRecordName[] = "velt-started.txt";

void ForgetRegistryState() {
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallEntryKey);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kWowUninstallEntryKey);
  DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
  DeleteRegistryKeyIfEmpty(HKEY_CURRENT_USER, kSettingsParentKey);
}

std::string TestDataLanguageFolder() {
  return ToWinePath(VELT_SOURCE_DIR "/tests/e2e/data/language/");
}

// Ids of the velt.exe processes whose parent is `parent_id`.
std::vector<DWORD> VeltChildren(DWORD parent_id) {
  std::vector<DWORD> children;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return children;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID == parent_id && lstrcmpiA(entry.szExeFile, "velt.exe") == 0) {
      children.push_back(entry.th32ProcessID);
    }
  }
  CloseHandle(snapshot);
  return children;
}

// What identifies one version of a file: its index, size and last write time.
// Replacing the file changes the index; a missing file gives `exists` false.
struct FileIdentity {
  bool exists = false;
  BY_HANDLE_FILE_INFORMATION info = {};

  static FileIdentity Of(const std::string& path) {
    FileIdentity identity;
    HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return identity;
    identity.exists = GetFileInformationByHandle(file, &identity.info) != FALSE;
    CloseHandle(file);
    return identity;
  }
  bool SameAs(const FileIdentity& other) const {
    return exists == other.exists &&
           (!exists || (info.nFileIndexHigh == other.info.nFileIndexHigh &&
                        info.nFileIndexLow == other.info.nFileIndexLow &&
                        info.nFileSizeLow == other.info.nFileSizeLow &&
                        CompareFileTime(&info.ftLastWriteTime, &other.info.ftLastWriteTime) == 0));
  }
};

// The machine type in the PE header of `exe`; 0 when it is not a PE file.
WORD PeMachine(const std::string& exe) {
  std::string head(4096, '\0');
  HANDLE file =
      CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  DWORD got = 0;
  ReadFile(file, &head[0], static_cast<DWORD>(head.size()), &got, nullptr);
  CloseHandle(file);
  head.resize(got);
  if (head.size() < 0x40 || head.compare(0, 2, "MZ") != 0)
    return 0;
  DWORD at = 0;
  std::memcpy(&at, head.data() + 0x3C, sizeof(at));
  WORD machine = 0;
  if (at + 6 > head.size() || head.compare(at, 4, std::string("PE\0\0", 4)) != 0)
    return 0;
  std::memcpy(&machine, head.data() + at + 4, sizeof(machine));
  return machine;
}

// The updater has ended. A launch it made shows as a velt.exe child still
// running or as the stand-in's launch record; the stand-in writes the record
// first thing and exits, so the children are waited for before it is read.
void CollectLaunch(DWORD updater_id, const std::string& folder, UpdateRun* run) {
  for (DWORD child_id : VeltChildren(updater_id)) {
    HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, child_id);
    if (child == nullptr)
      continue;
    WaitForSingleObject(child, 10000);
    CloseHandle(child);
  }
  bool ok = false;
  std::string record = ReadBinaryFile(folder + kLaunchRecordName, &ok);
  if (!ok)
    return;
  run->velt_launched = true;
  run->velt_launch_record = record;
  const size_t started = record.rfind("started elevated=");
  if (started == std::string::npos)
    return;
  run->velt_launch_elevated = record.compare(started + 17, 1, "1") == 0;
  size_t cwd = record.find(" cwd=", started);
  if (cwd == std::string::npos)
    return;
  cwd += 5;
  run->velt_launch_cwd = record.substr(cwd, record.find(" args=", cwd) - cwd);
}

// How the updater runs: its token's elevation type and its linked half's.
void ReadElevation(HANDLE process, UpdateRun* run) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token))
    return;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  TOKEN_LINKED_TOKEN linked = {};
  DWORD size = 0;
  if (GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size))
    run->updater_elevation = type;
  if (GetTokenInformation(token, TokenLinkedToken, &linked, sizeof(linked), &size)) {
    if (GetTokenInformation(linked.LinkedToken, TokenElevationType, &type, sizeof(type), &size))
      run->updater_linked_elevation = type;
    CloseHandle(linked.LinkedToken);
  }
  CloseHandle(token);
}

}  // namespace

std::string UpdateE2eTest::UpdaterPath() {
  return ToWinePath(VELT_UPDATE_EXE);
}
std::string UpdateE2eTest::StandInPath() {
  return ToWinePath(VELT_TOOLS_DIR "/velt.exe");
}

std::string UpdateE2eTest::MakeRoot() {
  return MakeTempFolder("velt e2e");
}

void UpdateE2eTest::SetUp() {
  ASSERT_TRUE(EnsureDesktopShell());
  ForgetRegistryState();
  root_ = MakeRoot();
  ASSERT_FALSE(root_.empty()) << "cannot create a temporary folder";
  folder_ = root_ + "Velt\\";
  ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((folder_ + "language").c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(StandInPath().c_str(), (folder_ + "velt.exe").c_str(), FALSE))
      << "cannot copy " << StandInPath();
  ASSERT_TRUE(UseLanguageFiles(TestDataLanguageFolder()));
  WritePackage(PackageWithVersionByte(42));
  SetUninstallString(folder_ + "uninst.exe");
}

void UpdateE2eTest::TearDown() {
  running_velt_.End();
  LeaveOwnDesktop();
  ForgetRegistryState();
  if (!root_.empty()) {
    EXPECT_TRUE(RemoveTree(root_)) << "cannot remove " << root_;
  }
}

UpdateRun UpdateE2eTest::RunUpdate(const std::vector<std::string>& args,
                                   const std::vector<int>& answers,
                                   DWORD timeout_ms) {
  UpdateRun run;
  const std::string exe = updater_.empty() ? UpdaterPath() : updater_;
  EXPECT_EQ(PeMachine(exe), IMAGE_FILE_MACHINE_I386) << exe << " is not the 32-bit product";
  std::string command = "\"" + exe + "\"";
  for (const std::string& arg : args)
    command += " \"" + arg + "\"";
  std::vector<std::string> watched = watched_;
  watched.push_back(PackagePath());
  std::vector<FileIdentity> before;
  for (const std::string& path : watched)
    before.push_back(FileIdentity::Of(path));
  const bool settings_existed = RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.lpDesktop = FixtureDesktop();
  PROCESS_INFORMATION info = {};
  const BOOL created = token_ != nullptr
                           ? CreateProcessAsUserA(token_, nullptr, &command[0], nullptr, nullptr,
                                                  FALSE, 0, nullptr, root_.c_str(), &startup, &info)
                           : CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0,
                                            nullptr, root_.c_str(), &startup, &info);
  if (!created) {
    ADD_FAILURE() << "cannot start " << command << " (error " << GetLastError() << ")";
    return run;
  }
  CloseHandle(info.hThread);
  BOOL wow64 = FALSE;
  run.ran_as_32_bit = IsWow64Process(info.hProcess, &wow64) && wow64;

  MessageBoxAnswerer answerer(info.dwProcessId, answers);
  answerer.BeforePress(before_answering_);
  DWORD started = GetTickCount();
  while (WaitForSingleObject(info.hProcess, 20) == WAIT_TIMEOUT) {
    answerer.AnswerPending();
    if (GetTickCount() - started > timeout_ms) {
      run.timed_out = true;
      TerminateProcess(info.hProcess, 124);
      WaitForSingleObject(info.hProcess, 5000);
      ADD_FAILURE() << "velt-update did not end within " << timeout_ms << " ms";
      break;
    }
  }
  DWORD exit_code = 0;
  GetExitCodeProcess(info.hProcess, &exit_code);
  ReadElevation(info.hProcess, &run);  // as it ran (Wine 10 elevates as the program starts)
  CloseHandle(info.hProcess);
  run.exit_code = static_cast<int>(exit_code);
  run.boxes = answerer.boxes();
  CollectLaunch(info.dwProcessId, folder_, &run);
  bool package_written = false;
  for (size_t i = 0; i < watched.size(); ++i)
    package_written = package_written || !FileIdentity::Of(watched[i]).SameAs(before[i]);
  run.reached_program = !run.boxes.empty() || (run.exit_code >= 1 && run.exit_code <= 8) ||
                        run.exit_code == 1618 || run.exit_code == 1622 || run.exit_code == 1639 ||
                        package_written ||
                        (!settings_existed && RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey));
  EXPECT_TRUE(run.ran_as_32_bit) << command << " did not run as a 32-bit process";
  EXPECT_TRUE(run.reached_program || run.timed_out)
      << command << " ended with " << run.exit_code
      << " without a box, a failure code, a written package or its settings key: did it run?";
  return run;
}

std::string UpdateE2eTest::WriteDamagedUpdater() {
  std::string exe = ReadBinaryFile(UpdaterPath());
  const std::string carried = CarriedPackage();
  const size_t at = exe.find(carried.substr(0, 4096));
  if (carried.empty() || at == std::string::npos) {
    ADD_FAILURE() << "payload not found in the executable";
    return std::string();
  }
  exe[at + carried.size() / 2] ^= 0x20;
  const std::string damaged = root_ + "damaged-update.exe";
  if (!WriteBinaryFile(damaged, exe)) {
    ADD_FAILURE() << "cannot write " << damaged;
    return std::string();
  }
  return damaged;
}

bool UpdateE2eTest::NewFileLeft() const {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((PackagePath() + ".*.tmp").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return false;
  FindClose(find);
  return true;
}

std::string UpdateE2eTest::PackageWithVersionByte(uint8_t version_byte) {
  std::string bytes = "vtup";
  bytes += static_cast<char>(version_byte);
  bytes += std::string("\x01\x02\x03 old package", 15);
  return bytes;
}

void UpdateE2eTest::WritePackage(const std::string& bytes) {
  ASSERT_TRUE(WriteBinaryFile(PackagePath(), bytes));
}

std::string UpdateE2eTest::ReadPackage() const {
  return ReadBinaryFile(PackagePath());
}

std::string UpdateE2eTest::CarriedPackage() {
  bool ok = false;
  std::string bytes = ReadBinaryFile(ToWinePath(VELT_BINARY_DIR "/payload/vtup.cok"), &ok);
  EXPECT_TRUE(ok) << "the build's payload file is missing";
  return bytes;
}

bool UpdateE2eTest::UseLanguageFiles(const std::string& source_folder) {
  std::string language = folder_ + "language\\";
  RemoveTree(language);
  CreateDirectoryA(language.c_str(), nullptr);
  return CopyFolderFiles(source_folder, language) > 0;
}

std::string UpdateE2eTest::SampleLanguageFolder() {
  std::string folder = ToWinePath(VELT_SOURCE_DIR "/samples/installation/language/");
  return FileExists(folder + "english.lng") ? folder : std::string();
}

void UpdateE2eTest::SetUninstallString(const std::string& value, bool wow6432_node) {
  ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE,
                                wow6432_node ? kWowUninstallEntryKey : kUninstallEntryKey,
                                "UninstallString", value));
}

void UpdateE2eTest::RemoveUninstallEntry() {
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallEntryKey);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kWowUninstallEntryKey);
}

void UpdateE2eTest::SetUserSetting(const std::string& name, const std::string& value) {
  ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, kSettingsKey, name, value));
}

bool UpdateE2eTest::ReadEstimatedSize(DWORD* kib) const {
  return ReadRegistryDword(HKEY_LOCAL_MACHINE, kUninstallEntryKey, "EstimatedSize", kib);
}

bool UpdateE2eTest::StartRunningVelt(int hold_ms) {
  return running_velt_.Start(StandInPath(), folder_, root_ + "running-velt.txt", hold_ms);
}

std::string UpdateE2eTest::RunningVeltRecord() const {
  return ReadBinaryFile(root_ + "running-velt.txt");
}

}  // namespace velt::e2e
