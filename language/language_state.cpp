#include "language/language_state.h"

#include "language/language.h"
#include "startup/install_environment.h"
#include "startup/startup_settings.h"

namespace velt {

std::vector<std::string> LanguageList;
int32_t LanguageFileIndex = -1;
int32_t RussianFileIndex = -1;
int32_t EnglishFileIndex = -1;
int32_t LocaleMatchIndex = -1;
int32_t LanguageId = -1;
LineReader CurrentFileReader;

void StartLanguage() {
  CloseLineReader(CurrentFileReader);
  LanguageList.clear();
  LanguageFileIndex = -1;
  RussianFileIndex = -1;
  EnglishFileIndex = -1;
  LocaleMatchIndex = -1;
  LanguageId = -1;
}

void EndLanguage() {
  CloseLineReader(CurrentFileReader);
  LanguageList.clear();
  LanguageList.shrink_to_fit();
}

std::string LanguageFolder() {
  return ProductFolder + "language\\";
}

std::string ListedFileName(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= LanguageList.size())
    return std::string();
  return LanguageList[index];
}

std::string LanguageFilePath(int32_t index) {
  return LanguageFolder() + ListedFileName(index);
}

int32_t DefaultFileIndex() {
  return CyrillicLocale ? RussianFileIndex : EnglishFileIndex;
}

}  // namespace velt
