// Starting a program as the desktop's user: this process's elevation, the
// shell's process, the user's environment, and process creation with a token.
#include <vector>

#include "platform/process.h"
#include "platform/win32/owners_win32.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

namespace platform {
namespace {

// The interactive desktop of the token's session.
char InteractiveDesktop[] = "winsta0\\default";
wchar_t WideInteractiveDesktop[] = L"winsta0\\default";

}  // namespace

Elevation GetProcessElevation() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
    return Elevation::kUnknown;
  ScopedHandle owned(token);
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (!::GetTokenInformation(token, ::TokenElevationType, &type, sizeof(type), &size)) {
    // Before Windows Vista the class does not exist: no token is split.
    return ::GetLastError() == ERROR_INVALID_PARAMETER ? Elevation::kNone : Elevation::kUnknown;
  }
  switch (type) {
    case TokenElevationTypeDefault:  // no linked token: the user's own rights
    case TokenElevationTypeLimited:  // the unelevated half
      return Elevation::kNone;
    case TokenElevationTypeFull:
      return Elevation::kSplit;
  }
  return Elevation::kUnknown;
}

uint32_t GetShellProcessId() {
  static auto get_shell_window =
      LoadSystemFunction<HWND(WINAPI*)()>("user32.dll", "GetShellWindow");
  static auto get_window_process =
      LoadSystemFunction<DWORD(WINAPI*)(HWND, LPDWORD)>("user32.dll", "GetWindowThreadProcessId");
  if (!get_shell_window || !get_window_process)
    return 0;
  HWND shell = get_shell_window();
  DWORD process_id = 0;
  if (shell == nullptr || get_window_process(shell, &process_id) == 0)
    return 0;
  return process_id;
}

ScopedEnvironmentBlock CreateEnvironmentBlock(RawHandle token) {
  static auto create = LoadSystemFunction<BOOL(WINAPI*)(LPVOID*, HANDLE, BOOL)>(
      "userenv.dll", "CreateEnvironmentBlock");
  void* block = nullptr;
  if (!create || !create(&block, token, FALSE))
    return ScopedEnvironmentBlock();
  return ScopedEnvironmentBlock(block);
}

bool DestroyEnvironmentBlock(RawHandle block) {
  static auto destroy =
      LoadSystemFunction<BOOL(WINAPI*)(LPVOID)>("userenv.dll", "DestroyEnvironmentBlock");
  return destroy && destroy(block);
}

bool CreateProcessWithToken(RawHandle token,
                            const std::string& application,
                            const std::string& directory,
                            int show_window,
                            RawHandle environment) {
  std::string command_line = "\"" + application + "\"";
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  startup.lpDesktop = InteractiveDesktop;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show_window);
  PROCESS_INFORMATION created;
  ZeroMemory(&created, sizeof(created));
  const char* folder = directory.empty() ? nullptr : directory.c_str();
  if (::CreateProcessAsUserA(token, application.c_str(), line.data(), nullptr, nullptr, FALSE,
                             CREATE_UNICODE_ENVIRONMENT, environment, folder, &startup, &created)) {
    OwnProcessInformation(created);  // not waited for: closed at once
    return true;
  }
  if (::GetLastError() != ERROR_PRIVILEGE_NOT_HELD)
    return false;
  // An administrator may not assign a primary token, but the secondary logon
  // service may start a program with it.
  using CreateWithTokenFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                                LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
  auto create_with_token =
      LoadedSystemFunction<CreateWithTokenFunction>("advapi32.dll", "CreateProcessWithTokenW");
  if (!create_with_token)
    return false;
  std::vector<wchar_t> wide_application = Wide(application);
  std::vector<wchar_t> wide_line = Wide(command_line);
  std::vector<wchar_t> wide_directory = Wide(directory);
  STARTUPINFOW wide_startup;
  ZeroMemory(&wide_startup, sizeof(wide_startup));
  wide_startup.cb = sizeof(wide_startup);
  wide_startup.lpDesktop = WideInteractiveDesktop;
  wide_startup.dwFlags = STARTF_USESHOWWINDOW;
  wide_startup.wShowWindow = static_cast<WORD>(show_window);
  if (!create_with_token(token, 0, wide_application.data(), wide_line.data(),
                         CREATE_UNICODE_ENVIRONMENT, environment,
                         directory.empty() ? nullptr : wide_directory.data(), &wide_startup,
                         &created)) {
    return false;
  }
  OwnProcessInformation(created);
  return true;
}

}  // namespace platform
