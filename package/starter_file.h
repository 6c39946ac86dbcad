// A file an elevated run makes where the one who started it said (the run
// log): only where that starter could have made it with the user's ordinary
// rights, and never through a link.
#pragma once

#include <string>

#include "platform/handles.h"

namespace velt {

// A new, empty file at `path` (made absolute against the current directory),
// open for writing, that others may read while it is open. It is made as a
// temporary file in the path's folder and renamed over the name through the
// folder's handle, so whatever had that name is replaced and nothing is
// written through a link. Invalid, with nothing made, when
// - the folder the system reaches is not the one the path spells out: a link
//   anywhere on the way (its handle's final path differs; where the system
//   cannot tell final paths, the folder itself must be no link);
// - the name is a link;
// - this process is elevated above its user's ordinary rights (a split token)
//   and those rights may not create a file in the folder, or may not write and
//   delete the file that has the name now (checked against their access lists
//   with the user's linked token);
// - anything of that cannot be examined, or the file cannot be made.
platform::ScopedHandle CreateFileForStarter(const std::string& path);

}  // namespace velt
