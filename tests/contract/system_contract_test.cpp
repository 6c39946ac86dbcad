// The environment, the version records, the processor a 32-bit process on
// 64-bit Windows sees, the counters, the process's own name, the screen and
// the console's code page.
#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/system.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class SystemContract : public ContractTest {
 protected:
  static constexpr const char* kName = "VELT_CONTRACT_VAR";
};

TEST_F(SystemContract, AnEnvironmentVariableFillsA260BufferOrTellsTheSizeNeeded) {
  char buffer[260];
  SetEnvironment(kName, "C:\\windows\\system32\\cmd.exe");
  EXPECT_EQ(platform::GetEnvironmentVariable("velt_contract_var", buffer, sizeof(buffer)), 27u)
      << "names ignore case";
  EXPECT_STREQ(buffer, "C:\\windows\\system32\\cmd.exe");

  const std::string fits(259, 'f');
  SetEnvironment(kName, fits.c_str());
  EXPECT_EQ(platform::GetEnvironmentVariable(kName, buffer, sizeof(buffer)), 259u);
  EXPECT_EQ(std::string(buffer), fits);

  // One character more no longer fits with its NUL: the size needed comes back.
  const std::string too_long(260, 't');
  SetEnvironment(kName, too_long.c_str());
  EXPECT_EQ(platform::GetEnvironmentVariable(kName, buffer, sizeof(buffer)), 261u);
}

TEST_F(SystemContract, MissingAndEmptyVariablesGiveZero) {
  char buffer[260] = "untouched";
  SetEnvironment(kName, nullptr);
  EXPECT_EQ(platform::GetEnvironmentVariable(kName, buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(platform::GetLastError(), 203u);  // ERROR_ENVVAR_NOT_FOUND
  SetEnvironment(kName, "");
  EXPECT_EQ(platform::GetEnvironmentVariable(kName, buffer, sizeof(buffer)), 0u);
}

TEST_F(SystemContract, PlainAndExtendedVersionRecordsAgree) {
  platform::OsVersionInfo plain;
  platform::OsVersionInfo extended;
  ASSERT_TRUE(platform::GetVersionEx(false, &plain));
  ASSERT_TRUE(platform::GetVersionEx(true, &extended));
  EXPECT_EQ(plain.platform_id, 2u);  // VER_PLATFORM_WIN32_NT
  EXPECT_GE(plain.major, 5u);
  EXPECT_EQ(plain.major, extended.major);
  EXPECT_EQ(plain.minor, extended.minor);
  EXPECT_EQ(plain.build, extended.build);
  EXPECT_EQ(plain.csd_version, extended.csd_version);
  EXPECT_EQ(plain.suite_mask, 0u) << "the plain record carries no suite mask";
  EXPECT_EQ(plain.product_type, 0u);
  EXPECT_EQ(extended.product_type, 1u);  // VER_NT_WORKSTATION
  EXPECT_EQ(extended.csd_version.find('\0'), std::string::npos);
}

// A 32-bit process on 64-bit Windows sees an Intel processor of its own and
// the AMD64 machine only through GetNativeSystemInfo.
TEST_F(SystemContract, A32BitProcessSeesTheAmd64MachineOnlyAsNative) {
  uint16_t native = 0xFFFF;
  ASSERT_TRUE(platform::GetNativeProcessorArchitecture(&native));
  EXPECT_EQ(native, 9u);                                // PROCESSOR_ARCHITECTURE_AMD64
  EXPECT_EQ(platform::GetProcessorArchitecture(), 0u);  // PROCESSOR_ARCHITECTURE_INTEL
}

// Both counters advance across a sleep and agree on how long it was. The tick
// count moves in steps of up to about 16 ms, and a loaded machine may end the
// sleep early or late, so the high-resolution counter is the measure.
TEST_F(SystemContract, CountersAdvanceAcrossASleep) {
  int64_t before = 0;
  int64_t after = 0;
  ASSERT_TRUE(platform::QueryPerformanceCounter(&before));
  const uint32_t ticks = platform::GetTickCount();
  platform::Sleep(50);
  ASSERT_TRUE(platform::QueryPerformanceCounter(&after));
  const uint32_t elapsed_ticks = platform::GetTickCount() - ticks;
  ASSERT_GT(CounterFrequency(), 0);
  const double elapsed_ms = 1000.0 * static_cast<double>(after - before) / CounterFrequency();
  EXPECT_GE(elapsed_ms, 40.0);
  EXPECT_NEAR(static_cast<double>(elapsed_ticks), elapsed_ms, 32.0);
}

TEST_F(SystemContract, TheModuleAndTheCommandLineNameThisProgram) {
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

// The edition's words read metrics that a workstation reports as 0.
TEST_F(SystemContract, TheScreenHasASizeAndAWorkstationNoEditionMarks) {
  EXPECT_GT(platform::GetSystemMetrics(0), 0);  // SM_CXSCREEN
  EXPECT_GT(platform::GetSystemMetrics(1), 0);  // SM_CYSCREEN
  for (int edition_mark : {86, 87, 88, 89}) {   // tablet, media center, starter, server R2
    SCOPED_TRACE(edition_mark);
    EXPECT_EQ(platform::GetSystemMetrics(edition_mark), 0);
  }
}

TEST_F(SystemContract, ConsoleTextKeepsItsLengthItsAsciiAndItsNuls) {
  EXPECT_EQ(platform::OemToChar(""), "");
  const std::string text("Microsoft Windows [Version 10.0]\r\n\0tail", 39);
  EXPECT_EQ(platform::OemToChar(text), text);
  EXPECT_EQ(platform::OemToChar(std::string("\x80\xAF\xE0", 3)).size(), 3u);
}

// Under Win32 it runs where Wine was started in Russian (a ctest entry of its
// own, LANG=ru_RU.UTF-8).
TEST_F(SystemContract, ARussianConsolesTextBecomesTheSameLettersInAnsi) {
  if (!RussianSystem())
    GTEST_SKIP() << "not a Russian system";
  EXPECT_EQ(platform::GetUserDefaultLcid(), 1049u);
  // "Апр" in code page 866 becomes the same letters in Windows-1251.
  EXPECT_EQ(platform::OemToChar(std::string("\x80\xAF\xE0", 3)), "\xC0\xEF\xF0");
  EXPECT_EQ(platform::OemToChar("\xF0\xF1 ver"), "\xA8\xB8 ver");  // Ёё
}

}  // namespace
}  // namespace velt::contract
