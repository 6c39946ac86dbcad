// Processes, named file mappings and the shell.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace platform {

constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr uint32_t kCreateNewConsole = 0x10;
constexpr uint32_t kCreateNewProcessGroup = 0x200;
constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr uint32_t kWaitFailed = 0xFFFFFFFF;

// CreateFileMappingA backed by the paging file, default security, PAGE_READWRITE.
// `*last_error` receives GetLastError right after the call.
ScopedHandle CreateFileMapping(const std::string& name,
                               uint32_t maximum_size,
                               uint32_t* last_error);

// ShellExecuteA with no owner window; returns its result.
intptr_t ShellExecute(const std::string& verb,
                      const std::string& file,
                      const std::string& parameters,
                      const std::string& directory,
                      int show);

struct ProcessInfo {
  ScopedHandle process;
  ScopedHandle thread;
};
// CreateProcessA with no application name, no inherited handles, the caller's
// environment and directory, STARTF_USESHOWWINDOW with `show_window`.
bool CreateProcess(const std::string& command_line,
                   uint32_t creation_flags,
                   int show_window,
                   ProcessInfo* info);
// WaitForSingleObject.
uint32_t WaitForSingleObject(RawHandle handle, uint32_t milliseconds);

}  // namespace platform
