// RunConsoleCommand on the fake platform: the system's own interpreter, its
// output through a pipe, the line rules and the OEM conversion.
#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_platform.h"
#include "platform/files.h"
#include "sysinfo/console_capture.h"
#include "sysinfo/tests/sysinfo_test_support.h"

namespace {

using sysinfo_test::ArrangeInterpreter;
using sysinfo_test::kSystemInterpreter;

class ConsoleCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::ResetWorld(); }
  void TearDown() override {
    EXPECT_EQ(fake::OpenHandleCount(), 0);
    EXPECT_FALSE(fake::World().pipe_read_would_block) << "read with the write end still open";
  }

  const fake::ProcessRecord& OnlyProcess() {
    EXPECT_EQ(fake::World().processes.size(), 1u);
    return fake::World().processes.at(0);
  }
};

// On Windows, cmd.exe started without "/d" first runs the AutoRun command of
// HKCU\Software\Microsoft\Command Processor, which any program of the user can
// set: it would run inside the elevated updater's child. Wine's cmd has no
// AutoRun, so only the command line can be checked, here and in a trace.
TEST_F(ConsoleCaptureTest, RunsTheSystemInterpreterHiddenWithoutAutoRunAndItsOutputInAPipe) {
  ArrangeInterpreter("\r\nMicrosoft Windows [Version 6.2.9200]\r\n");
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "\r\nMicrosoft Windows [Version 6.2.9200]\r\n");
  const fake::ProcessRecord& process = OnlyProcess();
  EXPECT_EQ(process.application, kSystemInterpreter);
  EXPECT_EQ(process.command_line, "\"" + std::string(kSystemInterpreter) + "\" /d /c ver");
  EXPECT_EQ(process.creation_flags, 0x210u);  // CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP
  EXPECT_EQ(process.show_window, 0);          // SW_HIDE
  EXPECT_NE(process.std_output, nullptr);
}

// The starter's working directory may be a folder of the user's (the
// downloaded installer's): the interpreter starts in the system folder.
TEST_F(ConsoleCaptureTest, TheInterpreterWorksInTheSystemFolder) {
  fake::AddDirectory("C:\\Users\\Anna\\Downloads");
  ASSERT_TRUE(platform::SetCurrentDirectory("C:\\Users\\Anna\\Downloads"));
  ArrangeInterpreter("out\r\n");
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "out\r\n");
  EXPECT_EQ(fake::NormalizePath(OnlyProcess().directory),
            fake::NormalizePath(fake::World().system_directory));
}

// ComSpec and Temp can be set by any program of the user: the elevated
// updater neither starts the one nor touches files in the other.
TEST_F(ConsoleCaptureTest, NeitherComSpecNorTempAreUsed) {
  fake::World().environment["COMSPEC"] = "C:\\Users\\Anna\\planted.exe";
  fake::World().environment["TEMP"] = "C:\\Users\\Anna\\Temp";
  fake::AddFile("C:\\Users\\Anna\\Temp\\abcdefgh", "the user's file");
  ArrangeInterpreter("out\r\n");
  const size_t entries = fake::World().entries.size();
  EXPECT_EQ(velt::RunConsoleCommand("echo a  b"), "out\r\n");
  EXPECT_EQ(OnlyProcess().application, kSystemInterpreter);
  EXPECT_EQ(OnlyProcess().command_line,
            "\"" + std::string(kSystemInterpreter) + "\" /d /c echo a  b");
  EXPECT_EQ(fake::World().entries.size(), entries);
  EXPECT_EQ(fake::FileData("C:\\Users\\Anna\\Temp\\abcdefgh"), "the user's file");
  for (const fake::FaultCall& call : fake::World().faults.calls) {
    EXPECT_NE(call.operation, "CreateFile");
    EXPECT_NE(call.operation, "DeleteFile");
  }
}

TEST_F(ConsoleCaptureTest, EveryLineEndsInCrLfAndAtLeastOneLineIsRead) {
  struct Case {
    std::string output, expected;
  } cases[] = {
      {"", "\r\n"},
      {"abc", "abc\r\n"},
      {"abc\r\n", "abc\r\n"},
      {"a\nb", "a\r\nb\r\n"},
      {"\n\n", "\r\n\r\n"},
      {"a\rb\r\n", "ab\r\n"},  // CR never ends a line and is dropped
      {"ab\x1A"
       "cd\r\n",
       "ab\r\n"},                                                        // Ctrl-Z ends the text
      {std::string(9000, 'q') + "\n", std::string(9000, 'q') + "\r\n"},  // several reads
  };
  for (const Case& c : cases) {
    ArrangeInterpreter(c.output);
    EXPECT_EQ(velt::RunConsoleCommand("ver"), c.expected) << testing::PrintToString(c.output);
  }
}

TEST_F(ConsoleCaptureTest, ProcessThatCannotStartOrWritesNothingGivesOneLineBreak) {
  fake::World().on_create_process = [](const fake::ProcessRecord&) { return false; };
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "\r\n");
  fake::World().on_create_process = nullptr;
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "\r\n");
}

TEST_F(ConsoleCaptureTest, WithoutASystemFolderNothingRuns) {
  fake::World().system_directory.clear();
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "");
  EXPECT_TRUE(fake::World().processes.empty());
}

TEST_F(ConsoleCaptureTest, OemTextArrivesInTheAnsiCodePage) {
  // "ПРИВЕТ" in code page 866 becomes the same word in code page 1251.
  auto& map = fake::World().oem_to_ansi;
  map[0x8F] = 0xCF;
  map[0x90] = 0xD0;
  map[0x88] = 0xC8;
  map[0x82] = 0xC2;
  map[0x85] = 0xC5;
  map[0x92] = 0xD2;
  ArrangeInterpreter("\x8F\x90\x88\x82\x85\x92\r\n\x8F\n");
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "\xCF\xD0\xC8\xC2\xC5\xD2\r\n\xCF\r\n");
}

}  // namespace
