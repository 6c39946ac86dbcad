// The installation folder, resolved once and held. Once ProductFolder is
// known it is opened, links followed, and held open without delete sharing
// until the module ends; ProductFolder becomes the final path that handle
// reaches, in which no component is a link. Every later step works in that
// folder: while the handle is open Windows lets nobody rename, move or delete
// it, and a link re-pointed in the path first given changes nothing.
#pragma once

#include "platform/handles.h"

namespace velt {

// Opens and holds the folder ProductFolder names (the current directory when
// it is empty) and replaces ProductFolder with its final path, ending with a
// backslash; where the system cannot give it (before Windows Vista, a volume
// no drive letter reaches, some network paths) ProductFolder stays as it was
// and the held folder's identity (volume and file index) is the truth. False
// when the folder cannot be opened or its path does not reach it; nothing is
// held then.
bool HoldProductFolder();
// True while ProductFolder still reaches the held folder itself, not a link.
bool ProductFolderStillHeld();
// The held folder; invalid while none is held.
platform::RawHandle HeldProductFolder();
// Lets the folder go (module start and end).
void ReleaseProductFolder();

}  // namespace velt
