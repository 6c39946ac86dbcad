// Windows 9x (platform 1): the version words and the service-pack text.
#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_platform.h"
#include "sysinfo/os_description.h"

namespace {

struct Win9xCase {
  uint32_t major, minor, build;
  std::string csd;
  std::string words;
};

// First matching row wins; the build is the low 16 bits unless the whole number
// is named (the 98 SE test).
const Win9xCase kCases[] = {
    {4, 0, 1111, "", "95 OSR 2.0"},
    {4, 3, 1111, " C ", "95 OSR 2.0"},
    {4, 0, 0x04000457, "", "95 OSR 2.0"},  // 1111 in the low 16 bits
    {4, 0, 1212, "", "95 OSR 2.1"},
    {4, 3, 1213, " C", "95 OSR 2.1"},
    {4, 0, 1214, " C ", "95 OSR 2.5"},
    {4, 3, 1214, " C", "95 OSR 2.5"},
    {4, 0, 1214, " B ", "95 OSR 2.1"},
    {4, 0, 1214, " c ", "95 OSR 2.1"},  // case-sensitive
    {4, 0, 1214, "C", "95 OSR 2.1"},    // no second character
    {4, 0, 1081, " A ", "95 OSR 2.x"},  // above 1080 comes before the OSR 1 test
    {4, 3, 0x040004B0, "", "95 OSR 2.x"},
    {4, 0, 1080, " A ", "95 OSR 1"},
    {4, 3, 950, " W", "95 OSR 1"},
    {4, 0, 950, " a ", "95"},
    {4, 0, 1080, "", "95"},
    {4, 0, 0x00010000, "", "95"},  // low 16 bits are 0
    {4, 10, 1998, "", "98"},
    {4, 10, 2222, "", "98 SE"},
    {4, 10, 0x040A08AE, "", "98"},  // 2222 only in the low 16 bits
    {4, 10, 0x040A08AE, " A ", "98 SE"},
    {4, 10, 1998, " B", "98 SE"},
    {4, 10, 1998, " C", "98"},
    {4, 10, 1998, " b", "98"},
    {4, 90, 3000, "", "Millennium"},
    {4, 90, 1111, " A ", "Millennium"},
    {4, 1, 1111, "", "Unknown 9x"},
    {4, 91, 3000, "", "Unknown 9x"},
    {3, 0, 1111, "", "Unknown 9x"},
    {5, 10, 2222, "", "Unknown 9x"},
};

TEST(Windows9xDescriptionTest, EveryRowGivesItsWordsAndTheCsdAsServicePack) {
  for (const Win9xCase& c : kCases) {
    fake::ResetWorld();
    fake::World().version = {c.major, c.minor, c.build, 1, c.csd, 0xFFFF, 1};
    fake::World().system_metrics[89] = 1;  // NT-only inputs change nothing here
    std::string product = "x", service_pack = "y";
    ASSERT_TRUE(velt::ReadWindowsVersion(&product, &service_pack));
    EXPECT_EQ(product, "Microsoft Windows " + c.words)
        << c.major << "." << c.minor << " build " << c.build << " csd '" << c.csd << "'";
    EXPECT_EQ(service_pack, c.csd);
  }
}

TEST(Windows9xDescriptionTest, PlainRecordIsEnoughAndCsdIsJoinedUnlessBlank) {
  fake::ResetWorld();
  fake::World().version_ex_works = false;
  fake::World().version = {4, 10, 2222, 1, " A ", 0, 0};
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows 98 SE  A ");

  fake::World().version.csd_version = " \t ";
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows 98 SE");
}

}  // namespace
