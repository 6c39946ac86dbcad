#!/bin/bash
# Benchmark of the package installation under Wine (prints figures; not a test).
#
# Alternates, for ROUNDS rounds, a silent update ("modest") of the full-size
# sample payload with the baseline copy-baseline.exe (CopyFileA of the same bytes,
# then FlushFileBuffers). Both are timed, and their private memory sampled, by
# run-measured.exe inside Wine. Prints the median wall times, their ratio, and
# the updater's peak private memory against the payload size.
#
#   scripts/benchmark.sh [BUILD_DIR] [ROUNDS]
# BUILD_DIR: a Windows build tree (default build/win32, the 32-bit product, run
# as a 32-bit process in a 64-bit prefix); ROUNDS default 7.
# Uses its own prefix $VELT_BENCH_PREFIX (default /tmp/velt-bench-prefix).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$repo/build/win32}" && pwd)"
rounds="${2:-7}"
export VELT_WINEPREFIX="${VELT_BENCH_PREFIX:-/tmp/velt-bench-prefix}"
export WINEPREFIX="$VELT_WINEPREFIX" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
# The loader that runs 32-bit and 64-bit programs alike; reg.exe in its 64-bit form.
wine=/usr/lib/wine/wine
reg64() { /usr/lib/wine/wine64 reg "$@"; }

for f in "$build/velt-update.exe" "$build/tools/copy-baseline.exe" \
         "$build/tools/run-measured.exe" "$build/payload/vtup.cok"; do
  [ -f "$f" ] || { echo "benchmark: missing $f (build the tree first: cmake --build --preset win32)" >&2; exit 2; }
done
"$repo/scripts/wine-prefix.sh"
# Keep one server for the whole run; it exits non-zero when one already serves
# the prefix, which is just as good.
/usr/lib/wine/wineserver -p60 || true

# A Velt installation in C:\velt-bench\Velt\ with the test language files.
drive_c="$WINEPREFIX/drive_c"
install="$drive_c/velt-bench/Velt"
rm -rf "$drive_c/velt-bench"
mkdir -p "$install/language" "$drive_c/velt-bench/copy"
cp "$repo"/tests/e2e/data/language/*.lng "$install/language/"
cp "$build/tools/copy-baseline.exe" "$install/velt.exe"  # only its presence matters
cp "$build/payload/vtup.cok" "$drive_c/velt-bench/source.cok"
cp "$build/velt-update.exe" "$build/tools/copy-baseline.exe" "$build/tools/run-measured.exe" \
   "$drive_c/velt-bench/"
reg64 add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velt' \
  /v UninstallString /t REG_SZ /d 'C:\velt-bench\Velt\uninst.exe' /f >/dev/null 2>&1
reg64 delete 'HKCU\Software\Kolm\Velt' /f >/dev/null 2>&1 || true

payload_size=$(stat -c %s "$build/payload/vtup.cok")
measure() { "$wine" 'C:\velt-bench\run-measured.exe' "$@" | tr -d '\r'; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }

updater_times=(); baseline_times=(); peak=0
for ((round = 1; round <= rounds; round++)); do
  printf 'old package\n' >"$install/vtup.cok"
  rm -f "$drive_c/velt-bench/copy/vtup.cok"
  u=$(measure 'C:\velt-bench\velt-update.exe' modest)
  b=$(measure 'C:\velt-bench\copy-baseline.exe' 'C:\velt-bench\source.cok' \
        'C:\velt-bench\copy\vtup.cok')
  [ "$(echo "$u" | field exit)" = 0 ] || { echo "benchmark: updater failed: $u" >&2; exit 1; }
  [ "$(echo "$b" | field exit)" = 0 ] || { echo "benchmark: baseline failed: $b" >&2; exit 1; }
  cmp -s "$install/vtup.cok" "$build/payload/vtup.cok" || {
    echo "benchmark: the updater did not write the payload" >&2; exit 1; }
  updater_times+=("$(echo "$u" | field wall_ms)")
  baseline_times+=("$(echo "$b" | field wall_ms)")
  p=$(echo "$u" | field peak_private)
  ((p > peak)) && peak=$p
  echo "round $round: updater $(echo "$u" | field wall_ms) ms, baseline $(echo "$b" | field wall_ms) ms, updater peak private $p bytes"
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
mu=$(median "${updater_times[@]}"); mb=$(median "${baseline_times[@]}")
echo "payload size:              $payload_size bytes"
echo "median wall time updater:  $mu ms (silent update, $rounds rounds)"
echo "median wall time baseline: $mb ms (CopyFileA + FlushFileBuffers)"
awk -v u="$mu" -v b="$mb" 'BEGIN {printf "ratio updater/baseline:    %.2f (target <= 1.5)\n", u / b}'
awk -v p="$peak" -v s="$payload_size" \
  'BEGIN {printf "updater peak private:      %d bytes = %.3f of the payload (target <= 0.25)\n", p, p / s}'
rm -rf "$drive_c/velt-bench"
