#include "language/integer_text.h"

namespace velt {
namespace {

int DigitValue(char c, int base) {
  int digit = -1;
  if (c >= '0' && c <= '9')
    digit = c - '0';
  else if (c >= 'a' && c <= 'f')
    digit = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    digit = c - 'A' + 10;
  return digit < base ? digit : -1;
}

// Length of the hexadecimal prefix at `pos`, or 0 when there is none.
size_t HexPrefixLength(const std::string& text, size_t pos) {
  if (pos >= text.size())
    return 0;
  const char c = text[pos];
  if (c == '$' || c == 'x' || c == 'X')
    return 1;
  if (c == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X'))
    return 2;
  return 0;
}

}  // namespace

bool TextToInteger(const std::string& text, int32_t* value) {
  size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ')
    ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  int base = 10;
  if (const size_t prefix = HexPrefixLength(text, pos)) {
    base = 16;
    pos += prefix;
  }
  if (pos >= text.size())
    return false;
  // The magnitude may reach 2^31 for a negative value; stop counting beyond that.
  constexpr uint64_t kLimit = 0x80000000ULL;
  uint64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    const int digit = DigitValue(text[pos], base);
    if (digit < 0)
      return false;
    magnitude = magnitude * base + digit;
    if (magnitude > kLimit)
      return false;
  }
  if (!negative && magnitude == kLimit)
    return false;
  *value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                    : static_cast<int32_t>(magnitude);
  return true;
}

}  // namespace velt
