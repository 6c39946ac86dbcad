// New files made inside an install folder: under a name nobody can predict,
// marked as the updater's, only where nothing has that name yet, and checked
// to lie in the folder.
#pragma once

#include <string>

#include "platform/files.h"
#include "startup/install_folder.h"

namespace velt {

// A new file in `folder` named "<name>.velt-update.<8 random letters>.tmp",
// open for writing and for renaming or deleting through its handle; others
// may do what `share` allows meanwhile. Created only when nothing (no file, no
// link) has that name, and it must really lie in the folder. Invalid on
// failure; nothing is left behind then.
platform::ScopedHandle CreateTemporaryFile(const InstallFolder& folder,
                                           const std::string& name,
                                           platform::FileShare share);

// Removes what earlier runs, ended before they could clean up, left in
// `folder` beside this run's file `name`: the plain files named as
// CreateTemporaryFile names them (with `earlier_names` also
// "<name>.<8 letters>.tmp", as versions before the mark named them) whose
// owner is Administrators, SYSTEM or `owner` (what this run's own new file
// got): another program's file stays, whatever its name. Each is opened
// relative to the folder's handle, never through a link, and deleted through
// its own handle only where its final path shows it in the folder; a link or
// a folder of such a name, a file another process holds and any file of a
// folder whose final paths the system cannot tell stay. Logs what it removes
// or leaves; never fails.
void RemoveEarlierTemporaryFiles(const InstallFolder& folder,
                                 const std::string& name,
                                 const std::string& owner,
                                 bool earlier_names);

}  // namespace velt
