// The integer rules of language file values ("langver", "langcode" lines).
#pragma once

#include <cstdint>
#include <string>

namespace velt {

// Converts `text`: optional leading spaces (0x20 only), optional "+" or "-",
// then decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X".
// Nothing may follow the digits. False for an empty or malformed text and for a
// value outside the 32-bit signed range; `*value` is then untouched.
bool TextToInteger(const std::string& text, int32_t* value);

}  // namespace velt
