// The stand-in Velt (tools/win/velt) started by a test as a running Velt: it
// holds "velt_memfile", owns a "TVeltMainForm" window and, optionally, holds
// the package file open without sharing.
#pragma once

#include <windows.h>

#include <string>

namespace velt::e2e {

class StandInProcess {
 public:
  StandInProcess() = default;
  StandInProcess(const StandInProcess&) = delete;
  StandInProcess& operator=(const StandInProcess&) = delete;
  ~StandInProcess() { End(); }
  // Ends the process when it is still running and lets go of it.
  void End();

  // Starts `exe` --stay --record `record_path` in `folder` (its current
  // directory); with `hold_ms` >= 0 it also holds `folder` + "vtup.cok" open and
  // keeps it `hold_ms` ms after WM_QUIT. Returns once its main window exists;
  // false when it did not start or show the window within 10 s.
  bool Start(const std::string& exe,
             const std::string& folder,
             const std::string& record_path,
             int hold_ms);
  // True when the process ended within `timeout_ms`; `*exit_code` is its exit code.
  bool WaitForExit(DWORD timeout_ms, DWORD* exit_code);
  DWORD process_id() const { return process_id_; }

 private:
  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
};

// The first top-level window of class "TVeltMainForm" owned by `process_id`, or null.
HWND FindMainForm(DWORD process_id);

}  // namespace velt::e2e
