// The text rules of a console command's captured output.
#pragma once

#include <string>

namespace velt {

// The captured bytes as lines: the text ends at its first Ctrl-Z (byte 26), a
// line ends at LF, CR is dropped, and every line, the last one included, is
// followed by "\r\n". At least one (possibly empty) line is produced, so empty
// output gives "\r\n".
std::string ConsoleOutputLines(const std::string& captured);

}  // namespace velt
