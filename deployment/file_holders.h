// Which processes hold a file open, as the Restart Manager tells.
#pragma once

#include <string>

namespace velt {

// Asks the Restart Manager which processes use `path` and logs each of them,
// or why none could be named. Returns them as "<name>[<process id>]" joined by
// ", ", each name reduced to letters, digits, ".", "-" and "_" (any other
// character becomes "_"), or "-" when it names nobody, is missing (before Windows Vista) or a
// step fails.
std::string NameFileHolders(const std::string& path);

}  // namespace velt
