// New files made inside an install folder: under a name nobody can predict,
// only where nothing has that name yet, and checked to lie in the folder.
#pragma once

#include <string>

#include "startup/install_folder.h"
#include "platform/files.h"

namespace velt {

// A new file in `folder` named "<name>.<8 random letters>.tmp", open for
// writing and for renaming or deleting through its handle; others may do
// what `share` allows meanwhile. Created only when nothing (no file, no link)
// has that name, and it must really lie in the folder. Invalid on failure;
// nothing is left behind then.
platform::ScopedHandle CreateTemporaryFile(const InstallFolder& folder,
                                           const std::string& name,
                                           platform::FileShare share);

// Removes what an earlier run, ended before it could clean up, left in
// `folder`: every "<name>.<8 letters>.tmp" that is a plain file. Each is opened
// relative to the folder's handle, never through a link, and deleted through
// its own handle; a link or a folder of such a name, and a file another
// process holds, stay. Logs what it removes or leaves; never fails.
void RemoveEarlierTemporaryFiles(const InstallFolder& folder, const std::string& name);

}  // namespace velt
