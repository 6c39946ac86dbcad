// Helpers shared by the system-description unit tests: a simulated command
// interpreter that writes a chosen text to the standard output it is given.
#pragma once

#include <string>

#include "platform/fake/fake_platform.h"

namespace sysinfo_test {

// The interpreter the system folder of the fake holds.
constexpr char kSystemInterpreter[] = "C:\\Windows\\system32\\cmd.exe";

// Every created process writes `output` to its standard output.
inline void ArrangeInterpreter(const std::string& output) {
  fake::World().on_create_process = [output](const fake::ProcessRecord& record) {
    fake::WriteToPipe(record.std_output, output);
    return true;
  };
}

}  // namespace sysinfo_test
