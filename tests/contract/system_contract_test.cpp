// The environment, the version records and the processor a 32-bit process on
// 64-bit Windows sees.
#include <string>

#include "platform/errors.h"
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

}  // namespace
}  // namespace velt::contract
