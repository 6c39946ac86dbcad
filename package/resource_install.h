// Writes one resource of the running executable to a file, safely: the bytes go
// to a new file of an unpredictable name in the destination's folder, which then
// replaces the destination in one step. The destination is either the old file
// or the whole new one, never a mixture, and nothing outside the folder is ever
// written, replaced or deleted: the folder is held open (so it cannot be swapped
// for a link), the new file is created only where no name exists yet, the
// replacement and any clean-up go through handles, and a link at the
// destination's name, or a folder that its path no longer reaches, fails the
// installation.
#pragma once

#include <cstdint>
#include <string>

#include "startup/install_folder.h"

namespace velt {

// How an installation ended.
struct InstallOutcome {
  bool written = false;  // the destination now holds exactly the resource's bytes
  // Not written because another process kept the old file beyond the retry
  // budget (startup/release_facts.h): the caller tells the user.
  bool held = false;
  explicit operator bool() const { return written; }
};

// Writes the resource `name` of type `type` (matched without regard to case) as
// `file_name` in `folder`, which must still be the folder it opened or held
// (InstallFolder::StillReached). Only refusals that waiting may clear
// (platform::RefusalMayClear) are waited out, within the retry budget. When
// the old file stays held, nothing is shown; on any other failure (resource
// missing, a link or a file of more than one name at the name, the folder no
// longer reached by its path, short write, flush or replacement failing) it
// shows the bilingual "Can't install file <folder><file_name>" box. Either
// way it deletes the file it created and leaves the old one as it was.
InstallOutcome InstallResourceFile(const std::string& name,
                                   const std::string& type,
                                   const InstallFolder& folder,
                                   const std::string& file_name);

}  // namespace velt
