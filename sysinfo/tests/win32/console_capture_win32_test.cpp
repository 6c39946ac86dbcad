// RunConsoleCommand against the real command interpreter.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

// Each test gets an empty folder as "Temp", which must stay empty; ComSpec,
// Temp and the current directory are restored afterwards.
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
  }

  void TearDown() override {
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

// ComSpec may name any program the user put there: it is never started.
TEST_F(ConsoleCaptureWinTest, APlantedComSpecIsNeverStarted) {
  const std::string planted = folder_ + "\\planted.exe";
  ASSERT_TRUE(::CopyFileA("Z:" VELT_TOOLS_DIR "/describe-windows.exe", planted.c_str(), FALSE));
  ASSERT_TRUE(::SetEnvironmentVariableA("ComSpec", planted.c_str()));
  const std::string output = velt::RunConsoleCommand("ver");
  EXPECT_NE(output.find("Windows"), std::string::npos) << output;
  EXPECT_EQ(output.find("description="), std::string::npos) << "the planted program ran";
  ASSERT_TRUE(::SetEnvironmentVariableA("ComSpec", nullptr));
  EXPECT_NE(velt::RunConsoleCommand("ver").find("Windows"), std::string::npos);
  ::DeleteFileA(planted.c_str());
}

// The interpreter never works in the starter's folder (a folder of the
// user's, where the installer was downloaded): "cd" prints the system folder.
TEST_F(ConsoleCaptureWinTest, TheInterpreterWorksInTheSystemFolder) {
  ASSERT_TRUE(::SetCurrentDirectoryA(folder_.c_str()));
  char system_folder[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryA(system_folder, MAX_PATH), 0u);
  std::string output = velt::RunConsoleCommand("cd");
  std::string expected = std::string(system_folder) + "\r\n";
  for (std::string* text : {&output, &expected})
    std::transform(text->begin(), text->end(), text->begin(), ::tolower);
  EXPECT_EQ(output, expected);
}

TEST_F(ConsoleCaptureWinTest, LongOutputArrivesWhole) {
  // More than one read of the pipe, and more than the pipe holds at once.
  const std::string output = velt::RunConsoleCommand("for /l %i in (1,1,3000) do @echo line %i");
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 3000) << output.size();
  EXPECT_NE(output.find("line 1\r\nline 2\r\n"), std::string::npos);
  EXPECT_NE(output.find("line 3000\r\n"), std::string::npos);
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
  EXPECT_EQ(velt::RunConsoleCommand("echo " + word), word + "\r\n");
}

// Run with LANG=ru_RU.UTF-8: ANSI code page 1251, OEM code page 866.
TEST(RussianLocaleEnvironment, CyrillicConsoleOutputArrivesInWindows1251) {
  ASSERT_EQ(::GetACP(), 1251u);
  ASSERT_EQ(::GetOEMCP(), 866u);
  const std::string word = "\xCF\xF0\xE8\xE2\xE5\xF2";  // a Russian word in Windows-1251
  EXPECT_EQ(velt::RunConsoleCommand("echo " + word), word + "\r\n");
}

}  // namespace
