// Windows NT version words, including those taken from the output of "ver".
#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_platform.h"
#include "startup/startup_settings.h"
#include "sysinfo/os_description.h"
#include "sysinfo/tests/sysinfo_test_support.h"
#include "sysinfo/version_facts.h"

namespace {

constexpr uint8_t kWs = 1, kDc = 2, kSrv = 3;
constexpr uint16_t kIntel = platform::kArchitectureIntel, kIa64 = platform::kArchitectureIa64,
                   kAmd64 = platform::kArchitectureAmd64;

velt::VersionFacts Facts(uint32_t major,
                         uint32_t minor,
                         uint8_t type,
                         uint16_t suite = 0,
                         uint16_t architecture = kIntel) {
  velt::VersionFacts facts;
  facts.version = {major, minor, 7601, 2, "", suite, type};
  facts.extended = true;
  facts.architecture = architecture;
  return facts;
}

class NtVersionWordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetWorld();
    velt::StartStartupSettings();
  }
  void TearDown() override { velt::EndStartupSettings(); }
};

struct VersionCase {
  uint32_t major, minor;
  uint8_t type;
  uint16_t suite, architecture;
  bool server_r2;
  std::string words;
};

// Rows that need no "ver" output. Where the table gives two words, the first is
// for workstations and the second for every other product type (0 included).
const VersionCase kListedRows[] = {
    {3, 51, kWs, 0, kIntel, false, "NT "},
    {4, 0, kSrv, 0, kIntel, false, "NT "},
    {5, 0, kWs, 0, kIntel, false, "2000 "},
    {5, 0, kSrv, 0, kAmd64, true, "2000 "},
    {5, 1, kWs, 0, kAmd64, true, "XP "},
    {5, 2, kSrv, 0x2000, kIntel, true, "Server 2003 R2 "},  // R2 before storage
    {5, 2, kWs, 0, kAmd64, true, "Server 2003 R2 "},
    {5, 2, kSrv, 0x2000, kIntel, false, "Storage Server 2003"},
    {5, 2, kWs, 0x2000, kAmd64, false, "Storage Server 2003"},
    {5, 2, kSrv, 0x2002, kIntel, false, "Server 2003 "},  // not exactly storage
    {5, 2, kWs, 0, kAmd64, false, "XP "},
    {5, 2, kWs, 0, kIntel, false, "Server 2003 "},
    {5, 2, kWs, 0, kIa64, false, "Server 2003 "},
    {5, 2, kSrv, 0, kAmd64, false, "Server 2003 "},
    {5, 3, kWs, 0, kIntel, false, "Unknown version "},
    {5, 9, kSrv, 0, kIntel, true, "Unknown version "},
    {6, 0, kWs, 0, kIntel, false, "Vista "},
    {6, 0, kSrv, 0, kIntel, false, "Server 2008 "},
    {6, 0, kDc, 0, kIntel, false, "Server 2008 "},
    {6, 1, kWs, 0, kAmd64, false, "7 "},
    {6, 1, kSrv, 0, kAmd64, false, "Server 2008 R2 "},
    {6, 1, 0, 0, kAmd64, false, "Server 2008 R2 "},
    {6, 3, kWs, 0, kIntel, false, "8.1 "},
    {6, 3, kDc, 0, kIntel, false, "Server 2012 R2 "},
    {6, 4, kWs, 0, kIntel, false, ""},
    {6, 9, kSrv, 0, kIntel, false, ""},
    {10, 0, kWs, 0, kAmd64, false, "10 "},
    {10, 0, kSrv, 0, kAmd64, false, "Server 2016 "},
    {10, 0, kDc, 0, kAmd64, false, "Server 2016 "},
    {10, 1, kWs, 0, kAmd64, false, ""},
    {10, 2, kSrv, 0, kAmd64, false, ""},
};

TEST_F(NtVersionWordsTest, ListedVersionsGiveTheirWordsWithoutRunningVer) {
  for (const VersionCase& c : kListedRows) {
    fake::World().system_metrics[89] = c.server_r2 ? 1 : 0;
    EXPECT_EQ(velt::NtVersionWords(Facts(c.major, c.minor, c.type, c.suite, c.architecture)),
              c.words)
        << c.major << "." << c.minor << " type " << int(c.type) << " suite " << c.suite << " arch "
        << c.architecture << " R2 " << c.server_r2;
  }
  EXPECT_TRUE(fake::World().processes.empty());
}

struct VerCase {
  std::string output;
  std::string workstation_words, other_words;
};

// Version 6.2: the rows are tried in order.
const VerCase kVersion62Rows[] = {
    {"\r\nMicrosoft Windows [Version 6.2.9200]\r\n", "8 ", "Server 2012 "},
    {"\r\nMicrosoft Windows [Version 6.3.9600]\r\n", "8.1 ", "Server 2012 R2 "},
    {"\r\nMicrosoft Windows [Version 10.0.19045.3570]\r\n", "10 ", "Server 10 "},
    {"[Version 6.3.9600] 6.2", "8 ", "Server 2012 "},     // 6.2 row first
    {"[Version 10.0.1] 6.3", "8.1 ", "Server 2012 R2 "},  // 6.3 before 10
    {"\r\nMicrosoft Windows [Version 11.0.1]\r\n", "11 ", "Server 11 "},
    {"\r\nMicrosoft Windows [Version 6.4.9841]\r\n", "6 ", "Server 6 "},
    {"[Version6.2.9200]", " ",
     "Server  "},  // no blank before 6.2; the dot is where the number starts
    {"Edition Version 9.0", "Version 9 ", "Server Version 9 "},  // first "ion" counts
    {"\r\n[12.0]", "12 ", "Server 12 "},                         // no "ion": the fourth character
    {"abc7.1", "7 ", "Server 7 "},
    {"Version 12", " ", "Server  "},      // no "."
    {"5.0 Version 12", " ", "Server  "},  // "." before the number begins
    {"\r\n", " ", "Server  "},            // unusable output
    {"", " ", "Server  "},
};

TEST_F(NtVersionWordsTest, Version62TakesItsWordsFromVerOutput) {
  for (const VerCase& c : kVersion62Rows) {
    EXPECT_EQ(velt::VerOutputWords(c.output, true, false), c.workstation_words) << c.output;
    EXPECT_EQ(velt::VerOutputWords(c.output, false, false), c.other_words) << c.output;
  }
}

TEST_F(NtVersionWordsTest, UnlistedMajorVersionsUseOnlyTheNumberRow) {
  EXPECT_EQ(velt::VerOutputWords("[Version 6.2.9200]", true, true), "6 ");
  EXPECT_EQ(velt::VerOutputWords("[Version 6.3.9600]", false, true), "Server 6 ");
  EXPECT_EQ(velt::VerOutputWords("\r\nMicrosoft Windows [Version 10.0.19045]\r\n", true, true),
            "10 ");
  EXPECT_EQ(velt::VerOutputWords("\r\nMicrosoft Windows [Version 10.0.19045]\r\n", false, true),
            "Server 10 ");
}

TEST_F(NtVersionWordsTest, Version62AndUnlistedMajorsRunVerThroughTheInterpreter) {
  sysinfo_test::ArrangeInterpreter("\r\nMicrosoft Windows [Version 6.3.9600]\r\n");
  EXPECT_EQ(velt::NtVersionWords(Facts(6, 2, kWs)), "8.1 ");
  EXPECT_EQ(velt::NtVersionWords(Facts(6, 2, kSrv)), "Server 2012 R2 ");
  for (uint32_t major : {0u, 1u, 2u, 7u, 9u, 11u, 250u}) {
    EXPECT_EQ(velt::NtVersionWords(Facts(major, 0, kWs)), "6 ") << major;
    EXPECT_EQ(velt::NtVersionWords(Facts(major, 3, kDc)), "Server 6 ") << major;
  }
  ASSERT_EQ(fake::World().processes.size(), 16u);
  for (const fake::ProcessRecord& process : fake::World().processes) {
    EXPECT_EQ(process.application, sysinfo_test::kSystemInterpreter);
    EXPECT_EQ(process.command_line,
              "\"" + std::string(sysinfo_test::kSystemInterpreter) + "\" /d /c ver");
  }
}

TEST_F(NtVersionWordsTest, Version62WithoutVerOutputFallsToAnEmptyNumber) {
  EXPECT_EQ(velt::NtVersionWords(Facts(6, 2, kWs)), " ");  // "ver" printed nothing
  EXPECT_EQ(velt::NtVersionWords(Facts(6, 2, kSrv)), "Server  ");
  fake::World().system_directory.clear();  // nothing can run
  EXPECT_EQ(velt::NtVersionWords(Facts(11, 0, 0)), "Server  ");
  EXPECT_EQ(fake::World().processes.size(), 2u);
}

}  // namespace
