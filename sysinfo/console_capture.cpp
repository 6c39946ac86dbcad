#include "sysinfo/console_capture.h"

#include <cstdint>
#include <string>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/phase/phase_marks.h"
#include "platform/process.h"
#include "platform/system.h"
#include "sysinfo/console_output.h"

namespace velt {
namespace {

constexpr uint32_t kProcessFlags = platform::kCreateNewConsole | platform::kCreateNewProcessGroup;
constexpr uint32_t kReadChunk = 4096;

// The system folder with a trailing backslash; empty when it is unknown.
std::string SystemFolder() {
  std::string folder = platform::GetSystemDirectory();
  if (!folder.empty() && folder.back() != '\\')
    folder += '\\';
  return folder;
}

// Everything the pipe delivers until every writer has closed it.
std::string ReadToEnd(platform::RawHandle pipe) {
  std::string text;
  char chunk[kReadChunk];
  uint32_t read = 0;
  while (platform::ReadFile(pipe, chunk, sizeof(chunk), &read) && read > 0)
    text.append(chunk, read);
  return text;
}

}  // namespace

std::string RunConsoleCommand(const std::string& command) {
  const std::string folder = SystemFolder();
  if (folder.empty())
    return std::string();
  VELT_PHASE_MARK("console");
  const std::string interpreter = folder + "cmd.exe";

  std::string captured;
  platform::ScopedHandle output_reader;
  platform::ScopedHandle output_writer;
  if (platform::CreateOutputPipe(&output_reader, &output_writer)) {
    platform::ProcessInfo process;
    // "/d": no AutoRun command of the registry (the user's own included) runs
    // first; the system folder as its working directory, never the starter's.
    const bool started =
        platform::CreateProcess(interpreter, "\"" + interpreter + "\" /d /c " + command, folder,
                                kProcessFlags, platform::kSwHide, output_writer.Get(), &process);
    // The child holds its own copy now: the pipe ends when the child does.
    output_writer.Reset();
    if (started) {
      captured = ReadToEnd(output_reader.Get());
      platform::WaitForSingleObject(process.process.Get(), platform::kInfinite);
    }
  }
  const std::string output = platform::OemToChar(ConsoleOutputLines(captured));
  VELT_PHASE_MARK("console_done");
  return output;
}

}  // namespace velt
