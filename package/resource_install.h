// Writes one resource of the running executable to a file, safely: the bytes go
// to a new file of an unpredictable name in the destination's folder, which then
// replaces the destination in one step. The destination is either the old file
// or the whole new one, never a mixture, and nothing outside the folder is ever
// written, replaced or deleted: the folder is held open (so it cannot be swapped
// for a link), the new file is created only where no name exists yet, the
// replacement and any clean-up go through handles, and a link at the
// destination's name, or the folder being a link, fails the installation.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace velt {

// How an installation ended.
struct InstallOutcome {
  bool written = false;  // the destination now holds exactly the resource's bytes
  // Not written because another process kept the old file beyond the retry
  // budget (startup/release_facts.h): the caller tells the user.
  bool held = false;
  explicit operator bool() const { return written; }
};

// Writes the resource `name` of type `type` (matched without regard to case) to
// `destination`. With a valid `held_folder`, the destination's folder must be
// that very folder, open as `held_folder`. Only refusals that waiting may
// clear (platform::RefusalMayClear) are waited out, within the retry budget.
// When the old file stays held, nothing is shown; on any other failure
// (resource missing, a link at the destination or the folder, another folder
// than the one held, short write, flush or replacement failing) it shows the
// bilingual "Can't install file <destination>" box. Either way it deletes the
// file it created and leaves the destination as it was.
InstallOutcome InstallResourceFile(const std::string& name,
                                   const std::string& type,
                                   const std::string& destination,
                                   platform::RawHandle held_folder = nullptr);

}  // namespace velt
