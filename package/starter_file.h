// A file an elevated run makes where the one who started it said (the run
// log): only where that starter could have made it with its own rights, and
// never through a link.
#pragma once

#include <string>

#include "platform/handles.h"
#include "startup/install_folder.h"

namespace velt {

class StarterFile {
 public:
  // A new, empty file at `path` (made absolute against the current
  // directory), open for writing, that others may read while it is open. It
  // is made as a temporary file in the path's folder and renamed over the
  // name through the folder's handle, so whatever had that name is replaced
  // and nothing is written through a link. The folder stays held until this
  // object goes. Invalid, with nothing changed, when
  // - the starter (IdentifyLogStarter) cannot be identified or examined;
  // - the starter is no service account and the path is a network path (UNC,
  //   "\\?\UNC\", a drive whose type is remote): refused before anything
  //   touches it, so that no server sees the updater's credentials;
  // - the folder the system reaches is not the one the path spells out, in
  //   its long form where it is spelt with short (8.3) names: a link anywhere
  //   on the way (its handle's final path differs; where the system cannot
  //   tell final paths, the folder itself must be no link);
  // - the name is a link;
  // - the starter is no service account and its token may not create a file
  //   in the folder, or may not write and delete the file that has the name
  //   now (checked against their access lists);
  // - anything of that cannot be examined, or the file cannot be made.
  platform::ScopedHandle Create(const std::string& path);

  // Once the file made is in use: removes what earlier runs left in its
  // folder under its name, owned as the new file is or by Administrators or
  // SYSTEM (RemoveEarlierTemporaryFiles). Nothing when no file was made.
  void RemoveEarlierFiles() const;

 private:
  InstallFolder folder_;
  std::string name_;
  bool made_ = false;
  std::string owner_;  // the new file's; empty when it cannot be read
};

}  // namespace velt
