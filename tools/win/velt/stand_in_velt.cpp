// A stand-in for the installed program Velt, used by the end-to-end tests. To
// the updater it looks like a running Velt: it holds the named file mapping
// "velt_memfile", owns a top-level window of class "TVeltMainForm" and ends its
// message loop on WM_QUIT.
//
// Every start appends one line to the record file:
//   started elevated=<0|1> starter_variable=<0|1> profile=<0|1> cwd=<current directory>
//   args=<arguments joined by blanks>
// (one line; whether VELT_E2E_STARTER and USERPROFILE are set) and, when
// running, "quit" after WM_QUIT and "released" once the package file is
// closed. Without --stay the program exits right after recording, so a launch
// by the updater (verb "open", no parameters) leaves no process behind.
//
// Options:
//   --stay          run until WM_QUIT arrives
//   --record FILE   the record file (default: velt-started.txt next to velt.exe)
//   --hold          while running, keep the package file open without sharing
//   --hold-path P   the package file (default: vtup.cok in the current directory)
//   --hold-ms N     keep the package file open N ms after WM_QUIT (implies --hold)
// Exit code: 0; 2 when the options are wrong or the mapping or window fails.

#include <windows.h>

#include "tools/win/common/token_elevation.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Options {
  bool stay = false;
  bool hold = false;
  std::string record_path;
  std::string hold_path = "vtup.cok";
  DWORD hold_ms = 0;
};

std::string ExecutableFolder() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string CurrentDirectory() {
  char path[MAX_PATH] = {};
  DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
  return std::string(path, length);
}

bool ParseOptions(const std::vector<std::string>& args, Options* options) {
  options->record_path = ExecutableFolder() + "velt-started.txt";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool has_value = i + 1 < args.size();
    if (arg == "--stay") {
      options->stay = true;
    } else if (arg == "--hold") {
      options->hold = true;
    } else if (arg == "--record" && has_value) {
      options->record_path = args[++i];
    } else if (arg == "--hold-path" && has_value) {
      options->hold_path = args[++i];
    } else if (arg == "--hold-ms" && has_value) {
      options->hold = true;
      options->hold_ms = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
    } else {
      return false;
    }
  }
  return true;
}

// Appends `line` and CR LF to the record file; other processes may read it meanwhile.
void Record(const std::string& path, const std::string& line) {
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  std::string data = line + "\r\n";
  DWORD written = 0;
  WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK MainFormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND CreateMainForm(HINSTANCE instance) {
  WNDCLASSA form_class = {};
  form_class.lpfnWndProc = MainFormProc;
  form_class.hInstance = instance;
  form_class.lpszClassName = "TVeltMainForm";
  if (!RegisterClassA(&form_class))
    return nullptr;
  return CreateWindowExA(0, "TVeltMainForm", "Velt", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
}

// Runs as the running program: mapping, optional package hold, window, message loop.
int RunAsVelt(HINSTANCE instance, const Options& options) {
  HANDLE mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, "velt_memfile");
  if (mapping == nullptr)
    return 2;
  HANDLE package = INVALID_HANDLE_VALUE;
  if (options.hold) {
    package = CreateFileA(options.hold_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (package == INVALID_HANDLE_VALUE)
      return 2;
  }
  if (CreateMainForm(instance) == nullptr)
    return 2;

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  Record(options.record_path, "quit");
  if (package != INVALID_HANDLE_VALUE) {
    Sleep(options.hold_ms);
    CloseHandle(package);
    Record(options.record_path, "released");
  }
  CloseHandle(mapping);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::vector<std::string> args(__argv + 1, __argv + __argc);
  std::string joined;
  for (const std::string& arg : args)
    joined += (joined.empty() ? "" : " ") + arg;

  Options options;
  bool valid = ParseOptions(args, &options);
  const auto is_set = [](const char* name) {
    return GetEnvironmentVariableA(name, nullptr, 0) > 0 ? "1" : "0";
  };
  Record(options.record_path, "started elevated=" + std::to_string(velt::tools::Elevated()) +
                                  " starter_variable=" + is_set("VELT_E2E_STARTER") +
                                  " profile=" + is_set("USERPROFILE") +
                                  " cwd=" + CurrentDirectory() + " args=" + joined);
  if (!valid)
    return 2;
  return options.stay ? RunAsVelt(instance, options) : 0;
}
