// RunConsoleCommand against the real command interpreter.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "driver/startup_settings.h"
#include "platform/win32/win32_api.h"
#include "sysinfo/console_capture.h"

namespace {

// The variable's value, or nothing when it is not set.
bool ReadVariable(const char* name, std::string* value) {
  char buffer[32768];
  DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer))
    return false;
  value->assign(buffer, length);
  return true;
}

// Names in `folder` other than "." and "..".
std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..")
      names.push_back(name);
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return names;
}

// Each test gets an empty folder as "Temp"; ComSpec, Temp and the current
// directory are restored afterwards.
class ConsoleCaptureWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    had_comspec_ = ReadVariable("ComSpec", &comspec_);
    had_temp_ = ReadVariable("Temp", &temp_);
    ASSERT_TRUE(had_comspec_);
    char directory[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, directory);
    directory_ = directory;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "velt_capture_" + std::to_string(::GetCurrentProcessId()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(::CreateDirectoryA(folder_.c_str(), nullptr));
    ::SetEnvironmentVariableA("Temp", folder_.c_str());
    velt::StartStartupSettings();  // seeds the generator for the temporary names
  }

  void TearDown() override {
    velt::EndStartupSettings();
    ::SetCurrentDirectoryA(directory_.c_str());
    ::SetEnvironmentVariableA("ComSpec", had_comspec_ ? comspec_.c_str() : nullptr);
    ::SetEnvironmentVariableA("Temp", had_temp_ ? temp_.c_str() : nullptr);
    for (const std::string& name : ListFolder(folder_)) {
      ::DeleteFileA((folder_ + "\\" + name).c_str());
    }
    ::RemoveDirectoryA(folder_.c_str());
  }

  std::string comspec_, temp_, directory_, folder_;
  bool had_comspec_ = false, had_temp_ = false;
};

bool EveryLineEndsInCrLf(const std::string& text) {
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)
    return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
      return false;
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
      return false;
  }
  return true;
}

TEST_F(ConsoleCaptureWinTest, VerPrintsAnEmptyLineThenTheVersionAndLeavesNoFile) {
  std::string output = velt::RunConsoleCommand("ver");
  EXPECT_EQ(output.substr(0, 2), "\r\n") << output;
  EXPECT_NE(output.find("Windows"), std::string::npos) << output;
  EXPECT_TRUE(EveryLineEndsInCrLf(output)) << output;
  EXPECT_TRUE(ListFolder(folder_).empty());
}

TEST_F(ConsoleCaptureWinTest, RedirectsIntoAnEightLetterFileInTemp) {
  // "dir /b" runs after the redirection has created the file, so it lists it.
  std::string output = velt::RunConsoleCommand("dir /b \"" + folder_ + "\"");
  EXPECT_TRUE(std::regex_match(output, std::regex("[a-z]{8}\r\n"))) << output;
  EXPECT_TRUE(ListFolder(folder_).empty());
}

TEST_F(ConsoleCaptureWinTest, WithoutTempTheFileLandsInTheCurrentDirectoryAndIsDeleted) {
  ASSERT_TRUE(::SetCurrentDirectoryA(folder_.c_str()));
  ASSERT_TRUE(::SetEnvironmentVariableA("Temp", nullptr));
  std::string output = velt::RunConsoleCommand("dir /b");
  EXPECT_TRUE(std::regex_match(output, std::regex("[a-z]{8}\r\n"))) << output;
  EXPECT_TRUE(ListFolder(folder_).empty());
}

TEST_F(ConsoleCaptureWinTest, MissingComSpecRunsNothing) {
  ASSERT_TRUE(::SetEnvironmentVariableA("ComSpec", nullptr));
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "");
  ASSERT_TRUE(::SetEnvironmentVariableA("ComSpec", ""));
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "");
  EXPECT_TRUE(ListFolder(folder_).empty());
}

TEST_F(ConsoleCaptureWinTest, InterpreterPathOf260CharactersOrMoreRunsNothing) {
  // Copies of the interpreter whose full paths are 259 and 260 characters long.
  std::string deep = folder_;
  while (deep.size() < 220) {
    deep += "\\" + std::string(std::min<size_t>(60, 220 - deep.size()), 'd');
    ASSERT_TRUE(::CreateDirectoryA(deep.c_str(), nullptr)) << deep;
  }
  std::string fits = deep + "\\" + std::string(259 - deep.size() - 5, 'c') + ".exe";
  std::string too_long = deep + "\\" + std::string(260 - deep.size() - 5, 'c') + ".exe";
  ASSERT_EQ(fits.size(), 259u);
  ASSERT_EQ(too_long.size(), 260u);
  ASSERT_TRUE(::CopyFileA(comspec_.c_str(), fits.c_str(), FALSE));
  ASSERT_TRUE(::CopyFileA(comspec_.c_str(), too_long.c_str(), FALSE));

  ::SetEnvironmentVariableA("ComSpec", fits.c_str());
  EXPECT_NE(velt::RunConsoleCommand("ver").find("Windows"), std::string::npos);

  ::SetEnvironmentVariableA("ComSpec", too_long.c_str());
  EXPECT_EQ(velt::RunConsoleCommand("ver"), "");
  EXPECT_EQ(ListFolder(folder_).size(), 1u);  // only the folder of the copies

  ::DeleteFileA(fits.c_str());
  ::DeleteFileA(too_long.c_str());
  while (deep.size() > folder_.size()) {
    ::RemoveDirectoryA(deep.c_str());
    deep.resize(deep.rfind('\\'));
  }
}

TEST_F(ConsoleCaptureWinTest, OemOutputArrivesInTheAnsiCodePage) {
  std::string word;
  if (::GetACP() == 1251) {
    word = "\xCF\xF0\xE8\xE2\xE5\xF2";  // a Russian word in Windows-1251
  } else if (::GetACP() == 1252) {
    word = "caf\xE9 na\xEFve";
  } else {
    GTEST_SKIP() << "no sample text for code page " << ::GetACP();
  }
  ASSERT_NE(::GetACP(), ::GetOEMCP());
  // The blank before the redirection is part of what echo prints.
  EXPECT_EQ(velt::RunConsoleCommand("echo " + word), word + " \r\n");
}

// Run with LANG=ru_RU.UTF-8: ANSI code page 1251, OEM code page 866.
TEST(RussianLocaleEnvironment, CyrillicConsoleOutputArrivesInWindows1251) {
  ASSERT_EQ(::GetACP(), 1251u);
  ASSERT_EQ(::GetOEMCP(), 866u);
  velt::StartStartupSettings();
  const std::string word = "\xCF\xF0\xE8\xE2\xE5\xF2";  // a Russian word in Windows-1251
  EXPECT_EQ(velt::RunConsoleCommand("echo " + word), word + " \r\n");
  velt::EndStartupSettings();
}

}  // namespace
