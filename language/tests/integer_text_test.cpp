// The integer rules of "langver" and "langcode" values.
#include <gtest/gtest.h>

#include "language/integer_text.h"

namespace {

struct Accepted {
  const char* text;
  int32_t value;
};

TEST(LanguageIntegerText, AcceptsDecimalHexadecimalSignsAndLeadingSpaces) {
  const Accepted cases[] = {
      {"0", 0},
      {"1049", 1049},
      {"  1049", 1049},
      {"+12", 12},
      {"-12", -12},
      {" -7", -7},
      {"007", 7},
      {"$419", 0x419},
      {"x1a", 26},
      {"X1A", 26},
      {"0x419", 0x419},
      {"0XfF", 255},
      {"-$10", -16},
      {"+0x10", 16},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"$7FFFFFFF", INT32_MAX},
      {"-$80000000", INT32_MIN},
      {"00000000000000000001", 1},
  };
  for (const Accepted& c : cases) {
    int32_t value = 123456;
    EXPECT_TRUE(velt::TextToInteger(c.text, &value)) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(LanguageIntegerText, RejectsFaultyTextsAndLeavesTheValue) {
  const char* cases[] = {
      "",
      " ",
      "1049 ",
      "\t1049",
      "1049\t",
      "+",
      "-",
      "$",
      "0x",
      "x",
      "+ 5",
      "--5",
      "5-",
      "12a",
      "1,049",
      "0x1G",
      "$-5",
      "00x5",
      "0$5",
      "1e3",
      "2147483648",
      "-2147483649",
      "$80000000",
      "$FFFFFFFF",
      "99999999999999999999",
      "\xB9"
      "1",
  };
  for (const char* text : cases) {
    int32_t value = 123456;
    EXPECT_FALSE(velt::TextToInteger(text, &value)) << '"' << text << '"';
    EXPECT_EQ(value, 123456) << text;
  }
}

}  // namespace
