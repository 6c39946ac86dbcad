#include "tests/e2e/desktop_shell.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/e2e_files.h"
#include "tools/win/common/linked_token.h"

namespace velt::e2e {
namespace {

HANDLE Shell = nullptr;

DWORD ShellWindowProcess() {
  DWORD process = 0;
  HWND shell = GetShellWindow();
  if (shell != nullptr)
    GetWindowThreadProcessId(shell, &process);
  return process;
}

}  // namespace

bool EnsureDesktopShell() {
  if (ShellWindowProcess() != 0)
    return true;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string record =
      std::string(temp) + "velt-shell-" + std::to_string(GetCurrentProcessId()) + ".txt";
  DeleteFileA(record.c_str());
  std::string command = "\"" + ToWinePath(VELT_TOOLS_DIR "/desktop-shell.exe") + "\" \"" + record +
                        "\" " + std::to_string(GetCurrentProcessId());
  DWORD shell_id = 0;
  const bool started = velt::tools::StartAsLinkedUser(command, &Shell, &shell_id);
  EXPECT_TRUE(started) << "cannot start the desktop shell with the linked token: "
                       << GetLastError();
  if (!started)
    return false;
  // The record is created, then written: it is whole once its line ends.
  std::string line;
  for (int waited = 0; waited < 10000; waited += 20) {
    line = ReadBinaryFile(record);
    if (!line.empty() && line.back() == '\n')
      break;
    Sleep(20);
  }
  DeleteFileA(record.c_str());
  EXPECT_EQ(line, "shell elevated=0\r\n");
  EXPECT_EQ(ShellWindowProcess(), shell_id);
  return line == "shell elevated=0\r\n" && ShellWindowProcess() == shell_id;
}

bool EndDesktopShell() {
  if (Shell != nullptr) {
    TerminateProcess(Shell, 0);
    WaitForSingleObject(Shell, 5000);
    CloseHandle(Shell);
    Shell = nullptr;
  }
  for (int waited = 0; waited < 5000 && ShellWindowProcess() != 0; waited += 20)
    Sleep(20);
  return ShellWindowProcess() == 0;
}

}  // namespace velt::e2e
