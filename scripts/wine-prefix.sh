#!/bin/bash
# Makes sure a headless 64-bit Wine prefix exists and is ready. Idempotent and
# safe to call from parallel processes: the first caller creates the prefix
# under a lock, later callers see the ready mark and return at once.
#
# Prefix: $VELT_WINEPREFIX, else <repo>/build/wineprefix. Prints nothing on
# success; exits non-zero when the prefix could not be prepared.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
prefix="${VELT_WINEPREFIX:-$repo/build/wineprefix}"
wine=/usr/lib/wine/wine64
ready="$prefix/.velt-ready"

[ -f "$ready" ] && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# Another caller may have finished while this one waited for the lock.
[ -f "$ready" ] && exit 0

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$prefix"
"$wine" wineboot -i >/dev/null 2>&1
# No display: windows (message boxes too) exist but are never drawn.
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
# Let the registry reach the disk before the prefix counts as ready.
/usr/lib/wine/wineserver -w
touch "$ready"
