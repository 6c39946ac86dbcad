// The whole program on the fake machine: module order and the top-level report.
#include <gtest/gtest.h>

#include "deployment/exit_codes.h"
#include "driver/program.h"
#include "driver/top_level_error.h"
#include "platform/fake/fake_platform.h"

namespace {

TEST(TopLevelErrorTest, TextNamesClassModuleAddressAndMessage) {
  const void* address = reinterpret_cast<const void*>(0x4A2B3C);
  std::string text = velt::FormatTopLevelError("ERegistryException", "velt-update.exe", address,
                                               "Invalid data type for 'X'");
  std::string digits = sizeof(void*) == 8 ? "00000000004A2B3C" : "004A2B3C";
  EXPECT_EQ(text, "Exception ERegistryException in module velt-update.exe at " + digits +
                      ".\r\nInvalid data type for 'X'\r\n");
}

TEST(TopLevelErrorTest, ClosingPunctuationIsAddedOnlyAfterLaterCharacters) {
  auto tail = [](const std::string& message) {
    std::string text = velt::FormatTopLevelError("E", "m", nullptr, message);
    return text.substr(text.find("\r\n") + 2);
  };
  EXPECT_EQ(tail("Done."), "Done.\r\n");
  EXPECT_EQ(tail("Really!"), "Really!\r\n");
  EXPECT_EQ(tail("Out of memory"), "Out of memory.\r\n");
  EXPECT_EQ(tail("for 'X'"), "for 'X'\r\n");  // a quote sorts below "."
  EXPECT_EQ(tail(""), "\r\n");
}

TEST(ProgramTest, UncaughtRegistryErrorEndsWithTheReportAndCodeOne) {
  fake::ResetWorld();
  fake::World().module_file_name = "C:\\Downloads\\velt-update.exe";
  fake::SetRegDword("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", 5);
  EXPECT_EQ(velt::RunProgram(), velt::kExitUncaughtError);
  ASSERT_EQ(fake::World().boxes.size(), 1u);
  const fake::MessageBoxRecord& box = fake::World().boxes[0];
  EXPECT_EQ(box.caption, "Application Error");
  EXPECT_EQ(box.style, 0x2010u);
  EXPECT_FALSE(box.extended);
  EXPECT_EQ(box.text.rfind("Exception ERegistryException in module velt-update.exe at ", 0), 0u);
  EXPECT_NE(box.text.find(".\r\nInvalid data type for 'ProgramFilesDir'\r\n"), std::string::npos);
  // Every module ended: nothing is left open.
  EXPECT_EQ(fake::OpenHandleCount(), 0);
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
}

TEST(ProgramTest, NoInstallationEndsNormallyWithItsCode) {
  fake::ResetWorld();
  EXPECT_EQ(velt::RunProgram(), velt::kExitNoInstallation);
  ASSERT_EQ(fake::World().boxes.size(), 1u);
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

}  // namespace
