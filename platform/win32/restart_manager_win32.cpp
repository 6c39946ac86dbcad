// The Restart Manager over rstrtmgr.dll, loaded from the system folder at first
// use (it is missing before Windows Vista).
#include "platform/restart_manager.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

#include <restartmanager.h>  // the types only: the functions are looked up at run time

namespace platform {
namespace {

constexpr char kRestartManager[] = "rstrtmgr.dll";
// A list that keeps growing between two calls is asked for this often at most.
constexpr int kListRounds = 4;

using StartSessionFunction = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using RegisterResourcesFunction =
    DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
using GetListFunction = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, LPDWORD);
using EndSessionFunction = DWORD(WINAPI*)(DWORD);

std::string Ansi(const WCHAR* text, size_t capacity) {
  size_t size = 0;
  while (size < capacity && text[size] != L'\0')
    ++size;
  const int length =
      ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
  std::string ansi(length > 0 ? length : 0, '\0');
  if (length > 0) {
    ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(size), &ansi[0], length, nullptr,
                          nullptr);
  }
  return ansi;
}

}  // namespace

uint32_t RmStartSession(uint32_t* session) {
  static auto start = LoadSystemFunction<StartSessionFunction>(kRestartManager, "RmStartSession");
  if (!start)
    return kErrorCallNotImplemented;
  DWORD handle = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  const DWORD error = start(&handle, 0, key);
  if (error == ERROR_SUCCESS)
    *session = handle;
  return error;
}

uint32_t RmRegisterFile(uint32_t session, const std::string& path) {
  static auto register_resources =
      LoadSystemFunction<RegisterResourcesFunction>(kRestartManager, "RmRegisterResources");
  if (!register_resources)
    return kErrorCallNotImplemented;
  const std::vector<wchar_t> wide = Wide(path);
  LPCWSTR files[] = {wide.data()};
  return register_resources(session, 1, files, 0, nullptr, 0, nullptr);
}

uint32_t RmGetList(uint32_t session, std::vector<RmProcess>* processes) {
  static auto get_list = LoadSystemFunction<GetListFunction>(kRestartManager, "RmGetList");
  if (!get_list)
    return kErrorCallNotImplemented;
  std::vector<RM_PROCESS_INFO> list;
  for (int round = 0; round < kListRounds; ++round) {
    UINT needed = 0;
    UINT count = static_cast<UINT>(list.size());
    DWORD reasons = 0;
    const DWORD error =
        get_list(session, &needed, &count, list.empty() ? nullptr : list.data(), &reasons);
    if (error == ERROR_MORE_DATA) {
      list.resize(needed);
      continue;
    }
    if (error != ERROR_SUCCESS)
      return error;
    std::vector<RmProcess> found;
    for (UINT i = 0; i < count && i < list.size(); ++i) {
      found.push_back({list[i].Process.dwProcessId,
                       Ansi(list[i].strAppName, sizeof(list[i].strAppName) / sizeof(WCHAR))});
    }
    *processes = std::move(found);
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

uint32_t RmEndSession(uint32_t session) {
  static auto end = LoadSystemFunction<EndSessionFunction>(kRestartManager, "RmEndSession");
  if (!end)
    return kErrorCallNotImplemented;
  return end(session);
}

}  // namespace platform
