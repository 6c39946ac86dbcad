// Messages built on the language lookups: placeholder substitution and the
// localized error box.
#pragma once

#include <string>
#include <vector>

namespace velt {

// Fills "%1".."%4" in `text` from `arguments` (element 0 fills "%1"). Each
// placeholder is filled only while every lower-numbered one was present at its
// turn; a placeholder without a supplied argument stays as it is.
std::string SubstitutePlaceholders(const std::string& text,
                                   const std::vector<std::string>& arguments);

// GetText(key) / GetTextLines(key) with placeholders filled.
std::string FormatText(const std::string& key, const std::vector<std::string>& arguments);
std::string FormatTextLines(const std::string& key, const std::vector<std::string>& arguments);

// An error box with `text`, the caption ProgramTitle and the low 16 bits of
// LanguageId as its language. Use only after LoadLanguage returned true. An
// empty `text` (its lookup could not read the file, which showed a box of its
// own, or the files lack the key) would tell nothing: the built-in bilingual
// box with `english` or `russian`, each followed by `subject`, says it instead.
void ShowLocalizedError(const std::string& text,
                        const char* english,
                        const char* russian,
                        const std::string& subject = std::string());

}  // namespace velt
