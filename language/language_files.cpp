// LoadLanguage and SelectLanguageFile: listing the language files, checking the
// required ones, scanning every file's header values, and choosing the current
// file by locale, by default and by the per-user "LangFile" value.
#include <vector>

#include "language/integer_text.h"
#include "language/language.h"
#include "language/language_state.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text_rules.h"
#include "platform/tregistry.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"

namespace velt {
namespace {

const char kRussianFile[] = "russian.lng";
const char kEnglishFile[] = "english.lng";

// Step 1: every entry matching language\*.lng whose name has no "!", in listing
// order; none when the language folder cannot be held.
void ListLanguageFiles() {
  if (!HeldLanguageFolder())
    return;
  platform::FindData entry;
  platform::ScopedFindHandle find = platform::FindFirstFile(LanguageFolder() + "*.lng", &entry);
  if (!find.IsValid())
    return;
  do {
    if (entry.name.find('!') != std::string::npos)
      continue;
    const int32_t index = static_cast<int32_t>(LanguageList.size());
    LanguageList.push_back(entry.name);
    const std::string lowercase = platform::AsciiLowercase(entry.name);
    if (lowercase == kRussianFile) {
      RussianFileIndex = index;
    } else if (lowercase == kEnglishFile) {
      EnglishFileIndex = index;
    }
  } while (platform::FindNextFile(find.Get(), &entry));
}

// Step 2: false after the missing-file box when a required file is absent.
bool CheckRequiredFiles() {
  std::string missing;
  if (CyrillicLocale && RussianFileIndex < 0) {
    missing = kRussianFile;
  } else if (EnglishFileIndex < 0) {
    missing = kEnglishFile;
  }
  if (missing.empty())
    return true;
  ShowBilingualError(
      "Can't work with no " + missing + " file!\r\nPlease reinstall the program.",
      "Работа без файла " + missing + " невозможна!\r\nПожалуйста, переустановите программу.");
  return false;
}

// The faulty-file box: for the file a lookup could not read, if any, else `name`.
void ReportFaultyFile(const std::string& name) {
  const std::string faulty = FailedLookupFile.empty() ? name : FailedLookupFile;
  ShowBilingualError(
      faulty + " file contains errors.\r\nPlease reinstall the program.",
      "Файл " + faulty + " содержит ошибки!\r\nПожалуйста, переустановите программу.");
}

// Splits a multi-line value at its "\r\n" separators.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos)
      return lines;
    start = end + 2;
  }
}

// Whether the whole file reads within the limits of a language file
// (line_reader.h): beyond them it is faulty, wherever its keys are.
bool ReadsWithinLimits(int32_t index) {
  LineReader reader;
  if (!OpenListedFile(reader, index))
    return false;
  std::string line;
  LineResult result;
  while ((result = ReadLine(reader, &line)) == LineResult::kLine) {
  }
  return result == LineResult::kEnd;
}

// Step 3 for one file: selects it, checks "langver" and every "langcode" line,
// notes a locale match, and reads it through. False when a value is not an
// integer, a lookup could not read a file or the file goes beyond the limits.
bool ScanLanguageFile(int32_t index) {
  if (!SelectLanguageFile(index) || !FailedLookupFile.empty())
    return false;
  int32_t number = 0;
  if (!TextToInteger(GetText("langver"), &number))
    return false;
  const std::string codes = GetTextLines("langcode");
  if (!codes.empty()) {
    for (const std::string& line : SplitLines(codes)) {
      if (!TextToInteger(line, &number))
        return false;
      if (static_cast<uint32_t>(number) == UserLcid)
        LocaleMatchIndex = index;
    }
  }
  CloseLineReader(CurrentFileReader);
  return FailedLookupFile.empty() && ReadsWithinLimits(index);
}

// The "LangFile" string of the settings key; empty when the key cannot be
// opened or the value is missing or not a string.
std::string ReadStoredChoice() {
  platform::TRegistry& registry = Registry();
  platform::KeyCloser closer(registry);
  if (!OpenSettingsKey())
    return std::string();
  const uint32_t type = registry.GetDataType("LangFile");
  if (type != platform::kRegSz && type != platform::kRegExpandSz)
    return std::string();
  return registry.ReadString("LangFile");
}

// Selects `index`, showing the faulty-file box when its header values are
// faulty or cannot be read.
bool SelectOrReport(int32_t index) {
  if (SelectLanguageFile(index) && FailedLookupFile.empty())
    return true;
  ReportFaultyFile(ListedFileName(index));
  return false;
}

// Lookups show no box while loading (see QuietLookups), also when an error
// ends it early.
class QuietWhileLoading {
 public:
  QuietWhileLoading() {
    QuietLookups = true;
    FailedLookupFile.clear();
  }
  ~QuietWhileLoading() { QuietLookups = false; }
};

}  // namespace

bool SelectLanguageFile(int32_t index) {
  CloseLineReader(CurrentFileReader);
  LanguageFileIndex = index;
  ProgramTitle = GetText("progname");
  int32_t id = 0;
  if (!TextToInteger(GetText("langcode"), &id))
    return false;
  LanguageId = id;
  return true;
}

bool LoadLanguage() {
  QuietWhileLoading quiet;
  ListLanguageFiles();
  if (!CheckRequiredFiles())
    return false;

  for (int32_t index = 0; index < static_cast<int32_t>(LanguageList.size()); ++index) {
    if (!ScanLanguageFile(index)) {
      ReportFaultyFile(ListedFileName(index));
      return false;
    }
  }

  const int32_t chosen = LocaleMatchIndex >= 0 ? LocaleMatchIndex : DefaultFileIndex();
  if (!SelectOrReport(chosen))
    return false;

  const std::string stored = ReadStoredChoice();
  if (!stored.empty() && stored != ListedFileName(LanguageFileIndex)) {
    for (int32_t index = 0; index < static_cast<int32_t>(LanguageList.size()); ++index) {
      if (LanguageList[index] == stored)
        return SelectOrReport(index);
    }
  }
  return true;
}

}  // namespace velt
