// Processes, named mappings and the shell over kernel32 and shell32 (loaded on
// first use).
#include <vector>

#include "platform/process.h"
#include "platform/win32/owners_win32.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_api.h"

static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "32-bit STARTUPINFOA is 68 bytes");

namespace platform {
namespace {

// Null for an empty text: the system then uses its default (verb, no
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
  static auto shell_execute =
      LoadSystemFunction<HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)>(
          "shell32.dll", "ShellExecuteA");
  if (!shell_execute)
    return 0;  // below 32: failure, as ShellExecuteA reports it
  HINSTANCE result = shell_execute(nullptr, OrNull(verb), file.c_str(), OrNull(parameters),
                                   OrNull(directory), show);
  return reinterpret_cast<intptr_t>(result);
}

bool CreateOutputPipe(ScopedHandle* read_end, ScopedHandle* write_end) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  HANDLE reader = nullptr;
  HANDLE writer = nullptr;
  if (!::CreatePipe(&reader, &writer, &inheritable, 0))
    return false;
  ScopedHandle owned_reader(reader);
  ScopedHandle owned_writer(writer);
  if (!::SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0))
    return false;
  *read_end = std::move(owned_reader);
  *write_end = std::move(owned_writer);
  return true;
}

bool CreateProcess(const std::string& application,
                   const std::string& command_line,
                   const std::string& directory,
                   uint32_t creation_flags,
                   int show_window,
                   RawHandle std_output,
                   ProcessInfo* info) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show_window);
  const bool redirected = IsValidRawHandle(std_output);
  if (redirected) {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdOutput = std_output;
  }
  PROCESS_INFORMATION created;
  ZeroMemory(&created, sizeof(created));
  // CreateProcessA may write into the command line, so it gets its own copy.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  if (!::CreateProcessA(application.c_str(), line.data(), nullptr, nullptr,
                        redirected ? TRUE : FALSE, creation_flags, nullptr, OrNull(directory),
                        &startup, &created)) {
    return false;
  }
  *info = OwnProcessInformation(created);
  return true;
}

uint32_t WaitForSingleObject(RawHandle handle, uint32_t milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}

}  // namespace platform
