#!/bin/bash
# Benchmark of the package installation under Wine (prints figures; not a test).
#
# Alternates, for ROUNDS rounds, a silent update ("modest") of the full-size
# sample payload by the product with the baseline copy-baseline.exe (CopyFileA of
# the same bytes, then FlushFileBuffers). Both are timed, and their private
# memory sampled, by run-measured.exe inside Wine. Prints the median wall times,
# their ratio, and the updater's peak private memory against the payload size.
#
# Each round also runs the same update with a breakdown build of the updater
# (build/bench-win32: the same sources configured with VELT_PHASE_TIMES=ON,
# carrying the same payload), whose phase marks record the performance counter
# at its entry and around the self-check, the write, the flush, the replacement
# and the folder size. The counter is system-wide, so the time to the entry is
# the first mark minus run-measured's reading just before CreateProcess. Prints
# the median of every phase. The product itself carries no marks.
#
#   scripts/benchmark.sh [BUILD_DIR] [ROUNDS]
# BUILD_DIR: a Windows build tree (default build/win32, the 32-bit product, run
# as a 32-bit process in a 64-bit prefix); ROUNDS default 7.
# Uses its own prefix $VELT_BENCH_PREFIX (default /tmp/velt-bench-prefix) and
# the breakdown tree $VELT_BENCH_PHASE_BUILD (default build/bench-win32).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$repo/build/win32}" && pwd)"
rounds="${2:-7}"
phase_build="${VELT_BENCH_PHASE_BUILD:-$repo/build/bench-win32}"
export VELT_WINEPREFIX="${VELT_BENCH_PREFIX:-/tmp/velt-bench-prefix}"
export WINEPREFIX="$VELT_WINEPREFIX" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
# The loader that runs 32-bit and 64-bit programs alike; reg.exe in its 64-bit form.
# The machine's Wine, or a root's (VELT_WINE_ROOT): scripts/wine-tool.sh.
wine() { "$repo/scripts/wine-tool.sh" wine "$@"; }
reg64() { "$repo/scripts/wine-tool.sh" wine64 reg "$@"; }

for f in "$build/velt-update.exe" "$build/tools/copy-baseline.exe" \
         "$build/tools/run-measured.exe" "$build/payload/vtup.cok"; do
  [ -f "$f" ] || { echo "benchmark: missing $f (build the tree first: cmake --build --preset win32)" >&2; exit 2; }
done

# The breakdown build: same compiler and sources, marks compiled in.
echo "benchmark: building the breakdown updater in $phase_build"
if ! { cmake -S "$repo" -B "$phase_build" -G Ninja \
         -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
         -DVELT_PHASE_TIMES=ON -DVELT_PAYLOAD="$build/payload/vtup.cok" &&
       cmake --build "$phase_build" --target velt-update -j 2; } >"$phase_build.log" 2>&1; then
  cat "$phase_build.log" >&2
  echo "benchmark: cannot build the breakdown updater" >&2
  exit 2
fi

"$repo/scripts/wine-prefix.sh"
# Keep one server for the whole run; it exits non-zero when one already serves
# the prefix, which is just as good.
"$repo/scripts/wine-tool.sh" wineserver -p60 || true

# A Velt installation in C:\velt-bench\Velt\ with the test language files.
drive_c="$WINEPREFIX/drive_c"
bench="$drive_c/velt-bench"
install="$bench/Velt"
rm -rf "$bench"
mkdir -p "$install/language" "$bench/copy"
cp "$repo"/tests/e2e/data/language/*.lng "$install/language/"
cp "$build/tools/copy-baseline.exe" "$install/velt.exe"  # only its presence matters
cp "$build/payload/vtup.cok" "$bench/source.cok"
cp "$build/velt-update.exe" "$build/tools/copy-baseline.exe" "$build/tools/run-measured.exe" \
   "$bench/"
cp "$phase_build/velt-update.exe" "$bench/velt-update-phases.exe"
reg64 add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velt' \
  /v UninstallString /t REG_SZ /d 'C:\velt-bench\Velt\uninst.exe' /f >/dev/null 2>&1
reg64 delete 'HKCU\Software\Kolm\Velt' /f >/dev/null 2>&1 || true

payload_size=$(stat -c %s "$build/payload/vtup.cok")
measure() { wine 'C:\velt-bench\run-measured.exe' "$@" | tr -d '\r'; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }
fresh_install() { printf 'old package\n' >"$install/vtup.cok"; }
check_update() {
  [ "$(echo "$1" | field exit)" = 0 ] || { echo "benchmark: $2 failed: $1" >&2; exit 1; }
  cmp -s "$install/vtup.cok" "$build/payload/vtup.cok" || {
    echo "benchmark: $2 did not write the payload" >&2; exit 1; }
}

# The phases of one breakdown run, in ms, in the order of phase_names, from
# run-measured's line ($1) and the marks file ($2).
phase_names=("process creation to entry" "entry to self-check" "self-check"
             "write (1 MiB WriteFile calls)" "flush" "replace" "folder size"
             "rest inside the sequence" "last mark to process end" "total")
phases() {
  awk -v line="$1" '
    BEGIN { n = split(line, pairs, " ")
            for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); run[kv[1]] = kv[2] } }
    { mark[$1] = $2; last = $2 }
    END {
      split("entry self_check self_check_done install write flush flush_done replace " \
            "install_done folder_size folder_size_done", need, " ")
      for (i in need) if (!(need[i] in mark)) { print "missing mark " need[i] > "/dev/stderr"; exit 1 }
      ms = 1000 / run["qpc_hz"]
      p[1] = mark["entry"] - run["begin_qpc"]
      p[2] = mark["self_check"] - mark["entry"]
      p[3] = mark["self_check_done"] - mark["self_check"]
      p[4] = mark["flush"] - mark["write"]
      p[5] = mark["flush_done"] - mark["flush"]
      p[6] = mark["install_done"] - mark["replace"]
      p[7] = mark["folder_size_done"] - mark["folder_size"]
      p[9] = run["end_qpc"] - last
      p[10] = run["end_qpc"] - run["begin_qpc"]
      p[8] = p[10]; for (i = 1; i <= 7; i++) p[8] -= p[i]; p[8] -= p[9]
      for (i = 1; i <= 10; i++) printf "%.1f%s", p[i] * ms, (i < 10 ? " " : "\n")
    }' "$2"
}

updater_times=(); baseline_times=(); phase_rows=(); peak=0
for ((round = 1; round <= rounds; round++)); do
  fresh_install
  rm -f "$bench/copy/vtup.cok"
  u=$(measure 'C:\velt-bench\velt-update.exe' modest)
  check_update "$u" "the updater"
  b=$(measure 'C:\velt-bench\copy-baseline.exe' 'C:\velt-bench\source.cok' \
        'C:\velt-bench\copy\vtup.cok')
  [ "$(echo "$b" | field exit)" = 0 ] || { echo "benchmark: baseline failed: $b" >&2; exit 1; }
  fresh_install
  rm -f "$bench/phases.txt"
  m=$(VELT_PHASE_FILE='C:\velt-bench\phases.txt' measure 'C:\velt-bench\velt-update-phases.exe' modest)
  check_update "$m" "the breakdown updater"
  row=$(phases "$m" "$bench/phases.txt") || { echo "benchmark: incomplete phase marks" >&2; exit 1; }
  phase_rows+=("$row")
  updater_times+=("$(echo "$u" | field wall_ms)")
  baseline_times+=("$(echo "$b" | field wall_ms)")
  p=$(echo "$u" | field peak_private)
  ((p > peak)) && peak=$p
  echo "round $round: updater $(echo "$u" | field wall_ms) ms, baseline $(echo "$b" | field wall_ms) ms, updater peak private $p bytes; breakdown (ms): $row"
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
mu=$(median "${updater_times[@]}"); mb=$(median "${baseline_times[@]}")
echo "payload size:              $payload_size bytes"
echo "median wall time updater:  $mu ms (silent update, $rounds rounds)"
echo "median wall time baseline: $mb ms (CopyFileA + FlushFileBuffers)"
awk -v u="$mu" -v b="$mb" 'BEGIN {printf "ratio updater/baseline:    %.2f (target <= 1.2)\n", u / b}'
awk -v p="$peak" -v s="$payload_size" \
  'BEGIN {printf "updater peak private:      %d bytes = %.3f of the payload (target <= 0.125)\n", p, p / s}'
echo "breakdown, medians over $rounds runs of the breakdown build (ms):"
for i in "${!phase_names[@]}"; do
  column=()
  for row in "${phase_rows[@]}"; do
    read -ra values <<<"$row"
    column+=("${values[$i]}")
  done
  printf '  %-30s %8.1f\n' "${phase_names[$i]}" "$(median "${column[@]}")"
done
rm -rf "$bench"
