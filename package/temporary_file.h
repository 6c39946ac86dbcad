// New files made inside an install folder: under a name nobody can predict,
// only where nothing has that name yet, and checked to lie in the folder.
#pragma once

#include <string>

#include "package/install_folder.h"
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

// A new, empty file at `path`, open for writing, that others may read while it
// is open. It is made as a temporary file in the path's folder (after what an
// earlier run left there is removed) and renamed over `path` through the
// folder's handle, so whatever had that name is replaced and no link is
// followed or written through; a link at `path` or in place of its folder
// fails it. Invalid on failure; nothing is left behind then.
platform::ScopedHandle CreateFileInPlaceOf(const std::string& path);

}  // namespace velt
