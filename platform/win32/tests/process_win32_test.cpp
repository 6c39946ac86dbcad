// Child processes, waits and the shell (named mappings and tokens: tests/contract).
#include <gtest/gtest.h>

#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/win32/win32_api.h"

namespace {

std::string SystemInterpreter() {
  return platform::GetSystemDirectory() + "\\cmd.exe";
}

TEST(ProcessTest, RunsACommandInAHiddenConsoleWithItsOutputInAPipe) {
  platform::ScopedHandle reader;
  platform::ScopedHandle writer;
  ASSERT_TRUE(platform::CreateOutputPipe(&reader, &writer));
  DWORD flags = 0;
  ASSERT_TRUE(::GetHandleInformation(writer.Get(), &flags));
  EXPECT_NE(flags & HANDLE_FLAG_INHERIT, 0u);
  ASSERT_TRUE(::GetHandleInformation(reader.Get(), &flags));
  EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u);

  platform::ProcessInfo info;
  const std::string interpreter = SystemInterpreter();
  ASSERT_TRUE(
      platform::CreateProcess(interpreter, "\"" + interpreter + "\" /c ver", "",
                              platform::kCreateNewConsole | platform::kCreateNewProcessGroup,
                              platform::kSwHide, writer.Get(), &info))
      << platform::GetLastError();
  writer.Reset();
  std::string output;
  char buffer[512];
  uint32_t read = 0;
  while (platform::ReadFile(reader.Get(), buffer, sizeof(buffer), &read) && read > 0)
    output.append(buffer, read);
  EXPECT_EQ(platform::WaitForSingleObject(info.process.Get(), 30000), WAIT_OBJECT_0);
  DWORD exit_code = 99;
  ASSERT_TRUE(::GetExitCodeProcess(info.process.Get(), &exit_code));
  EXPECT_EQ(exit_code, 0u);
  EXPECT_NE(output.find("Windows"), std::string::npos) << output;
}

TEST(ProcessTest, ExitCodesComeBackAndMissingProgramsFail) {
  platform::ProcessInfo info;
  const std::string interpreter = SystemInterpreter();
  ASSERT_TRUE(platform::CreateProcess(interpreter, "cmd.exe /c exit 7", "", 0, platform::kSwHide,
                                      nullptr, &info));
  EXPECT_EQ(platform::WaitForSingleObject(info.process.Get(), platform::kInfinite), WAIT_OBJECT_0);
  DWORD exit_code = 0;
  ASSERT_TRUE(::GetExitCodeProcess(info.process.Get(), &exit_code));
  EXPECT_EQ(exit_code, 7u);

  platform::ProcessInfo missing;
  EXPECT_FALSE(platform::CreateProcess("C:\\velt_no_such_program_here.exe", "x", "", 0,
                                       platform::kSwHide, nullptr, &missing));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);
  EXPECT_FALSE(missing.process.IsValid());
  EXPECT_FALSE(missing.thread.IsValid());
}

TEST(ProcessTest, WaitTimesOutOnAnUnsignalledObject) {
  platform::ScopedHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event.IsValid());
  EXPECT_EQ(platform::WaitForSingleObject(event.Get(), 20), WAIT_TIMEOUT);
  ASSERT_TRUE(::SetEvent(event.Get()));
  EXPECT_EQ(platform::WaitForSingleObject(event.Get(), 0), WAIT_OBJECT_0);
}

TEST(ShellExecuteTest, ReportsSuccessAboveThirtyTwoAndFailureBelow) {
  EXPECT_LE(platform::ShellExecute("open", "C:\\velt_no_such_dir\\velt.exe", "", "",
                                   platform::kSwShowNormal),
            32);
  EXPECT_GT(platform::ShellExecute("open", "cmd.exe", "/c exit 0", "", platform::kSwHide), 32);
}

// Wine runs every program elevated with a linked token, as Windows does with
// UAC on: the kind against which Velt is started as the desktop's user. The
// kinds without a split only the fake shows (launch_and_examination_test.cpp).
TEST(ElevationTest, UnderWineEveryProgramIsElevatedAboveItsUsersRights) {
  EXPECT_EQ(platform::GetProcessElevation(), platform::Elevation::kSplit);
}

}  // namespace
