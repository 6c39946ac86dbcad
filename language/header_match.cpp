#include "language/header_match.h"

#include "platform/blank.h"
#include "platform/text_rules.h"
#include "startup/startup_settings.h"

namespace velt {

bool IsBlankLine(const std::string& line) {
  return platform::IsBlank(line);
}

bool HeaderNamesKey(const std::string& line, const std::string& key) {
  if (line.empty() || line[0] != '[')
    return false;
  size_t end = line.size();
  while (end > 0 && platform::IsBlankChar(line[end - 1]))
    --end;
  const std::string trimmed = platform::AsciiLowercase(line.substr(0, end));
  const std::string wanted = "[" + platform::AsciiLowercase(key) + "]";
  return trimmed.compare(0, wanted.size(), wanted) == 0;
}

}  // namespace velt
