// The language module: Velt's language files (language\*.lng in the installation
// folder), the choice of the current file and the lookup of texts by key.
// Texts are 8-bit ANSI strings, read and returned byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velt {

// Names of the listed language files (as the directory listing spells them),
// indexed from 0 in listing order. Built by LoadLanguage, kept until EndLanguage.
extern std::vector<std::string> LanguageList;
extern int32_t LanguageFileIndex;  // current file in LanguageList; -1: none selected
extern int32_t RussianFileIndex;   // "russian.lng" in any letter case; -1: absent
extern int32_t EnglishFileIndex;   // "english.lng" in any letter case; -1: absent
extern int32_t LocaleMatchIndex;   // last file whose "langcode" list holds UserLcid; -1: none
extern int32_t LanguageId;         // first "langcode" line of the current file; -1 initially

// Resets the state above to its initial values; no file is open.
void StartLanguage();
// Closes the current file and frees the language list.
void EndLanguage();

// Lists, checks and scans the language files, then selects the one to use
// (locale match, else the default file; then the per-user "LangFile" choice).
// Needs ProductFolder, UserLcid and CyrillicLocale. False after one bilingual
// error box when a required file is missing (or the language folder cannot be
// held) or a file is faulty or cannot be read.
bool LoadLanguage();

// Makes LanguageList[index] current and reads its header values into
// ProgramTitle and LanguageId. False (no box shown) when the first "langcode"
// line is not an integer; LanguageId is then left unchanged.
bool SelectLanguageFile(int32_t index);

// The line after the first header naming `key` in the current file; when that is
// empty or absent, the value line in the default language file. Empty when
// neither yields a value or when the current file cannot be read (after a box).
std::string GetText(const std::string& key);

// The multi-line value of `key` (value line and the following lines up to the
// first blank line, joined with "\r\n"), from the current file when its value
// line is not empty, else from the default language file.
std::string GetTextLines(const std::string& key);

// The bilingual "Can't handle the language support file" box naming `name`.
// While LoadLanguage scans and chooses, no box: loading reports the first such
// file faulty, once.
void ReportLanguageFileError(const std::string& name);

}  // namespace velt
