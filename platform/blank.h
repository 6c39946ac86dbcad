// What counts as blank wherever the program reads text: command lines,
// language files and the system's own texts.
#pragma once

#include <string>

namespace platform {

// A byte up to and including space (0x20): space, tab, the line ends and the
// other control characters.
inline bool IsBlankChar(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

// True for an empty text or one made only of blank characters.
inline bool IsBlank(const std::string& text) {
  for (char c : text) {
    if (!IsBlankChar(c))
      return false;
  }
  return true;
}

}  // namespace platform
