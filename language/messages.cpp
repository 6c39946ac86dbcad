#include "language/messages.h"

#include "deployment/error_box.h"
#include "language/language.h"
#include "platform/ui.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"

namespace velt {
namespace {

constexpr size_t kPlaceholderCount = 4;

// Replaces every non-overlapping `from`, left to right, without searching the
// inserted text again.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
  std::string result;
  size_t start = 0;
  for (size_t found; (found = text.find(from, start)) != std::string::npos;) {
    result.append(text, start, found - start);
    result += to;
    start = found + from.size();
  }
  result.append(text, start, std::string::npos);
  return result;
}

}  // namespace

std::string SubstitutePlaceholders(const std::string& text,
                                   const std::vector<std::string>& arguments) {
  std::string result = text;
  for (size_t number = 1; number <= kPlaceholderCount; ++number) {
    const std::string placeholder = "%" + std::to_string(number);
    if (result.find(placeholder) == std::string::npos)
      break;
    // A placeholder without an argument stays; so do all higher ones, which
    // have no argument either.
    if (number > arguments.size())
      break;
    result = ReplaceAll(result, placeholder, arguments[number - 1]);
  }
  return result;
}

std::string FormatText(const std::string& key, const std::vector<std::string>& arguments) {
  return SubstitutePlaceholders(GetText(key), arguments);
}

std::string FormatTextLines(const std::string& key, const std::vector<std::string>& arguments) {
  return SubstitutePlaceholders(GetTextLines(key), arguments);
}

void ShowLocalizedError(const std::string& text,
                        const char* english,
                        const char* russian,
                        const std::string& subject) {
  if (text.empty()) {
    ShowBilingualError(english + subject, russian + subject);
    return;
  }
  ShowErrorBox(text, ProgramTitle,
               platform::kMbOk | platform::kMbIconError | platform::kMbServiceNotification, true,
               static_cast<uint16_t>(LanguageId & 0xFFFF));
}

}  // namespace velt
