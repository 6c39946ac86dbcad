// Helpers shared by the fuzz targets: splitting an input into parts and
// stopping the run, with both sides printed, when the code and its model differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace velt_fuzz {

// The input as a string, byte for byte.
inline std::string AsString(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// The parts of `text` between NUL bytes (one part more than there are NULs).
inline std::vector<std::string> SplitAtNul(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\0', start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos)
      return parts;
    start = end + 1;
  }
}

// `text` with bytes outside printable ASCII as \xNN, for mismatch reports.
inline std::string Escaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof(hex), "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

// Reports a mismatch and aborts, which libFuzzer records as a crash.
[[noreturn]] inline void Mismatch(const char* what,
                                  const std::string& actual,
                                  const std::string& expected) {
  std::fprintf(stderr, "MODEL MISMATCH: %s\n  code:  \"%s\"\n  model: \"%s\"\n", what,
               Escaped(actual).c_str(), Escaped(expected).c_str());
  std::abort();
}

inline void ExpectEqual(const char* what, const std::string& actual, const std::string& expected) {
  if (actual != expected)
    Mismatch(what, actual, expected);
}

inline void ExpectEqual(const char* what, int64_t actual, int64_t expected) {
  if (actual != expected)
    Mismatch(what, std::to_string(actual), std::to_string(expected));
}

inline void ExpectEqual(const char* what,
                        const std::vector<std::string>& actual,
                        const std::vector<std::string>& expected) {
  auto joined = [](const std::vector<std::string>& words) {
    std::string text = std::to_string(words.size()) + " words:";
    for (const std::string& word : words)
      text += " [" + word + "]";
    return text;
  };
  if (actual != expected)
    Mismatch(what, joined(actual), joined(expected));
}

}  // namespace velt_fuzz
