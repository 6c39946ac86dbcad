// The size of a folder tree, for the "EstimatedSize" value of the uninstall entry.
#pragma once

#include <cstdint>
#include <string>

namespace velt {

// The total size of the files in `folder` and every folder below it, in KiB
// (rounded down once, on the total), capped at 0x7FFFFFFF. Hidden and system
// files count. Directory links (reparse points) are listed but never entered, so
// the walk always ends. -1 when `folder` is empty, missing or names a file. The
// path may end with a backslash or not.
int32_t GetFolderSizeKB(const std::string& folder);

}  // namespace velt
