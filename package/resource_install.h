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

// Writes the resource `name` of type `type` (matched without regard to case) to
// `destination`. With a valid `held_folder`, the destination's folder must be
// that very folder, open as `held_folder`. True when the destination now holds
// exactly the resource's bytes. On any failure (resource missing, destination
// held open beyond the retry budget of startup/release_facts.h, a link at the destination or the
// folder, another folder than the one held, short write, flush or replacement failing) it shows the
// bilingual "Can't install file <destination>" box, deletes the file it created, leaves the
// destination as it was and returns false.
bool InstallResourceFile(const std::string& name,
                         const std::string& type,
                         const std::string& destination,
                         platform::RawHandle held_folder = nullptr);

}  // namespace velt
