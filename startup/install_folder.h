// The folder a file is installed into, held open for the whole installation:
// while the handle is open the folder cannot be renamed, moved or deleted, so
// it cannot be swapped for a link either, and files are renamed into it through
// the handle, never through its path. Names in it are checked to be no links
// before anything is replaced.
#pragma once

#include <string>

#include "platform/handles.h"

namespace velt {

class InstallFolder {
 public:
  // Opens `folder` (with or without a trailing backslash). False when it cannot
  // be opened or is itself a link (a symbolic link, junction or other reparse
  // point); nothing is held then.
  bool Open(const std::string& folder);

  platform::RawHandle handle() const { return handle_.Get(); }
  // The folder's path with a trailing backslash.
  const std::string& path() const { return path_; }

  // True when the folder's path still reaches no link.
  bool StillNoLink() const;
  // True when nothing is called `name` in the folder, or a file that is no link
  // and really lies in this folder.
  bool NameIsNoLink(const std::string& name) const;
  // True when the open file `file` really lies in this folder as `name`. Where
  // the system cannot tell the path a handle reaches (before Windows Vista),
  // the checks of the names stand alone and this is true.
  bool Holds(platform::RawHandle file, const std::string& name) const;

 private:
  platform::ScopedHandle handle_;
  std::string path_;
  std::string final_path_;  // the path the handle reaches; empty when unknown
};

}  // namespace velt
