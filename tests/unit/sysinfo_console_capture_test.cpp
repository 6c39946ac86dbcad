#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "driver/startup_settings.h"
#include "platform/fake/fake_platform.h"
#include "sysinfo/console_capture.h"
#include "tests/unit/sysinfo_test_support.h"

namespace {

using sysinfo_test::ArrangeInterpreter;
using sysinfo_test::kComSpec;
using sysinfo_test::kTemp;
using sysinfo_test::RedirectTarget;

class ConsoleCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetWorld();
    velt::StartStartupSettings();  // seeds the random generator
    fake::World().boxes.clear();
  }
  void TearDown() override { velt::EndStartupSettings(); }

  const fake::ProcessRecord& OnlyProcess() {
    EXPECT_EQ(fake::World().processes.size(), 1u);
    return fake::World().processes.at(0);
  }
};

TEST_F(ConsoleCaptureTest, RunsHiddenInterpreterWithOnlyTheTemporaryPathQuoted) {
  ArrangeInterpreter("\r\nMicrosoft Windows [Version 6.2.9200]\r\n");
  std::string output = velt::RunConsoleCommand("ver");

  EXPECT_EQ(output, "\r\nMicrosoft Windows [Version 6.2.9200]\r\n");
  const fake::ProcessRecord& process = OnlyProcess();
  EXPECT_TRUE(std::regex_match(
      process.command_line,
      std::regex(
          R"(C:\\Windows\\system32\\cmd\.exe /c ver > "C:\\Users\\Anna\\AppData\\Local\\Temp\\[a-z]{8}")")))
      << process.command_line;
  EXPECT_EQ(process.creation_flags, 0x210u);  // CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP
  EXPECT_EQ(process.show_window, 0);          // SW_HIDE
  // The temporary file is gone and nothing is left open.
  EXPECT_FALSE(fake::Exists(RedirectTarget(process.command_line)));
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

TEST_F(ConsoleCaptureTest, InsertsTheCommandUnquotedAndKeepsATrailingTempBackslash) {
  ArrangeInterpreter("x");
  fake::World().environment["TEMP"] = std::string(kTemp) + "\\";
  velt::RunConsoleCommand("echo a  b");
  std::string line = OnlyProcess().command_line;
  EXPECT_EQ(line.substr(0, line.size() - 9),
            std::string(kComSpec) + " /c echo a  b > \"" + kTemp + "\\");
}

TEST_F(ConsoleCaptureTest, TwoCallsUseTwoDifferentTemporaryNames) {
  ArrangeInterpreter("x");
  velt::RunConsoleCommand("ver");
  velt::RunConsoleCommand("ver");
  ASSERT_EQ(fake::World().processes.size(), 2u);
  std::string first = RedirectTarget(fake::World().processes[0].command_line);
  std::string second = RedirectTarget(fake::World().processes[1].command_line);
  EXPECT_FALSE(first.empty());
  EXPECT_NE(first, second);
}

TEST_F(ConsoleCaptureTest, EveryLineEndsInCrLfAndAtLeastOneLineIsRead) {
  struct Case {
    std::string file, expected;
  } cases[] = {
      {"", "\r\n"},
      {"abc", "abc\r\n"},
      {"abc\n", "abc\r\n"},
      {"abc\r\n", "abc\r\n"},
      {"a\nb", "a\r\nb\r\n"},
      {"a\r\nb\r\n", "a\r\nb\r\n"},
      {"\n\n", "\r\n\r\n"},
      {"\r\n", "\r\n"},
      {"a\rb\r\n", "ab\r\n"},  // CR never ends a line and is dropped
      {"a\r\r\rb", "ab\r\n"},
      {"ab\x1A"
       "cd\r\n",
       "ab\r\n"},  // Ctrl-Z ends the file
      {"one\r\n\x1Atwo\r\n", "one\r\n"},
      {"\x1A"
       "x",
       "\r\n"},
      {std::string(5000, 'q') + "\n", std::string(5000, 'q') + "\r\n"},
  };
  for (const Case& c : cases) {
    fake::World().processes.clear();
    ArrangeInterpreter(c.file);
    EXPECT_EQ(velt::RunConsoleCommand("ver"), c.expected) << testing::PrintToString(c.file);
  }
}

TEST_F(ConsoleCaptureTest, ProcessThatCannotStartOrWritesNothingGivesOneLineBreak) {
  ArrangeInterpreter("unused");
  fake::World().on_create_process = [](const fake::ProcessRecord&) { return false; };
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "\r\n");

  fake::World().on_create_process = [](const fake::ProcessRecord&) { return true; };
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "\r\n");
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

TEST_F(ConsoleCaptureTest, MissingOrEmptyComSpecRunsNothing) {
  ArrangeInterpreter("x");
  fake::World().environment.erase("COMSPEC");
  size_t entries = fake::World().entries.size();
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "");

  fake::World().environment["COMSPEC"] = "";
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "");
  EXPECT_TRUE(fake::World().processes.empty());
  EXPECT_EQ(fake::World().entries.size(), entries);
}

TEST_F(ConsoleCaptureTest, InterpreterPathMustFitInto260Characters) {
  ArrangeInterpreter("out\r\n");
  std::string longest = "C:\\" + std::string(250, 'd') + "\\c.exe";  // 259 characters
  ASSERT_EQ(longest.size(), 259u);
  fake::World().environment["COMSPEC"] = longest;
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "out\r\n");
  ASSERT_EQ(fake::World().processes.size(), 1u);
  EXPECT_EQ(fake::World().processes[0].command_line.substr(0, 263), longest + " /c ");

  for (size_t length : {260u, 261u, 400u}) {
    fake::World().environment["COMSPEC"] = "C:\\" + std::string(length - 9, 'd') + "\\c.exe";
    EXPECT_EQ(velt::RunConsoleCommand("ver"), "") << length;
  }
  EXPECT_EQ(fake::World().processes.size(), 1u);
}

TEST_F(ConsoleCaptureTest, WithoutTempTheFileLandsInTheCurrentDirectoryAndIsDeleted) {
  ArrangeInterpreter("\r\nMicrosoft Windows [Version 10.0.19045.3570]\r\n");
  fake::World().environment.erase("TEMP");
  fake::AddDirectory("D:\\Setup");
  fake::World().current_directory = "D:\\Setup";
  std::string landed;
  auto write = fake::World().on_create_process;
  fake::World().on_create_process = [&](const fake::ProcessRecord& record) {
    write(record);
    landed = fake::NormalizePath(RedirectTarget(record.command_line));
    return true;
  };

  EXPECT_EQ(velt::RunConsoleCommand("ver"), "\r\nMicrosoft Windows [Version 10.0.19045.3570]\r\n");
  EXPECT_TRUE(
      std::regex_match(OnlyProcess().command_line, std::regex(R"(.* /c ver > "[a-z]{8}")")));
  EXPECT_TRUE(std::regex_match(landed, std::regex(R"(d:\\setup\\[a-z]{8})"))) << landed;
  EXPECT_FALSE(fake::Exists(landed));
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
