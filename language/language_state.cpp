#include "language/language_state.h"

#include "language/language.h"
#include "platform/files.h"
#include "platform/text_rules.h"
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
bool QuietLookups = false;
std::string FailedLookupFile;

namespace {

platform::ScopedHandle LanguageFolderHandle;
std::string LanguageFolderReached;  // its final path; empty when unknown

}  // namespace

void StartLanguage() {
  CloseLineReader(CurrentFileReader);
  LanguageFolderHandle.Reset();
  LanguageFolderReached.clear();
  QuietLookups = false;
  FailedLookupFile.clear();
  LanguageList.clear();
  LanguageFileIndex = -1;
  RussianFileIndex = -1;
  EnglishFileIndex = -1;
  LocaleMatchIndex = -1;
  LanguageId = -1;
}

void EndLanguage() {
  CloseLineReader(CurrentFileReader);
  LanguageFolderHandle.Reset();
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

platform::RawHandle HeldLanguageFolder() {
  if (LanguageFolderHandle.IsValid())
    return LanguageFolderHandle.Get();
  const std::string path = LanguageFolder();
  platform::ScopedHandle folder = platform::OpenFolder(path);
  uint32_t attributes = 0;
  if (!folder.IsValid() || !platform::GetFileAttributesByHandle(folder.Get(), &attributes) ||
      (attributes & (platform::kAttrDirectory | platform::kAttrReparsePoint)) !=
          platform::kAttrDirectory) {
    return nullptr;
  }
  std::string reached;
  if (platform::GetFinalPathNameByHandle(folder.Get(), &reached) &&
      !platform::SameAsciiText(reached + "\\", path)) {
    return nullptr;  // a link (Wine follows it even where asked not to)
  }
  LanguageFolderReached = reached;
  LanguageFolderHandle = std::move(folder);
  return LanguageFolderHandle.Get();
}

bool OpenListedFile(LineReader& reader, int32_t index) {
  platform::RawHandle folder = HeldLanguageFolder();
  return OpenLineReader(reader, folder, LanguageFolderReached, ListedFileName(index));
}

int32_t DefaultFileIndex() {
  return CyrillicLocale ? RussianFileIndex : EnglishFileIndex;
}

}  // namespace velt
