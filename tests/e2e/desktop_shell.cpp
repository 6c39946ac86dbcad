#include "tests/e2e/desktop_shell.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/e2e_files.h"
#include "tools/win/common/linked_token.h"

namespace velt::e2e {
namespace {

HANDLE Shell = nullptr;
HANDLE Hijacker = nullptr;  // the elevated program whose window was made the shell's

DWORD ShellWindowProcess() {
  DWORD process = 0;
  HWND shell = GetShellWindow();
  if (shell != nullptr)
    GetWindowThreadProcessId(shell, &process);
  return process;
}

std::string ToolPath() {
  return ToWinePath(VELT_TOOLS_DIR "/desktop-shell.exe");
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

}  // namespace

bool EnsureDesktopShell() {
  if (ShellWindowProcess() != 0)
    return true;
  const std::string record = NewRecordPath("shell");
  std::string command =
      "\"" + ToolPath() + "\" \"" + record + "\" " + std::to_string(GetCurrentProcessId());
  DWORD shell_id = 0;
  const bool started = velt::tools::StartAsLinkedUser(command, &Shell, &shell_id);
  EXPECT_TRUE(started) << "cannot start the desktop shell with the linked token: "
                       << GetLastError();
  if (!started)
    return false;
  const std::string line = AwaitRecord(record);
  EXPECT_EQ(line, "shell elevated=0\r\n");
  EXPECT_EQ(ShellWindowProcess(), shell_id);
  return line == "shell elevated=0\r\n" && ShellWindowProcess() == shell_id;
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
  // An elevated program's ordinary window, made with this process's token.
  const std::string window_record = NewRecordPath("window");
  std::string command = "\"" + ToolPath() + "\" --window \"" + window_record + "\" " +
                        std::to_string(GetCurrentProcessId());
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    ADD_FAILURE() << "cannot start the elevated program: " << GetLastError();
    return false;
  }
  CloseHandle(info.hThread);
  Hijacker = info.hProcess;
  const std::string window_line = AwaitRecord(window_record);
  const size_t elevated = window_line.find(" elevated=1\r\n");
  EXPECT_EQ(window_line.compare(0, 7, "window="), 0) << window_line;
  EXPECT_NE(elevated, std::string::npos) << window_line;
  if (window_line.compare(0, 7, "window=") != 0 || elevated == std::string::npos)
    return false;
  const std::string window = window_line.substr(7, elevated - 7);
  // An unelevated program claims that window for the shell.
  const std::string claim_record = NewRecordPath("claim");
  std::string claim = "\"" + ToolPath() + "\" --claim " + window + " \"" + claim_record + "\"";
  HANDLE claimer = nullptr;
  DWORD claimer_id = 0;
  if (!velt::tools::StartAsLinkedUser(claim, &claimer, &claimer_id)) {
    ADD_FAILURE() << "cannot start the claim with the linked token: " << GetLastError();
    return false;
  }
  DWORD exit_code = 1;
  WaitForSingleObject(claimer, 30000);
  GetExitCodeProcess(claimer, &exit_code);
  CloseHandle(claimer);
  EXPECT_EQ(exit_code, 0u) << "SetShellWindow on the elevated program's window failed";
  const std::string claim_line = AwaitRecord(claim_record);
  EXPECT_EQ(claim_line, "claimed elevated=0\r\n");
  EXPECT_EQ(ShellWindowProcess(), info.dwProcessId);
  return exit_code == 0 && claim_line == "claimed elevated=0\r\n" &&
         ShellWindowProcess() == info.dwProcessId;
}

}  // namespace velt::e2e
