// Counters, the OEM conversion, the screen and the process's own name under
// Wine (the environment, versions and processors: tests/contract).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/win32/win32_api.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Both counters advance across a sleep and agree on how long it was. The tick
// count moves in steps of up to about 16 ms, and a loaded machine may end the
// sleep early or late, so the high-resolution counter is the measure.
TEST(SystemCounterTest, CountersAdvanceAcrossASleep) {
  LARGE_INTEGER frequency;
  ASSERT_TRUE(::QueryPerformanceFrequency(&frequency));
  int64_t before = 0;
  int64_t after = 0;
  ASSERT_TRUE(platform::QueryPerformanceCounter(&before));
  const uint32_t ticks = platform::GetTickCount();
  platform::Sleep(50);
  ASSERT_TRUE(platform::QueryPerformanceCounter(&after));
  const uint32_t elapsed_ticks = platform::GetTickCount() - ticks;
  EXPECT_GT(after, before);
  const double elapsed_ms = 1000.0 * static_cast<double>(after - before) / frequency.QuadPart;
  EXPECT_GT(elapsed_ticks, 0u);
  EXPECT_NEAR(static_cast<double>(elapsed_ticks), elapsed_ms, 32.0);
}

TEST(SystemIdentityTest, ModuleNameAndCommandLineNameThisProgram) {
  const std::string module = platform::GetModuleFileName();
  ASSERT_GT(module.size(), 4u);
  EXPECT_EQ(Lower(module.substr(module.size() - 4)), ".exe");
  EXPECT_EQ(module[1], ':') << module;
  EXPECT_TRUE(platform::FileExists(module)) << module;
  const std::string base = Lower(module.substr(module.find_last_of('\\') + 1));
  EXPECT_NE(Lower(platform::GetCommandLine()).find(base.substr(0, base.size() - 4)),
            std::string::npos)
      << platform::GetCommandLine();
}

TEST(SystemIdentityTest, WineReportsAnAdministrator) {
  EXPECT_TRUE(platform::IsUserAnAdmin());
}

TEST(SystemMetricsTest, TheScreenHasASize) {
  const int width = platform::GetSystemMetrics(SM_CXSCREEN);
  const int height = platform::GetSystemMetrics(SM_CYSCREEN);
  std::cout << "[ observed ] screen " << width << "x" << height << "\n";
  EXPECT_GT(width, 0);
  EXPECT_GT(height, 0);
}

TEST(OemToCharTest, KeepsLengthAsciiAndEmbeddedNuls) {
  EXPECT_EQ(platform::OemToChar(""), "");
  const std::string text("Microsoft Windows [Version 10.0]\r\n\0tail", 39);
  EXPECT_EQ(platform::OemToChar(text), text);
  const std::string high("\x80\xAF\xE0", 3);
  EXPECT_EQ(platform::OemToChar(high).size(), 3u);
}

// Run with LANG=ru_RU.UTF-8 (see cmake/WineTests.cmake): the Russian locale
// and its code pages, as the installer sees them on a Russian system.
TEST(RussianLocaleEnvironment, LocaleAndCodePagesAreRussian) {
  EXPECT_EQ(platform::GetUserDefaultLcid(), 1049u);
  EXPECT_EQ(::GetACP(), 1251u);
  EXPECT_EQ(::GetOEMCP(), 866u);
  // "Апр" in code page 866 becomes the same letters in Windows-1251.
  EXPECT_EQ(platform::OemToChar(std::string("\x80\xAF\xE0", 3)), "\xC0\xEF\xF0");
}

}  // namespace
