#include "sysinfo/console_capture.h"

#include <cstdint>
#include <string>

#include "driver/startup_settings.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/process.h"
#include "platform/system.h"
#include "sysinfo/console_output.h"

namespace velt {
namespace {

// The interpreter path buffer, in characters (MAX_PATH).
constexpr uint32_t kInterpreterPathBuffer = 260;
constexpr uint32_t kProcessFlags = platform::kCreateNewConsole | platform::kCreateNewProcessGroup;
constexpr int kTemporaryNameLength = 8;

// The whole value of an environment variable; empty when it is not set.
std::string WholeEnvironmentVariable(const std::string& name) {
  std::string value(kInterpreterPathBuffer, '\0');
  for (;;) {
    uint32_t length =
        platform::GetEnvironmentVariable(name, &value[0], static_cast<uint32_t>(value.size()));
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.assign(length, '\0');  // too small: `length` is the size needed
  }
}

// The interpreter path from ComSpec; empty when unset, empty, or too long for
// the buffer (the text is then never read, so no truncated path is used).
std::string InterpreterPath() {
  char buffer[kInterpreterPathBuffer];
  uint32_t length = platform::GetEnvironmentVariable("ComSpec", buffer, kInterpreterPathBuffer);
  if (length == 0 || length >= kInterpreterPathBuffer)
    return std::string();
  return std::string(buffer, length);
}

// "Temp" with a trailing backslash (when set) and eight random letters a to z.
std::string TemporaryPath() {
  std::string path = WholeEnvironmentVariable("Temp");
  if (!path.empty() && path.back() != '\\')
    path += '\\';
  for (int i = 0; i < kTemporaryNameLength; ++i) {
    path += static_cast<char>('a' + Random(26));
  }
  return path;
}

// The file's bytes; empty when it cannot be opened.
std::string ReadWholeFile(const std::string& path) {
  std::string text;
  platform::ScopedHandle file =
      platform::CreateFile(path, platform::FileAccess::kRead, platform::FileShare::kRead,
                           platform::FileDisposition::kOpenExisting);
  if (!file.IsValid())
    return text;
  char chunk[4096];
  uint32_t read = 0;
  while (platform::ReadFile(file.Get(), chunk, sizeof(chunk), &read) && read > 0) {
    text.append(chunk, read);
  }
  return text;
}

}  // namespace

std::string RunConsoleCommand(const std::string& command) {
  std::string interpreter = InterpreterPath();
  if (interpreter.empty())
    return std::string();

  std::string temporary_path = TemporaryPath();
  std::string command_line = interpreter + " /c " + command + " > \"" + temporary_path + "\"";

  platform::ProcessInfo process;
  if (platform::CreateProcess(command_line, kProcessFlags, platform::kSwHide, &process)) {
    platform::WaitForSingleObject(process.process.Get(), platform::kInfinite);
    process.process.Reset();
    process.thread.Reset();
  }

  std::string output = ConsoleOutputLines(ReadWholeFile(temporary_path));
  platform::DeleteFile(temporary_path);
  return platform::OemToChar(output);
}

}  // namespace velt
