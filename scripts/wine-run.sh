#!/bin/bash
# Runs a Windows executable (32-bit or 64-bit) under Wine in the project's prefix (see
# wine-prefix.sh; VELT_WINEPREFIX and VELT_WINE_DISPLAY as there) and exits with the
# program's exit code. Used as CMake's CMAKE_CROSSCOMPILING_EMULATOR.
#
# VELT_WINESERVER_LINGER (seconds, default 30): how long the wineserver stays
# alive after the last Wine process ends, so that the next test run reuses it
# instead of paying Wine's start-up again. 0 lets it exit at once.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$repo/scripts/wine-prefix.sh" || { echo "wine-run: cannot prepare the Wine prefix" >&2; exit 125; }
# shellcheck source=wine-paths.sh
. "$repo/scripts/wine-paths.sh"
# The machine's Wine, or a root's (VELT_WINE_ROOT): scripts/wine-tool.sh.
wine_tool() { "$repo/scripts/wine-tool.sh" "$@"; }

export WINEPREFIX="${VELT_WINEPREFIX:-$(velt_prefix wineprefix)}"
export WINEDEBUG=-all
# Wine takes the Windows locale from the Unix one; without any, the tests run
# in the same English locale as everywhere else.
if [ -z "${LANG:-}" ] && [ -z "${LC_ALL:-}" ]; then export LANG=C.UTF-8; fi
# Headless unless VELT_WINE_DISPLAY names the X display of an X11 prefix.
unset DISPLAY WAYLAND_DISPLAY
[ -n "${VELT_WINE_DISPLAY:-}" ] && export DISPLAY="$VELT_WINE_DISPLAY"

# Start the server ahead of Wine with a bounded linger time. It exits with 0
# when it started a new server, and non-zero when one already serves the prefix.
# Standard streams must never be ours for anything that outlives this script:
# a caller reading our output through a pipe (ctest) waits for every holder.
if wine_tool wineserver -p"${VELT_WINESERVER_LINGER:-30}" </dev/null >/dev/null 2>&1; then
  # A fresh server: let a throw-away program start Wine's background services
  # (services.exe and what it launches), so that they inherit /dev/null
  # rather than the test's output.
  wine_tool wine cmd.exe /c exit </dev/null >/dev/null 2>&1
fi

# Never wine64 itself: given a 32-bit program it exits 0 without running it.
exec "$repo/scripts/wine-tool.sh" wine "$@"
