#!/bin/bash
# Makes sure a headless 64-bit Wine prefix exists and is ready; 32-bit programs
# run in it under WOW64, as on 64-bit Windows. Idempotent and
# safe to call from parallel processes: the first caller creates the prefix
# under a lock, later callers see the ready mark and return at once.
#
# Prefix: $VELT_WINEPREFIX, else <repo>/build/wineprefix. Prints nothing on
# success; exits non-zero when the prefix could not be prepared.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
prefix="${VELT_WINEPREFIX:-$repo/build/wineprefix}"
# The loader that starts 32-bit and 64-bit programs alike (never wine64 itself:
# given a 32-bit program it exits 0 without running it).
wine=/usr/lib/wine/wine
ready="$prefix/.velt-ready"

[ -f "$ready" ] && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# Another caller may have finished while this one waited for the lock.
[ -f "$ready" ] && exit 0

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$prefix"
"$wine" wineboot -i >/dev/null 2>&1
# No display: windows (message boxes too) exist but are never drawn.
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
# Let the registry reach the disk before the prefix counts as ready.
/usr/lib/wine/wineserver -w
# A 64-bit prefix has the 32-bit system folder.
if [ ! -d "$prefix/drive_c/windows/syswow64" ]; then
  echo "wine-prefix: $prefix is not a 64-bit prefix" >&2
  exit 1
fi
touch "$ready"
