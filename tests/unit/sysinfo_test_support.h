// Helpers shared by the system-description unit tests: a simulated command
// interpreter that writes a chosen text to the file its command line redirects to.
#pragma once

#include <string>

#include "platform/fake/fake_platform.h"

namespace sysinfo_test {

constexpr char kComSpec[] = "C:\\Windows\\system32\\cmd.exe";
constexpr char kTemp[] = "C:\\Users\\Anna\\AppData\\Local\\Temp";

// The path between the quotes after " > " in an interpreter command line; empty
// when the command line has no quoted redirection.
inline std::string RedirectTarget(const std::string& command_line) {
  std::string::size_type start = command_line.rfind(" > \"");
  if (start == std::string::npos)
    return std::string();
  start += 4;
  std::string::size_type end = command_line.find('"', start);
  if (end == std::string::npos || end + 1 != command_line.size())
    return std::string();
  return command_line.substr(start, end - start);
}

// ComSpec and Temp set, Temp existing; every created process writes `output` to
// its redirection target (a relative target lands in the current directory).
inline void ArrangeInterpreter(const std::string& output) {
  fake::World().environment["COMSPEC"] = kComSpec;
  fake::World().environment["TEMP"] = kTemp;
  fake::AddDirectory(kTemp);
  fake::World().on_create_process = [output](const fake::ProcessRecord& record) {
    std::string target = RedirectTarget(record.command_line);
    if (!target.empty())
      fake::AddFile(target, output);
    return true;
  };
}

}  // namespace sysinfo_test
