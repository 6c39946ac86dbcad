// ANSI text as UTF-16, for the few wide-only calls the Win32 layer makes.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win32_api.h"

namespace platform {

// `text` (ANSI code page) in UTF-16 with its terminating zero. A vector rather
// than std::wstring: the product then links none of libstdc++'s wide-string
// code.
inline std::vector<wchar_t> Wide(const std::string& text) {
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::vector<wchar_t> wide(length > 0 ? length + 1 : 1, L'\0');
  if (length > 0) {
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
  }
  return wide;
}

}  // namespace platform
