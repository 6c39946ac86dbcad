// The local time, system error texts and UTF-8 over kernel32.
#include "platform/log_text.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

namespace platform {

LocalTime GetLocalTime() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  time.milliseconds = now.wMilliseconds;
  return time;
}

std::string SystemErrorText(uint32_t error) {
  char* buffer = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length) : "";
  if (buffer != nullptr)
    ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::string AnsiToUtf8(const std::string& text) {
  const std::vector<wchar_t> wide = Wide(text);
  const int wide_length = static_cast<int>(wide.size()) - 1;  // without its terminating zero
  if (wide_length <= 0)
    return std::string();
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (length <= 0)
    return std::string();
  std::string utf8(length, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, &utf8[0], length, nullptr, nullptr);
  return utf8;
}

}  // namespace platform
