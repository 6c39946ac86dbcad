#include "tests/e2e/stand_in_process.h"

namespace velt::e2e {

namespace {

struct FormSearch {
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK MatchForm(HWND window, LPARAM context) {
  FormSearch* search = reinterpret_cast<FormSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  if (owner != search->process_id || lstrcmpA(name, "TVeltMainForm") != 0)
    return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindMainForm(DWORD process_id) {
  FormSearch search{process_id, nullptr};
  EnumWindows(MatchForm, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void StandInProcess::End() {
  if (process_ == nullptr)
    return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  process_id_ = 0;
}

bool StandInProcess::Start(const std::string& exe,
                           const std::string& folder,
                           const std::string& record_path,
                           int hold_ms) {
  End();
  std::string command = "\"" + exe + "\" --stay --record \"" + record_path + "\"";
  if (hold_ms >= 0) {
    command += " --hold-path \"" + folder + "vtup.cok\" --hold-ms " + std::to_string(hold_ms);
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  process_id_ = info.dwProcessId;
  for (int waited = 0; waited < 10000; waited += 20) {
    if (FindMainForm(process_id_) != nullptr)
      return true;
    if (WaitForSingleObject(process_, 20) != WAIT_TIMEOUT)
      return false;
  }
  return false;
}

bool StandInProcess::WaitForExit(DWORD timeout_ms, DWORD* exit_code) {
  if (process_ == nullptr || WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) {
    return false;
  }
  GetExitCodeProcess(process_, exit_code);
  return true;
}

}  // namespace velt::e2e
