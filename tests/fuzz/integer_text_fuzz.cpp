// TextToInteger against a model of the integer rules: optional leading spaces
// (0x20 only), an optional sign, decimal digits or hexadecimal digits after "$",
// "x", "X", "0x" or "0X", nothing after the digits, a value in the 32-bit signed
// range. On failure the output is untouched. The whole input is the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "language/integer_text.h"

namespace {

bool IsDigitOf(char c, int base) {
  if (c >= '0' && c <= '9')
    return true;
  return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

int DigitOf(char c) {
  if (c <= '9')
    return c - '0';
  return (c | 0x20) - 'a' + 10;
}

// The model: the digits are checked whole first, then leading zeros are dropped
// and a value with too many digits for 32 bits is out of range before anything
// is added up, so no step can overflow.
bool ModelTextToInteger(const std::string& text, int32_t* value) {
  size_t pos = text.find_first_not_of(' ');
  if (pos == std::string::npos)
    return false;
  bool negative = false;
  if (text[pos] == '+' || text[pos] == '-')
    negative = text[pos++] == '-';
  int base = 10;
  const std::string rest = text.substr(pos);
  if (rest.compare(0, 2, "0x") == 0 || rest.compare(0, 2, "0X") == 0) {
    base = 16;
    pos += 2;
  } else if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    base = 16;
    pos += 1;
  }
  const std::string digits = text.substr(pos);
  if (digits.empty())
    return false;
  for (char c : digits) {
    if (!IsDigitOf(c, base))
      return false;
  }
  const std::string significant =
      digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
  if (significant.size() > (base == 10 ? 10u : 8u))
    return false;
  int64_t magnitude = 0;
  for (char c : significant)
    magnitude = magnitude * base + DigitOf(c);
  const int64_t result = negative ? -magnitude : magnitude;
  if (result < INT32_MIN || result > INT32_MAX)
    return false;
  *value = static_cast<int32_t>(result);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = velt_fuzz::AsString(data, size);
  // A sentinel that no failure may overwrite; varies with the input.
  const int32_t sentinel = static_cast<int32_t>(0x5EED0000u + size);
  int32_t actual = sentinel;
  int32_t expected = sentinel;
  const bool accepted = velt::TextToInteger(text, &actual);
  const bool model_accepted = ModelTextToInteger(text, &expected);
  if (accepted != model_accepted || actual != expected) {
    velt_fuzz::Mismatch(("TextToInteger of \"" + velt_fuzz::Escaped(text) + "\"").c_str(),
                        (accepted ? "accepted " : "rejected ") + std::to_string(actual),
                        (model_accepted ? "accepted " : "rejected ") + std::to_string(expected));
  }
  return 0;
}
