#include "platform/text_rules.h"

namespace platform {

std::string AsciiLowercase(const std::string& text) {
  std::string result = text;
  for (char& c : result)
    c = AsciiLowercaseChar(c);
  return result;
}

std::string AsciiUppercase(const std::string& text) {
  std::string result = text;
  for (char& c : result)
    c = AsciiUppercaseChar(c);
  return result;
}

bool SameAsciiText(const std::string& first, const std::string& second) {
  if (first.size() != second.size())
    return false;
  for (size_t i = 0; i < first.size(); ++i) {
    if (AsciiLowercaseChar(first[i]) != AsciiLowercaseChar(second[i]))
      return false;
  }
  return true;
}

std::string DecimalText(int64_t value) {
  uint64_t rest = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char text[24];  // 20 digits at most, and the sign
  char* start = text + sizeof(text);
  do {
    *--start = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (value < 0)
    *--start = '-';
  return std::string(start, text + sizeof(text));
}

}  // namespace platform
