// Whose rights Velt starts with. Never the updater's own above its user's,
// never SYSTEM's, and never a token that is elevated, above medium integrity
// or of another session: a window that claims to be the desktop's shell may
// belong to any process.
#pragma once

#include "platform/handles.h"

namespace velt {

struct VeltLaunchWay {
  enum Kind {
    kShell,    // through the shell ("open"), with the updater's own rights
    kToken,    // with `token`, as its user, on the interactive desktop
    kNothing,  // nothing may start; `tell_user` says whether a box says so
  } kind = kNothing;
  platform::ScopedHandle token;
  bool tell_user = true;
};

// Decides how Velt starts, logging why when nothing may:
// - running as SYSTEM or another service account: with the token of the user
//   logged on at the console (its unelevated half where it is split), which
//   must pass the checks below in the console's session; nobody logged on:
//   nothing starts, and no box is shown, for nobody would see it;
// - with no more than the user's own rights: through the shell, unless the
//   desktop shell runs as another user (the updater started as the built-in
//   Administrator for the user at the screen): then with the shell's token;
//   with no desktop shell in its session, as a service account does (a box
//   only outside session 0, where a desktop may show it);
// - elevated above its user's rights, or when that cannot be told: only with
//   the desktop shell's token.
// A token passes when it is not elevated, its integrity level is at most
// medium and its session is the one expected. Where the system keeps no
// integrity levels, telling both halves of a split token the same one (Wine
// labels every token high), the level is not compared.
VeltLaunchWay ChooseVeltLaunchWay();

}  // namespace velt
