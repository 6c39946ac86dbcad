#!/bin/bash
# Shows the updater's message boxes on a virtual X display and checks them:
# starts Xvfb on a free display number, runs the RealDisplayEnvironment tests
# of the end-to-end test binary under Wine's X11 driver in English and then in
# Russian, and turns the picture of each box into a PNG.
#
# Usage: box-pictures.sh [--binary velt_e2e_tests.exe] [picture folder]
# Without --binary it builds the win32 preset and uses its test binary. Without
# a picture folder the PNGs are made and thrown away (the ctest run).
# Prefix: $VELT_WINEPREFIX, else <repo>/build/wineprefix-x11 (wine-paths.sh; made with the X11
# driver; the other tests' headless prefix is not touched). VELT_XVFB: the X
# server (default /usr/bin/Xvfb).
# Exit: 0 when both passes passed; 77 (skip) when the display cannot start or
# Wine shows nothing on it; 1 otherwise.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
binary=""
pictures=""
while [ $# -gt 0 ]; do
  case "$1" in
    --binary) binary="${2:?--binary needs a path}"; shift 2 ;;
    *) pictures="$1"; shift ;;
  esac
done
if [ -z "$binary" ]; then
  (cd "$repo" && cmake --preset win32 >/dev/null && cmake --build --preset win32) || exit 1
  binary="$repo/build/win32/velt_e2e_tests.exe"
fi
xvfb="${VELT_XVFB:-/usr/bin/Xvfb}"
# Debian's netpbm, by full path (another "convert" may come first in PATH).
bmptopnm=/usr/bin/bmptopnm
pnmtopng=/usr/bin/pnmtopng
for tool in "$xvfb" "$bmptopnm" "$pnmtopng"; do
  if [ ! -x "$tool" ]; then
    echo "box-pictures: skipped: $tool is missing (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

# shellcheck source=wine-paths.sh
. "$repo/scripts/wine-paths.sh"
export VELT_WINEPREFIX="${VELT_WINEPREFIX:-$(velt_prefix wineprefix-x11)}"
work="$(mktemp -d /tmp/velt-box-pictures.XXXXXX)" || exit 1
xvfb_pid=""
cleanup() {
  # The prefix's server and its desktop process hold the display: end them first.
  [ -n "${VELT_WINE_DISPLAY:-}" ] && WINEPREFIX="$VELT_WINEPREFIX" "$repo/scripts/wine-tool.sh" wineserver -k 2>/dev/null
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to descriptor 3.
"$xvfb" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null && break
  sleep 0.1
done
display="$(tr -d '[:space:]' <"$work/display")"
if [ -z "$display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
  echo "box-pictures: skipped: Xvfb did not start: $(tail -n 3 "$work/xvfb.log" | tr '\n' ' ')"
  exit 77
fi
export VELT_WINE_DISPLAY=":$display"
echo "box-pictures: Xvfb on display $VELT_WINE_DISPLAY, prefix $VELT_WINEPREFIX"
if ! "$repo/scripts/wine-prefix.sh"; then
  echo "box-pictures: cannot prepare the Wine prefix $VELT_WINEPREFIX" >&2
  exit 1
fi

export VELT_BOX_PICTURES="$work/bmp"
mkdir -p "$VELT_BOX_PICTURES"
# The English pass first: the Russian one compares its texts with the English ones.
for locale in C.UTF-8 ru_RU.UTF-8; do
  echo "box-pictures: pass in $locale"
  LANG="$locale" LC_ALL="$locale" "$repo/scripts/wine-run.sh" "$binary" \
    --gtest_filter='RealDisplayEnvironment.*' 2>&1 | tee "$work/pass.log"
  status=${PIPESTATUS[0]}
  if grep -q '^\[  SKIPPED \]' "$work/pass.log"; then
    echo "box-pictures: skipped: $(grep -m 1 -A 1 ': Skipped$' "$work/pass.log" | tail -n 1)"
    exit 77
  fi
  [ "$status" -eq 0 ] || { echo "box-pictures: the $locale pass FAILED"; exit 1; }
done

out="${pictures:-$work/png}"
mkdir -p "$out"
count=0
for bmp in "$VELT_BOX_PICTURES"/*.bmp; do
  name="$(basename "$bmp" .bmp)"
  [[ "$name" == *-text ]] && continue
  "$bmptopnm" "$bmp" 2>/dev/null | "$pnmtopng" -compression 9 >"$out/$name.png" 2>/dev/null ||
    { echo "box-pictures: cannot make $out/$name.png" >&2; exit 1; }
  count=$((count + 1))
done
echo "box-pictures: $count pictures in $out"
[ "$count" -gt 0 ] || exit 1
