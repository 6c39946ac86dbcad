#!/bin/bash
# Sourced. velt_propagation prints the --propagation value for
# `unshare --mount` whose binds must never reach another mount namespace:
# - "private" where this namespace's root is a mount point (a machine, a
#   container);
# - "unchanged" inside a chroot, whose root is a folder of some mount, so
#   unshare cannot make it private: safe only where no mount seen here is
#   shared (the chroot was entered from a private namespace, e.g. with
#   `unshare --mount --propagation private` before `chroot`).
# Otherwise it prints nothing, says why on stderr and returns 1.
velt_propagation() {
  if unshare --mount --propagation private true 2>/dev/null; then
    echo private
  elif ! grep -q ' shared:' /proc/self/mountinfo 2>/dev/null; then
    echo unchanged
  else
    echo "this is a chroot whose mounts are shared with the namespace outside it," \
      "so binds made for another root would appear there too;" \
      "enter the chroot with 'unshare --mount --propagation private' first" >&2
    return 1
  fi
}
