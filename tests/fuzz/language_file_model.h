// An independent model of the language file format, for checking the lookups:
// - the text ends at its first byte 0x1A; lines end at LF; every CR is dropped
//   (a CR LF pair ends a line, a lone CR vanishes); bytes after the last LF form
//   a last line when there are any;
// - a header names `key` when it begins with "[" and, trimmed of characters up
//   to 0x20 at both ends and with A-Z lowercased, begins with "[" + key + "]";
// - the value of a key is the line after its first header ("" when none);
// - a multi-line value is the value line plus the following lines up to the
//   first blank line (empty or only characters up to 0x20), joined with "\r\n";
// - an empty value line in the current file means: take the default file's.
#pragma once

#include <string>
#include <vector>

#include "platform/blank.h"  // what a blank is
#include "platform/text_rules.h"

namespace velt_fuzz {

class LanguageFileModel {
 public:
  explicit LanguageFileModel(const std::string& bytes) {
    const std::string text = bytes.substr(0, bytes.find('\x1A'));
    std::string line;
    for (char c : text) {
      if (c == '\n') {
        lines_.push_back(line);
        line.clear();
      } else if (c != '\r') {
        line += c;
      }
    }
    if (!text.empty() && text.back() != '\n')
      lines_.push_back(line);
  }

  // The value line of `key`; empty when no header names it or the file ends there.
  std::string Value(const std::string& key) const {
    const size_t header = FindHeader(key);
    return header + 1 < lines_.size() ? lines_[header + 1] : std::string();
  }

  // The value line of a header naming `key` plus its continuation lines.
  std::string ValueLines(const std::string& key) const {
    const size_t header = FindHeader(key);
    if (header + 1 >= lines_.size())
      return std::string();
    std::string text = lines_[header + 1];
    for (size_t i = header + 2; i < lines_.size() && !platform::IsBlank(lines_[i]); ++i)
      text += "\r\n" + lines_[i];
    return text;
  }

 private:
  static std::string Lower(const std::string& text) { return platform::AsciiLowercase(text); }

  static bool NamesKey(const std::string& line, const std::string& key) {
    if (line.empty() || line[0] != '[')
      return false;
    size_t first = 0;
    size_t last = line.size();
    while (first < last && platform::IsBlankChar(line[first]))
      ++first;
    while (last > first && platform::IsBlankChar(line[last - 1]))
      --last;
    const std::string trimmed = Lower(line.substr(first, last - first));
    const std::string wanted = "[" + Lower(key) + "]";
    return trimmed.size() >= wanted.size() && trimmed.substr(0, wanted.size()) == wanted;
  }

  // Index of the first header naming `key`; lines_.size() when none.
  size_t FindHeader(const std::string& key) const {
    size_t i = 0;
    while (i < lines_.size() && !NamesKey(lines_[i], key))
      ++i;
    return i;
  }

  std::vector<std::string> lines_;
};

// GetText over a current and a default file.
inline std::string ModelGetText(const LanguageFileModel& current,
                                const LanguageFileModel& fallback,
                                const std::string& key) {
  const std::string value = current.Value(key);
  return value.empty() ? fallback.Value(key) : value;
}

// GetTextLines over a current and a default file: the whole multi-line value
// comes from one file.
inline std::string ModelGetTextLines(const LanguageFileModel& current,
                                     const LanguageFileModel& fallback,
                                     const std::string& key) {
  return current.Value(key).empty() ? fallback.ValueLines(key) : current.ValueLines(key);
}

}  // namespace velt_fuzz
