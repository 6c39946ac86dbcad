// What a run log needs from the system: the local time, the system's text for
// an error code, and UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct LocalTime {
  uint16_t year = 0, month = 0, day = 0;
  uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};
// GetLocalTime.
LocalTime GetLocalTime();

// FormatMessageA's system text for `error`, without its closing line break;
// empty when the system has none.
std::string SystemErrorText(uint32_t error);

// `text`, in the ANSI code page, as UTF-8.
std::string AnsiToUtf8(const std::string& text);

}  // namespace platform
