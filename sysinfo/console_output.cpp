#include "sysinfo/console_output.h"

namespace velt {
namespace {

constexpr char kEndOfFile = 26;  // Ctrl-Z ends a text file

}  // namespace

std::string ConsoleOutputLines(const std::string& captured) {
  const std::string text = captured.substr(0, captured.find(kEndOfFile));
  std::string output;
  std::string::size_type start = 0;
  do {
    std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    for (std::string::size_type i = start; i < end; ++i) {
      if (text[i] != '\r')
        output += text[i];
    }
    output += "\r\n";
    start = end + 1;
  } while (start < text.size());
  return output;
}

}  // namespace velt
