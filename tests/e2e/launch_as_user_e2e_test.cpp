// Who Velt runs as. The updater is elevated; when the user's desktop shell
// runs unelevated, Velt is started with the shell's token, so a velt.exe that
// the user could have planted (for example through "TheLastRunFolder") never
// gets the updater's rights. Without a desktop shell it is started as before.
//
// Under Wine every program runs elevated and there is no desktop shell; the
// stand-in tools/win/desktop-shell, started with the user's unelevated (linked)
// token, makes itself the shell window.
#include <string>

#include "startup/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

class LaunchAsUserE2eTest : public UpdateE2eTest {
 protected:
  void TearDown() override {
    EndDesktopShell();
    UpdateE2eTest::TearDown();
  }

  // Starts the stand-in shell with this process's linked, unelevated token and
  // waits until its window is the shell window.
  void StartUnelevatedDesktopShell() {
    HANDLE own = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own));
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    const BOOL has_linked =
        GetTokenInformation(own, TokenLinkedToken, &linked, sizeof(linked), &size);
    CloseHandle(own);
    ASSERT_TRUE(has_linked) << GetLastError();
    HANDLE primary = nullptr;
    ASSERT_TRUE(DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr,
                                 SecurityImpersonation, TokenPrimary, &primary));
    CloseHandle(linked.LinkedToken);
    const std::string record = root() + "shell.txt";
    std::string command =
        "\"" + ToWinePath(VELT_TOOLS_DIR "/desktop-shell.exe") + "\" \"" + record + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    const BOOL started = CreateProcessAsUserA(primary, nullptr, &command[0], nullptr, nullptr,
                                              FALSE, 0, nullptr, nullptr, &startup, &info);
    CloseHandle(primary);
    ASSERT_TRUE(started) << GetLastError();
    CloseHandle(info.hThread);
    shell_ = info.hProcess;
    for (int waited = 0; waited < 10000 && !FileExists(record); waited += 20)
      Sleep(20);
    ASSERT_EQ(ReadBinaryFile(record), "shell elevated=0\r\n");
    DWORD shell_process = 0;
    GetWindowThreadProcessId(GetShellWindow(), &shell_process);
    ASSERT_EQ(shell_process, info.dwProcessId);
  }

  void EndDesktopShell() {
    if (shell_ == nullptr)
      return;
    TerminateProcess(shell_, 0);
    WaitForSingleObject(shell_, 5000);
    CloseHandle(shell_);
    shell_ = nullptr;
    DWORD left = 0;
    GetWindowThreadProcessId(GetShellWindow(), &left);
    EXPECT_EQ(left, 0u) << "the stand-in shell window outlived its process";
  }

  void ExpectLaunchedFromTheFolder(const UpdateRun& run, const std::string& velt_folder) {
    ASSERT_TRUE(run.velt_launched);
    EXPECT_EQ(AsciiLower(run.velt_launch_cwd),
              AsciiLower(velt_folder.substr(0, velt_folder.size() - 1)));
    EXPECT_NE(run.velt_launch_record.find("args=\r\n"), std::string::npos)
        << run.velt_launch_record;
  }

  HANDLE shell_ = nullptr;
};

TEST_F(LaunchAsUserE2eTest, WithAnUnelevatedDesktopVeltStartsUnelevated) {
  StartUnelevatedDesktopShell();
  UpdateRun run = RunUpdate({}, {IDYES, IDYES});
  EXPECT_EQ(run.exit_code, kExitOk);
  ExpectLaunchedFromTheFolder(run, folder());
  EXPECT_FALSE(run.velt_launch_elevated);
}

TEST_F(LaunchAsUserE2eTest, WithoutADesktopShellVeltStartsAsBefore) {
  UpdateRun run = RunUpdate({"modest", "runapp"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  ExpectLaunchedFromTheFolder(run, folder());
  EXPECT_TRUE(run.velt_launch_elevated) << "Wine runs every program elevated";
}

// A folder the user controls, named by the per-user "TheLastRunFolder", with a
// velt.exe of the user's choosing: it runs, but with the user's own rights.
TEST_F(LaunchAsUserE2eTest, APlantedVeltFromTheLastRunFolderGetsNoAdminRights) {
  const std::string planted = root() + "planted\\";
  ASSERT_TRUE(CreateDirectoryA(planted.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((planted + "language").c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(StandInPath().c_str(), (planted + "velt.exe").c_str(), FALSE));
  ASSERT_GT(CopyFolderFiles(folder() + "language\\", planted + "language\\"), 0);
  SetUserSetting("TheLastRunFolder", planted);
  AlsoWatch(planted + "vtup.cok");
  StartUnelevatedDesktopShell();

  UpdateRun run = RunUpdate({"modest", "runapp"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_FALSE(FileExists(folder() + "velt-started.txt"));
  bool ok = false;
  const std::string record = ReadBinaryFile(planted + "velt-started.txt", &ok);
  ASSERT_TRUE(ok) << "the planted velt.exe was not started";
  EXPECT_NE(record.find("started elevated=0 "), std::string::npos) << record;
}

}  // namespace
}  // namespace velt::e2e
