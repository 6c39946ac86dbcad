// An installation on a volume no drive letter reaches (or one the mount
// manager does not know), where Windows gives no final path: the folder found
// is still held and updated, its language files are read, and what an earlier
// run left there is removed. Under Wine the folder lies outside every drive
// while Z: is hidden (tests/common/letterless_folder.h).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "language/language.h"
#include "language/language_state.h"
#include "package/resource_install.h"
#include "startup/install_environment.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"
#include "sysinfo/os_description.h"
#include "tests/common/letterless_folder.h"

namespace {

void Put(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << ": error " << GetLastError();
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Bytes(const std::string& path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "<missing>";
  char bytes[256];
  DWORD read = 0;
  ReadFile(file, bytes, sizeof(bytes), &read, nullptr);
  CloseHandle(file);
  return std::string(bytes, read);
}

TEST(UnusualVolumeTest, AnInstallationNoDriveLetterReachesIsHeldReadAndUpdated) {
  velt::test::LetterlessFolder letterless;
  const std::string folder = letterless.Make();
  if (folder.empty())
    GTEST_SKIP() << "a test cannot make a volume without a drive letter here";
  Put(folder + "velt.exe", "MZ");
  ASSERT_TRUE(CreateDirectoryA((folder + "language").c_str(), nullptr));
  Put(folder + "language\\english.lng", "[langcode]\r\n1033\r\n\r\n[langver]\r\n1\r\n");
  Put(folder + "vtup.cok", "old");
  Put(folder + "vtup.cok.abcdefgh.tmp", "left by a killed run");
  std::string reached;
  {
    HANDLE probe = CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    char raw[MAX_PATH] = {};
    GetFinalPathNameByHandleA(probe, raw, MAX_PATH, 0);
    CloseHandle(probe);
    reached = raw;
  }
  std::printf("[ wine     ] the folder's final path by Win32 itself: \"%s\"\n", reached.c_str());

  velt::StartStartupSettings();
  velt::SetProgramNames();
  velt::StartInstallEnvironment();
  velt::StartLanguage();
  velt::ProductFolder = folder;
  EXPECT_TRUE(velt::HoldProductFolder());
  EXPECT_EQ(velt::ProductFolder, folder) << "the path found stays its name";
  EXPECT_TRUE(velt::ProductFolderStillHeld());

  velt::LanguageList = {"english.lng"};
  velt::LineReader reader;
  ASSERT_TRUE(velt::OpenListedFile(reader, 0)) << "a language file there is no faulty one";
  std::string line;
  EXPECT_EQ(velt::ReadLine(reader, &line), velt::LineResult::kLine);
  EXPECT_EQ(line, "[langcode]");
  velt::CloseLineReader(reader);

  EXPECT_TRUE(velt::InstallResourceFile("velttest", "cok", velt::HeldProductFolder(), "vtup.cok"));
  EXPECT_EQ(Bytes(folder + "vtup.cok").substr(0, 5), "vtup\x2A");
  EXPECT_EQ(Bytes(folder + "vtup.cok.abcdefgh.tmp"), "<missing>");

  velt::EndLanguage();
  velt::EndInstallEnvironment();
  velt::EndStartupSettings();
}

}  // namespace
