// Processes, named mappings and the shell over kernel32 and shell32.
#include <vector>

#include "platform/process.h"
#include "platform/win32/win32_api.h"

static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "32-bit STARTUPINFOA is 68 bytes");

namespace platform {
namespace {

// Null for an empty text: the shell then uses its default (verb, no
// parameters, the current directory).
const char* OrNull(const std::string& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace

ScopedHandle CreateFileMapping(const std::string& name,
                               uint32_t maximum_size,
                               uint32_t* last_error) {
  HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        maximum_size, name.c_str());
  *last_error = ::GetLastError();
  return ScopedHandle(mapping);
}

intptr_t ShellExecute(const std::string& verb,
                      const std::string& file,
                      const std::string& parameters,
                      const std::string& directory,
                      int show) {
  HINSTANCE result = ::ShellExecuteA(nullptr, OrNull(verb), file.c_str(), OrNull(parameters),
                                     OrNull(directory), show);
  return reinterpret_cast<intptr_t>(result);
}

bool CreateProcess(const std::string& command_line,
                   uint32_t creation_flags,
                   int show_window,
                   ProcessInfo* info) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show_window);
  PROCESS_INFORMATION created;
  ZeroMemory(&created, sizeof(created));
  // CreateProcessA may write into the command line, so it gets its own copy.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, creation_flags, nullptr,
                        nullptr, &startup, &created)) {
    return false;
  }
  info->process.Reset(created.hProcess);
  info->thread.Reset(created.hThread);
  return true;
}

uint32_t WaitForSingleObject(RawHandle handle, uint32_t milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}

}  // namespace platform
