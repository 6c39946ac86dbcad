#!/bin/bash
# Makes sure a headless 64-bit Wine prefix exists and is ready; 32-bit programs
# run in it under WOW64, as on 64-bit Windows. Idempotent and
# safe to call from parallel processes: the first caller creates the prefix
# under a lock, later callers see the ready mark and return at once.
#
# Prefix: $VELT_WINEPREFIX, else <repo>/build/wineprefix (for a root's Wine,
# VELT_WINE_ROOT, the name carries the root's release: wine-paths.sh). Prints nothing on
# success; exits non-zero when the prefix could not be prepared.
#
# Graphics: Wine's null driver (windows exist but are never drawn), or with
# VELT_WINE_DISPLAY set (an X display such as ":5") the X11 driver drawing on
# that display. A prefix keeps the driver it was made with; an X11 prefix must
# be named by VELT_WINEPREFIX, so the default one stays headless.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=wine-paths.sh
. "$repo/scripts/wine-paths.sh"
prefix="${VELT_WINEPREFIX:-$(velt_prefix wineprefix)}"
graphics=null
if [ -n "${VELT_WINE_DISPLAY:-}" ]; then
  if [ -z "${VELT_WINEPREFIX:-}" ]; then
    echo "wine-prefix: VELT_WINE_DISPLAY needs a prefix of its own in VELT_WINEPREFIX" >&2
    exit 1
  fi
  graphics=x11
fi
# The loader that starts 32-bit and 64-bit programs alike (never wine64 itself:
# given a 32-bit program it exits 0 without running it).
wine() { "$repo/scripts/wine-tool.sh" wine "$@"; }
ready="$prefix/.velt-ready"

# A test that hides drive Z: (tests/common/letterless_folder.h) and ended
# before showing it again: show it.
hidden_z="$prefix/dosdevices/.velt-hidden-z:"
if [ -L "$hidden_z" ] && [ ! -L "$prefix/dosdevices/z:" ]; then
  mv "$hidden_z" "$prefix/dosdevices/z:"
fi

# The ready mark holds the graphics driver the prefix was made with.
is_ready() {
  [ -f "$ready" ] || return 1
  local made
  made="$(cat "$ready")"
  if [ "${made:-null}" != "$graphics" ]; then
    echo "wine-prefix: $prefix uses the ${made:-null} graphics driver, not $graphics" >&2
    exit 1
  fi
}
is_ready && exit 0

if ! why=$(bash "$repo/scripts/i386-support.sh" mode); then
  echo "wine-prefix: $why" >&2
  exit 1
fi

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# Another caller may have finished while this one waited for the lock.
is_ready && exit 0

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
[ "$graphics" = x11 ] && export DISPLAY="$VELT_WINE_DISPLAY"
mkdir -p "$prefix"
wine wineboot -i >/dev/null 2>&1
# null: windows (message boxes too) exist but are never drawn.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d "$graphics" /f >/dev/null 2>&1
# x11: Wine draws captions and frames itself (a bare X server has no window manager).
if [ "$graphics" = x11 ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
fi
# Let the registry reach the disk before the prefix counts as ready.
"$repo/scripts/wine-tool.sh" wineserver -w
# A 64-bit prefix has the 32-bit system folder.
if [ ! -d "$prefix/drive_c/windows/syswow64" ]; then
  echo "wine-prefix: $prefix is not a 64-bit prefix" >&2
  exit 1
fi
echo "$graphics" >"$ready"
