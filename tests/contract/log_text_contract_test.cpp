// What a run log needs from the system: the text of an error code, UTF-8 from
// the ANSI code page (Windows-1252 in this English world) and the local time.
#include <string>

#include "platform/errors.h"
#include "platform/log_text.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class LogTextContract : public ContractTest {};

TEST_F(LogTextContract, ErrorTextsEndWithoutALineBreakAndAnsiBecomesUtf8) {
  const std::string denied = platform::SystemErrorText(platform::kErrorAccessDenied);
  EXPECT_FALSE(denied.empty());
  EXPECT_EQ(denied.find_first_of("\r\n"), std::string::npos) << denied;
  EXPECT_EQ(platform::SystemErrorText(0x2FFFFFFF), "");  // no such message

  EXPECT_EQ(platform::AnsiToUtf8("C:\\Logs\\x.log"), "C:\\Logs\\x.log");
  EXPECT_EQ(platform::AnsiToUtf8(""), "");
  // Latin-1's letters, and the euro sign where Latin-1 has a control code.
  EXPECT_EQ(platform::AnsiToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  const platform::LocalTime now = platform::GetLocalTime();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.hour < 24 && now.milliseconds < 1000);
}

}  // namespace
}  // namespace velt::contract
