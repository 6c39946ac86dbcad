// A folder files are installed into, held open for the whole installation:
// while the handle is open the folder cannot be renamed, moved or deleted, so
// it cannot be swapped for a link either, and files are renamed into it through
// the handle, never through its path. Names in it are checked to be no links
// before anything is replaced. The installation folder is one, held once
// (startup/install_environment.h); the run log's folder is another.
#pragma once

#include <string>

#include "platform/files.h"
#include "platform/handles.h"

namespace velt {

class InstallFolder {
 public:
  // Opens `folder` (with or without a trailing backslash). False when it cannot
  // be opened or is itself a link (a symbolic link, junction or other reparse
  // point); nothing is held then.
  bool Open(const std::string& folder);
  // Holds `folder`: links on the way and at its own name are followed, and
  // path() becomes the final path the handle reaches, in which no component is
  // a link. Where the system cannot give it (before Windows Vista, a volume no
  // drive letter reaches, some network paths) the path stays as given and the
  // held folder's identity (volume and file index) is the truth. False when it
  // cannot be opened or its path does not reach it; nothing is held then.
  bool Hold(const std::string& folder);

  platform::RawHandle handle() const { return handle_.Get(); }
  // The folder's path with a trailing backslash.
  const std::string& path() const { return path_; }
  // Whether path() is the final path the handle reaches.
  bool FinalPathKnown() const { return !final_path_.empty(); }

  // True while path() still reaches this very folder (same volume and file
  // index), and no link; a folder held without a final path is reached
  // through its name as the hold reached it, a link at the name followed.
  bool StillReached() const;
  // True when the open `other` is this very folder (same volume and file index).
  bool IsThisFolder(platform::RawHandle other) const;
  // True when nothing is called `name` in the folder, or a file that is no link
  // and really lies in this folder; with kNoOtherName, and has no other name
  // (a hard link's other name may be a file of anyone's). When false only
  // because another process is deleting the file (kErrorDeletePending: Windows
  // refuses its opens by name until it is gone), `*being_deleted` is set, if
  // given.
  enum class Names { kAny, kNoOtherName };
  bool NameIsNoLink(const std::string& name,
                    Names names = Names::kAny,
                    bool* being_deleted = nullptr) const;
  // True when the open file `file` really lies in this folder as `name`. Where
  // the system cannot tell the path a handle reaches, the checks of the names
  // stand alone and this is true.
  bool Holds(platform::RawHandle file, const std::string& name) const;

 private:
  // Forgets what was held; `folder` becomes path(), with a trailing backslash.
  void Reset(const std::string& folder);
  // Takes `opened` as the folder and asks its identity, once: it cannot change
  // while the handle is open. False when the identity cannot be had.
  bool Take(platform::ScopedHandle opened);

  platform::ScopedHandle handle_;
  platform::FileIdentity identity_;  // handle_'s, where Take succeeded
  bool identity_known_ = false;
  std::string path_;
  std::string final_path_;      // the path the handle reaches; empty when unknown
  bool name_followed_ = false;  // held without a final path: path() as given, links followed
};

}  // namespace velt
