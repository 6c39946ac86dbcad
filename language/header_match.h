// The line rules of the language file format that do not depend on reading.
#pragma once

#include <string>

namespace velt {

// True when `line` begins with "[" and, with characters up to and including
// space trimmed from both ends and A-Z lowercased, begins with "[" + `key`
// (A-Z lowercased) + "]". Anything after the "]" is ignored.
bool HeaderNamesKey(const std::string& line, const std::string& key);

// True for a line that is empty or holds only characters up to and including
// space; such a line ends a multi-line value.
bool IsBlankLine(const std::string& line);

}  // namespace velt
