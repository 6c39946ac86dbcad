// ConsoleOutputLines against a model: the text ends at its first byte 26; lines
// end at LF (bytes after the last LF form a last line); CR is dropped; every
// line is followed by "\r\n"; there is at least one line. The whole input is
// the captured output.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "sysinfo/console_output.h"

namespace {

std::string ModelLines(const std::string& captured) {
  std::vector<std::string> lines;
  std::string line;
  bool pending = false;  // bytes since the last LF
  for (char c : captured) {
    if (c == 26)
      break;
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
      pending = false;
      continue;
    }
    pending = true;
    if (c != '\r')
      line += c;
  }
  if (pending || lines.empty())
    lines.push_back(line);
  std::string output;
  for (const std::string& each : lines)
    output += each + "\r\n";
  return output;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string captured = velt_fuzz::AsString(data, size);
  velt_fuzz::ExpectEqual("ConsoleOutputLines", velt::ConsoleOutputLines(captured),
                         ModelLines(captured));
  return 0;
}
