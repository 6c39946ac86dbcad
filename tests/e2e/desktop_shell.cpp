#include "tests/e2e/desktop_shell.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/common/wine_version.h"
#include "tests/e2e/e2e_files.h"
#include "tools/win/common/token_elevation.h"
#include "tools/win/common/user_tokens.h"

namespace velt::e2e {
namespace {

HANDLE Shell = nullptr;      // the stand-in started here
HANDLE Hijacker = nullptr;   // the elevated program whose window was made the shell's
HDESK OwnDesktop = nullptr;  // UseStandInShell's, this thread's while it exists
HDESK HomeDesktop = nullptr;
std::string OwnDesktopName;
// A thread of this process that stays on the home desktop meanwhile (a new
// thread starts on the process's desktop): Wine closes a desktop, and ends its
// explorer, once no program uses it.
HANDLE HomeKeeper = nullptr;
HANDLE HomeKeeperDone = nullptr;

DWORD WINAPI KeepHome(void*) {
  GetDesktopWindow();
  WaitForSingleObject(HomeKeeperDone, INFINITE);
  return 0;
}

DWORD ShellWindowProcess() {
  DWORD process = 0;
  HWND shell = GetShellWindow();
  if (shell != nullptr)
    GetWindowThreadProcessId(shell, &process);
  return process;
}

// The stand-in's path, quoted.
std::string QuotedTool() {
  std::string quoted = "\"";
  quoted += ToWinePath(VELT_TOOLS_DIR "/desktop-shell.exe");
  return quoted + "\"";
}

// A record file of the stand-in's, `what` telling which, removed first.
std::string NewRecordPath(const std::string& what) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string path =
      std::string(temp) + "velt-" + what + "-" + std::to_string(GetCurrentProcessId()) + ".txt";
  DeleteFileA(path.c_str());
  return path;
}

// The record's line once it is whole (created, then written); then removes it.
std::string AwaitRecord(const std::string& path) {
  std::string line;
  for (int waited = 0; waited < 10000; waited += 20) {
    line = ReadBinaryFile(path);
    if (!line.empty() && line.back() == '\n')
      break;
    Sleep(20);
  }
  DeleteFileA(path.c_str());
  return line;
}

void EndProcess(HANDLE* process) {
  if (*process == nullptr)
    return;
  TerminateProcess(*process, 0);
  WaitForSingleObject(*process, 5000);
  CloseHandle(*process);
  *process = nullptr;
}

// The stand-in, started with the user's unelevated token on the fixture's
// desktop, once its window is the shell window.
bool StartStandIn() {
  const std::string record = NewRecordPath("shell");
  const std::string command =
      QuotedTool() + " \"" + record + "\" " + std::to_string(GetCurrentProcessId());
  DWORD shell_id = 0;
  const bool started = tools::StartAsUser(false, command, &Shell, &shell_id, FixtureDesktop());
  EXPECT_TRUE(started) << "cannot start the desktop shell unelevated: " << GetLastError();
  if (!started)
    return false;
  const std::string line = AwaitRecord(record);
  EXPECT_EQ(line, "shell elevated=0\r\n");
  EXPECT_EQ(ShellWindowProcess(), shell_id);
  return line == "shell elevated=0\r\n" && ShellWindowProcess() == shell_id;
}

// Whether the process `id` runs elevated; true when it cannot be opened.
bool ProcessElevated(DWORD id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
  if (process == nullptr)
    return true;
  const bool elevated = tools::Elevated(process) != 0;
  CloseHandle(process);
  return elevated;
}

}  // namespace

bool EnsureDesktopShell() {
  if (OwnDesktop == nullptr && test::SystemHasDesktopShell()) {
    GetDesktopWindow();  // Wine starts the desktop's explorer for it
    // Seen once past 10 s under QEMU's emulation, with a lingering server.
    for (int waited = 0; waited < 30000 && ShellWindowProcess() == 0; waited += 20)
      Sleep(20);
  }
  const DWORD shell = ShellWindowProcess();
  if (shell == 0 && OwnDesktop == nullptr && test::SystemHasDesktopShell()) {
    ADD_FAILURE() << "the system's desktop shell does not show within 30 s (desktop window "
                  << GetDesktopWindow() << ", shell window " << GetShellWindow() << ")";
    return false;
  }
  if (shell == 0)
    return StartStandIn();
  const bool elevated = ProcessElevated(shell);
  EXPECT_FALSE(elevated) << "the desktop shell runs elevated";
  return !elevated;
}

bool UseStandInShell() {
  if (!test::SystemHasDesktopShell() || OwnDesktop != nullptr)
    return true;  // the stand-in is the shell already
  static int made = 0;
  const std::string name =
      "velt-e2e-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++made);
  HomeDesktop = GetThreadDesktop(GetCurrentThreadId());
  OwnDesktop = CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  if (OwnDesktop == nullptr || !SetThreadDesktop(OwnDesktop)) {
    ADD_FAILURE() << "cannot move to a desktop of its own: " << GetLastError();
    if (OwnDesktop != nullptr)
      CloseDesktop(OwnDesktop);
    OwnDesktop = nullptr;
    return false;
  }
  OwnDesktopName = "winsta0\\" + name;
  HomeKeeperDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HomeKeeper = CreateThread(nullptr, 0, KeepHome, nullptr, 0, nullptr);
  if (test::UnderWine()) {
    std::printf(
        "[ wine differs ] Wine %s: explorer, once ended, leaves its desktop window the shell "
        "window without a process until the wineserver ends (SetShellWindow refuses another "
        "window, a new explorer /desktop ends at once): the test runs on %s, which has no shell "
        "until the stand-in's\n",
        test::WineVersion(), OwnDesktopName.c_str());
  }
  return StartStandIn();
}

char* FixtureDesktop() {
  return OwnDesktop != nullptr ? &OwnDesktopName[0] : nullptr;
}

void LeaveOwnDesktop() {
  if (OwnDesktop == nullptr)
    return;
  EXPECT_TRUE(EndDesktopShell());
  EXPECT_TRUE(SetThreadDesktop(HomeDesktop)) << "error " << GetLastError();
  CloseDesktop(OwnDesktop);
  OwnDesktop = nullptr;
  OwnDesktopName.clear();
  SetEvent(HomeKeeperDone);
  WaitForSingleObject(HomeKeeper, 5000);
  CloseHandle(HomeKeeper);
  CloseHandle(HomeKeeperDone);
  HomeKeeper = HomeKeeperDone = nullptr;
}

bool EndDesktopShell() {
  EndProcess(&Shell);
  EndProcess(&Hijacker);
  for (int waited = 0; waited < 5000 && ShellWindowProcess() != 0; waited += 20)
    Sleep(20);
  return ShellWindowProcess() == 0;
}

bool HijackDesktopShell() {
  if (!EndDesktopShell()) {
    ADD_FAILURE() << "the desktop shell does not end";
    return false;
  }
  // An elevated program's ordinary window.
  const std::string window_record = NewRecordPath("window");
  const std::string command =
      QuotedTool() + " --window \"" + window_record + "\" " + std::to_string(GetCurrentProcessId());
  DWORD window_owner = 0;
  if (!tools::StartAsUser(true, command, &Hijacker, &window_owner, FixtureDesktop())) {
    ADD_FAILURE() << "cannot start the elevated program: " << GetLastError();
    return false;
  }
  const std::string window_line = AwaitRecord(window_record);
  const size_t elevated = window_line.find(" elevated=1\r\n");
  EXPECT_EQ(window_line.compare(0, 7, "window="), 0) << window_line;
  EXPECT_NE(elevated, std::string::npos) << window_line;
  if (window_line.compare(0, 7, "window=") != 0 || elevated == std::string::npos)
    return false;
  const std::string window = window_line.substr(7, elevated - 7);
  // An unelevated program claims that window for the shell.
  const std::string claim_record = NewRecordPath("claim");
  const std::string claim = QuotedTool() + " --claim " + window + " \"" + claim_record + "\"";
  HANDLE claimer = nullptr;
  DWORD claimer_id = 0;
  if (!tools::StartAsUser(false, claim, &claimer, &claimer_id, FixtureDesktop())) {
    ADD_FAILURE() << "cannot start the claim unelevated: " << GetLastError();
    return false;
  }
  DWORD exit_code = 1;
  WaitForSingleObject(claimer, 30000);
  GetExitCodeProcess(claimer, &exit_code);
  CloseHandle(claimer);
  EXPECT_EQ(exit_code, 0u) << "SetShellWindow on the elevated program's window failed";
  const std::string claim_line = AwaitRecord(claim_record);
  EXPECT_EQ(claim_line, "claimed elevated=0\r\n");
  EXPECT_EQ(ShellWindowProcess(), window_owner);
  return exit_code == 0 && claim_line == "claimed elevated=0\r\n" &&
         ShellWindowProcess() == window_owner;
}

}  // namespace velt::e2e
