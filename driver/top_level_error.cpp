#include "driver/top_level_error.h"

#include <cstdint>

#include "deployment/error_box.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace velt {
namespace {

std::string HexAddress(const void* address) {
  static const char kDigits[] = "0123456789ABCDEF";
  uintptr_t value = reinterpret_cast<uintptr_t>(address);
  std::string text(sizeof(value) * 2, '0');
  for (size_t i = text.size(); i-- > 0; value >>= 4)
    text[i] = kDigits[value & 0xF];
  return text;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string FormatTopLevelError(const std::string& class_name,
                                const std::string& module_name,
                                const void* address,
                                const std::string& message) {
  bool needs_period = !message.empty() && static_cast<unsigned char>(message.back()) > '.';
  return "Exception " + class_name + " in module " + module_name + " at " + HexAddress(address) +
         ".\r\n" + message + (needs_period ? "." : "") + "\r\n";
}

void ShowTopLevelError(const std::string& class_name,
                       const void* address,
                       const std::string& message) {
  std::string text =
      FormatTopLevelError(class_name, BaseName(platform::GetModuleFileName()), address, message);
  ShowErrorBox(text, "Application Error", platform::kMbTaskModal | platform::kMbIconError, false,
               0);
}

}  // namespace velt
