// The product's own throw helpers (driver/entry/runtime_throw_helpers.cpp)
// under Wine: provoked in runtime-error-probe.exe, which links them as the
// product does, each error names the operation and its real numbers.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/win32/win32_api.h"

namespace {

TEST(RuntimeErrorTextTest, RangeErrorsNameTheOperationPositionAndSize) {
  char temp[MAX_PATH];
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string output =
      std::string(temp) + "velt_runtime_errors_" + std::to_string(::GetCurrentProcessId()) + ".txt";
  std::string command =
      std::string("\"Z:") + VELT_TOOLS_DIR + "/runtime-error-probe.exe\" \"" + output + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &startup, &process))
      << command << " (error " << ::GetLastError() << ")";
  ::WaitForSingleObject(process.hProcess, 60000);
  DWORD exit_code = 99;
  ::GetExitCodeProcess(process.hProcess, &exit_code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);

  std::ostringstream text;
  text << std::ifstream(output, std::ios::binary).rdbuf();
  ::DeleteFileA(output.c_str());
  EXPECT_EQ(exit_code, 0u) << "not every error was caught";
  EXPECT_EQ(text.str(),
            "basic_string::substr: __pos (which is 10) > this->size() (which is 3)\n"
            "basic_string::at: __n (which is 7) >= this->size() (which is 3)\n"
            "vector::_M_range_check: __n (which is 5) >= this->size() (which is 2)\n"
            "basic_string::_M_create\n");
}

}  // namespace
