// SubstitutePlaceholders against a model: for n = 1..4, stop when "%n" is absent
// or there is no argument n; otherwise replace every non-overlapping "%n", left
// to right, with argument n, without searching the inserted text within that
// step (later steps do see it).
//
// Input: NUL-separated parts: the text, then up to five arguments.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "language/messages.h"

namespace {

constexpr size_t kMaxArguments = 5;

std::string ModelSubstitute(std::string text, const std::vector<std::string>& arguments) {
  for (size_t n = 1; n <= 4; ++n) {
    const char placeholder[] = {'%', static_cast<char>('0' + n), '\0'};
    if (text.find(placeholder) == std::string::npos || n > arguments.size())
      break;
    std::string result;
    for (size_t i = 0; i < text.size();) {
      if (text.compare(i, 2, placeholder) == 0) {
        result += arguments[n - 1];
        i += 2;
      } else {
        result += text[i++];
      }
    }
    text = result;
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> parts = velt_fuzz::SplitAtNul(velt_fuzz::AsString(data, size));
  const std::string text = parts[0];
  parts.erase(parts.begin());
  if (parts.size() > kMaxArguments)
    parts.resize(kMaxArguments);
  velt_fuzz::ExpectEqual("SubstitutePlaceholders", velt::SubstitutePlaceholders(text, parts),
                         ModelSubstitute(text, parts));
  return 0;
}
