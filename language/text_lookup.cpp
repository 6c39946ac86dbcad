// GetText and GetTextLines: lookups in the current file with the fallback to the
// default language file. Every lookup scans its file from the beginning.
//
// The fallback of GetText is always the default file's value line alone, never
// its multi-line value, whatever lookups came before.
#include "language/header_match.h"
#include "language/language.h"
#include "language/language_state.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

enum class FindResult { kFound, kAbsent, kError };

// Scans from the reader's position for the first header naming `key` and reads
// the line after it into `*value` (empty when the file ends there).
FindResult FindValue(LineReader& reader, const std::string& key, std::string* value) {
  value->clear();
  std::string line;
  for (;;) {
    switch (ReadLine(reader, &line)) {
      case LineResult::kError:
        return FindResult::kError;
      case LineResult::kEnd:
        return FindResult::kAbsent;
      case LineResult::kLine:
        break;
    }
    if (!HeaderNamesKey(line, key))
      continue;
    switch (ReadLine(reader, value)) {
      case LineResult::kError:
        value->clear();
        return FindResult::kError;
      case LineResult::kEnd:
        value->clear();
        return FindResult::kFound;
      case LineResult::kLine:
        return FindResult::kFound;
    }
  }
}

// Appends "\r\n" + line for each following line up to the first blank line or
// the end of the text. False on a read failure (`*text` keeps what was read).
bool AppendContinuation(LineReader& reader, std::string* text) {
  std::string line;
  for (;;) {
    const LineResult result = ReadLine(reader, &line);
    if (result == LineResult::kError)
      return false;
    if (result == LineResult::kEnd || IsBlankLine(line))
      return true;
    *text += "\r\n";
    *text += line;
  }
}

// Opens the current file, or rewinds it when it is open already.
bool StartCurrentFile() {
  if (IsLineReaderOpen(CurrentFileReader)) {
    if (RewindLineReader(CurrentFileReader))
      return true;
    CloseLineReader(CurrentFileReader);
  }
  return OpenListedFile(CurrentFileReader, LanguageFileIndex);
}

// Looks `key` up in the current file. False (after a box naming the file) when
// it cannot be opened or read; the reader is then closed so that the next
// lookup opens it afresh.
bool FindInCurrentFile(const std::string& key, std::string* value) {
  value->clear();
  if (ListedFileName(LanguageFileIndex).empty())
    return true;
  if (StartCurrentFile() && FindValue(CurrentFileReader, key, value) != FindResult::kError)
    return true;
  CloseLineReader(CurrentFileReader);
  ReportLanguageFileError(ListedFileName(LanguageFileIndex));
  return false;
}

// The value of `key` in the default language file, read through its own reader;
// with `multi_line` also its continuation lines. Empty or partial after a box
// when the file cannot be opened or read.
std::string DefaultLookup(const std::string& key, bool multi_line) {
  const int32_t index = DefaultFileIndex();
  if (ListedFileName(index).empty())
    return std::string();
  LineReader reader;
  std::string value;
  bool ok = OpenListedFile(reader, index);
  if (ok) {
    const FindResult found = FindValue(reader, key, &value);
    ok = found != FindResult::kError;
    if (found == FindResult::kFound && multi_line)
      ok = AppendContinuation(reader, &value);
  }
  CloseLineReader(reader);
  if (!ok)
    ReportLanguageFileError(ListedFileName(index));
  return value;
}

}  // namespace

std::string GetText(const std::string& key) {
  std::string value;
  if (!FindInCurrentFile(key, &value))
    return std::string();
  if (value.empty())
    return DefaultLookup(key, false);
  return value;
}

std::string GetTextLines(const std::string& key) {
  std::string text;
  if (!FindInCurrentFile(key, &text))
    return std::string();
  if (text.empty())
    return DefaultLookup(key, true);
  if (!AppendContinuation(CurrentFileReader, &text)) {
    CloseLineReader(CurrentFileReader);
    ReportLanguageFileError(ListedFileName(LanguageFileIndex));
  }
  return text;
}

void ReportLanguageFileError(const std::string& name) {
  if (QuietLookups) {
    if (FailedLookupFile.empty())
      FailedLookupFile = name;
    return;
  }
  ShowBilingualError("Can't handle the language support file " + name,
                     "Не удаётся работать с файлом языковой поддержки " + name);
}

}  // namespace velt
