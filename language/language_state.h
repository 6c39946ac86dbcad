// Module-internal state and helpers shared by the language module's files.
#pragma once

#include <cstdint>
#include <string>

#include "language/line_reader.h"

namespace velt {

// The current language file, kept open between lookups; closed on selection.
extern LineReader CurrentFileReader;

// ProductFolder + "language\".
std::string LanguageFolder();
// The listed name at `index`; empty when `index` is outside the list.
std::string ListedFileName(int32_t index);
// LanguageFolder() + the listed name at `index`.
std::string LanguageFilePath(int32_t index);
// RussianFileIndex on Cyrillic locales, EnglishFileIndex otherwise.
int32_t DefaultFileIndex();

}  // namespace velt
