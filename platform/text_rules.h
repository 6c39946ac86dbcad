// Text rules every layer shares: letters compare and convert in ASCII only
// (A to Z, a to z), as the command line and the program's own names are
// compared, and numbers are written in decimal, as the log writes them. Bytes
// above 127 (Cyrillic letters in Windows-1251) stay as they are.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline char AsciiLowercaseChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char AsciiUppercaseChar(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// `text` with A to Z lowercased, or a to z uppercased.
std::string AsciiLowercase(const std::string& text);
std::string AsciiUppercase(const std::string& text);
// Whether both texts are the same but for the case of A to Z.
bool SameAsciiText(const std::string& first, const std::string& second);

// `value` in decimal, with its sign when negative.
std::string DecimalText(int64_t value);

}  // namespace platform
