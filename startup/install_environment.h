// What the update knows about Velt's installation once it is gathered: its
// folder, the uninstall entries' registry path and whether the user is an
// administrator. Set by the update driver; read by everything after it.
//
// The installation folder is resolved once and held: once ProductFolder is
// known it is held (startup/install_folder.h: links followed, no delete
// sharing) until the module ends, and ProductFolder becomes the final path that
// handle reaches, in which no component is a link. Every later step works in
// that folder: while the handle is open Windows lets nobody rename, move or
// delete it, and a link re-pointed in the path first given changes nothing.
#pragma once

#include <string>

#include "startup/install_folder.h"

namespace velt {

extern std::string ProductFolder;     // ends with a backslash once gathered (unless empty)
extern std::string UninstallKeyPath;  // "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
extern bool IsAdmin;
// The folder Velt's uninstall entry names, with a trailing backslash; empty
// when no entry names one. Set with ProductFolder, which "TheLastRunFolder"
// may then replace.
extern std::string UninstallEntryFolder;

// Module start and end: reset the values and let the held folder go.
void StartInstallEnvironment();
void EndInstallEnvironment();

// Appends a backslash unless `path` is empty or already ends with one.
void AddTrailingBackslash(std::string& path);

// Holds the folder ProductFolder names (the current directory when it is
// empty) and replaces ProductFolder with its final path, ending with a
// backslash; where the system cannot give it, ProductFolder stays as it was
// and the held folder's identity is the truth. False when the folder cannot
// be held or its path does not reach it; nothing is held then.
bool HoldProductFolder();
// True while ProductFolder still reaches the held folder itself, not a link.
bool ProductFolderStillHeld();
// The held folder; its handle is invalid while none is held.
const InstallFolder& HeldProductFolder();
// True when `folder` reaches the held folder itself (links followed).
bool HeldFolderReachedBy(const std::string& folder);

}  // namespace velt
