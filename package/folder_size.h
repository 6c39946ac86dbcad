// The size of a folder tree, for the "EstimatedSize" value of the uninstall entry.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace velt {

// The total size of the files in the folder open as `folder` and every folder
// below it, in KiB (rounded down once, on the total), capped at 0x7FFFFFFF.
// The walk goes through handles only: each sub-folder is opened relative to
// its parent's handle, never by path. Hidden and system files count. Links
// and mount points (reparse points) are never entered, as listed nor as
// opened, so the walk always ends; a folder that cannot be opened or listed
// adds nothing. The walk is bounded: folders more than 128 levels below
// `folder` are left out, and after 10 seconds it stops; the size then counts
// what was walked, and the run log says so. -1 when `folder` is invalid or
// not a folder.
int32_t GetFolderSizeKB(platform::RawHandle folder);

}  // namespace velt
