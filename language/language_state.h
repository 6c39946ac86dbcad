// Module-internal state and helpers shared by the language module's files.
#pragma once

#include <cstdint>
#include <string>

#include "language/line_reader.h"

namespace velt {

// The current language file, kept open between lookups; closed on selection.
extern LineReader CurrentFileReader;

// While set (LoadLanguage's scan and choice), a lookup that cannot read a file
// shows no box; the first such file is noted in FailedLookupFile instead.
extern bool QuietLookups;
extern std::string FailedLookupFile;

// ProductFolder + "language\".
std::string LanguageFolder();
// The language folder, held open without delete sharing from its first use
// until EndLanguage; every language file is opened relative to it. Opened
// without following a link at its own name, and only where it is no link and,
// where final paths are known, ProductFolder's own "language" folder. Invalid
// when it cannot be held.
platform::RawHandle HeldLanguageFolder();
// The listed name at `index`; empty when `index` is outside the list.
std::string ListedFileName(int32_t index);
// Opens the listed file at `index` in `reader` (see OpenLineReader).
bool OpenListedFile(LineReader& reader, int32_t index);
// RussianFileIndex on Cyrillic locales, EnglishFileIndex otherwise.
int32_t DefaultFileIndex();

}  // namespace velt
