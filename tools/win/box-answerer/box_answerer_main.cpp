// box-answerer: runs a command line and answers its message boxes from a script.
//
//   box-answerer [--answer yes|no|ok]... [--timeout-ms N] [--desktop-shell SHELL.EXE]
//                -- COMMAND LINE
//
// --desktop-shell: where the system has no desktop shell of its own (Wine 8;
// Wine 10's explorer is one, waited for), first starts SHELL.EXE (the stand-in
// desktop shell) with this user's unelevated token, as a user's desktop runs,
// and waits until its window is the shell window; it ends with this process.
//
// Everything after " -- " is the child's command line, used verbatim. Each box
// is printed to stdout (UTF-8) as one line:
//   box caption="..." text="..." buttons=yes:&Yes,no:&No icon=1 topmost=1 pressed=yes
// with CR and LF in texts shown as \r and \n. The first line tells how the child
// runs: "process bits=32 wow64=1" for a 32-bit program on 64-bit Windows (in
// this 64-bit prefix, "bits=64 wow64=0" otherwise). Exit code: the child's, 124 when
// the child was still running after the timeout (default 60 s) and was ended,
// 125 when the arguments are wrong or the child could not be started.

#include <windows.h>

#include "tools/win/common/user_tokens.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/common/wine_version.h"
#include "tools/win/common/message_box_answerer.h"

namespace {

using velt::e2e::SeenBox;

int ParseAnswer(const std::string& word) {
  if (word == "yes")
    return IDYES;
  if (word == "no")
    return IDNO;
  if (word == "ok")
    return IDOK;
  if (word == "cancel")
    return IDCANCEL;
  return 0;
}

const char* ButtonName(int id) {
  switch (id) {
    case IDYES:
      return "yes";
    case IDNO:
      return "no";
    case IDOK:
      return "ok";
    case IDCANCEL:
      return "cancel";
    default:
      return "other";
  }
}

std::string Escaped(const std::wstring& text) {
  std::string result;
  for (char c : velt::e2e::ToUtf8(text)) {
    if (c == '\r') {
      result += "\\r";
    } else if (c == '\n') {
      result += "\\n";
    } else {
      result += c;
    }
  }
  return result;
}

void PrintBox(const SeenBox& box) {
  std::string buttons;
  for (size_t i = 0; i < box.buttons.size(); ++i) {
    buttons += std::string(i == 0 ? "" : ",") + ButtonName(box.buttons[i]) + ":" +
               Escaped(box.button_texts[i]);
  }
  std::printf("box caption=\"%s\" text=\"%s\" buttons=%s icon=%d topmost=%d pressed=%s\n",
              Escaped(box.caption).c_str(), Escaped(box.text).c_str(), buttons.c_str(),
              box.has_icon ? 1 : 0, box.topmost ? 1 : 0, ButtonName(box.pressed));
  std::fflush(stdout);
}

int Usage() {
  std::fprintf(stderr,
               "usage: box-answerer [--answer yes|no|ok]... [--timeout-ms N] "
               "[--desktop-shell SHELL.EXE] -- COMMAND LINE\n");
  return 125;
}

// Makes sure the desktop has a shell: the system's own (waited for) where
// there is one, else `shell` started as the user's ordinary desktop would.
bool EnsureDesktopShell(const std::string& shell) {
  GetDesktopWindow();  // Wine starts the desktop's explorer for it
  const int wait_ms = velt::test::SystemHasDesktopShell() ? 10000 : 0;
  for (int waited = 0; waited < wait_ms && GetShellWindow() == nullptr; waited += 20)
    Sleep(20);
  if (GetShellWindow() != nullptr)
    return true;
  HANDLE process = nullptr;
  DWORD process_id = 0;
  if (!velt::tools::StartAsUser(false,
                                "\"" + shell + "\" NUL " + std::to_string(GetCurrentProcessId()),
                                &process, &process_id))
    return false;
  CloseHandle(process);
  for (int waited = 0; waited < 10000 && GetShellWindow() == nullptr; waited += 20)
    Sleep(20);
  return GetShellWindow() != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> answers;
  DWORD timeout_ms = 60000;
  int i = 1;
  for (; i < argc && std::string(argv[i]) != "--"; ++i) {
    std::string arg = argv[i];
    if (arg == "--answer" && i + 1 < argc && ParseAnswer(argv[i + 1]) != 0) {
      answers.push_back(ParseAnswer(argv[++i]));
    } else if (arg == "--timeout-ms" && i + 1 < argc) {
      timeout_ms = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--desktop-shell" && i + 1 < argc) {
      if (!EnsureDesktopShell(argv[++i])) {
        std::fprintf(stderr, "box-answerer: cannot start the desktop shell (error %lu)\n",
                     GetLastError());
        return 125;
      }
    } else {
      return Usage();
    }
  }
  std::string whole = GetCommandLineA();
  size_t separator = whole.find(" -- ");
  if (i >= argc || separator == std::string::npos)
    return Usage();
  std::string command = whole.substr(separator + 4);

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION child = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &child)) {
    std::fprintf(stderr, "box-answerer: cannot start %s (error %lu)\n", command.c_str(),
                 GetLastError());
    return 125;
  }
  CloseHandle(child.hThread);
  BOOL wow64 = FALSE;
  IsWow64Process(child.hProcess, &wow64);
  std::printf("process bits=%d wow64=%d\n", wow64 ? 32 : 64, wow64 ? 1 : 0);
  std::fflush(stdout);

  velt::e2e::MessageBoxAnswerer answerer(child.dwProcessId, answers);
  DWORD started = GetTickCount();
  size_t printed = 0;
  while (WaitForSingleObject(child.hProcess, 20) == WAIT_TIMEOUT) {
    if (answerer.AnswerPending())
      PrintBox(answerer.boxes()[printed++]);
    if (GetTickCount() - started > timeout_ms) {
      std::fprintf(stderr, "box-answerer: timed out, ending the child\n");
      TerminateProcess(child.hProcess, 124);
      WaitForSingleObject(child.hProcess, 5000);
      return 124;
    }
  }
  DWORD exit_code = 0;
  GetExitCodeProcess(child.hProcess, &exit_code);
  CloseHandle(child.hProcess);
  return static_cast<int>(exit_code);
}
