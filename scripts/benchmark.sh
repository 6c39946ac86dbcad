#!/bin/bash
# Benchmark of the package installation under Wine 8.0 and Wine 10.0, in one
# command (prints figures; not a test).
#
# Under each Wine, alternates for ROUNDS rounds a silent update ("modest") of the
# full-size sample payload by the product with the baseline copy-baseline.exe
# (CopyFileA of the same bytes, then FlushFileBuffers). Both are timed, and their
# private memory sampled, by run-measured.exe inside Wine. Prints, per Wine, the
# median wall times, their ratio and the updater's peak private memory against
# the payload size, beside Wine's floor: the peak private memory of
# `copy-baseline --floor`, a program of the same bitness that only loads the
# system DLLs a silent update loads, and the DLLs Wine's loader relocated in the
# update's process (WINEDEBUG=+module), whose code then lies in private memory.
#
# Each round also runs the same update with a breakdown build of the updater
# (build/bench-win32: the same sources configured with VELT_PHASE_TIMES=ON,
# carrying the same payload), whose phase marks record the performance counter
# at its entry, around the system description (and the console it may ask for
# "ver"), the self-check, the write, the flush, the replacement and the folder
# size. The counter is system-wide, so the time to the entry is the first mark
# minus run-measured's reading just before CreateProcess. Prints the median of
# every phase and in how many runs the description asked the console. The
# product itself carries no marks.
#
#   scripts/benchmark.sh [BUILD_DIR] [ROUNDS]
# BUILD_DIR: a Windows build tree (default build/win32, the 32-bit product, run
# as a 32-bit process in a 64-bit prefix); ROUNDS default 11.
# The Wines: VELT_BENCH_WINES (default "bookworm trixie"): Debian 12's Wine 8.0
# and Debian 13's Wine 10.0, each the machine's own where it has that version,
# else from a root made or reused by scripts/wine-root.sh. A Wine that cannot be
# had is reported as skipped, with the reason. Each Wine has its own prefix,
# $VELT_BENCH_PREFIX-<release> (default /tmp/velt-bench-prefix-<release>); the
# breakdown tree is $VELT_BENCH_PHASE_BUILD (default build/bench-win32).
# Prints the 1-minute load average around each Wine's rounds: on a busy machine
# the times spread; the memory figures do not depend on load.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$repo/build/win32}" && pwd)"
rounds="${2:-11}"
phase_build="${VELT_BENCH_PHASE_BUILD:-$repo/build/bench-win32}"
prefix_base="${VELT_BENCH_PREFIX:-/tmp/velt-bench-prefix}"
unset DISPLAY WAYLAND_DISPLAY

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

payload_size=$(stat -c %s "$build/payload/vtup.cok")
load() { cut -d' ' -f1 /proc/loadavg; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
share() { awk -v p="$1" -v s="$payload_size" 'BEGIN {printf "%.3f", p / s}'; }

# The phases of one breakdown run, in ms, in the order of phase_names, then the
# console's time ("-" when the description did not ask it), from run-measured's
# line ($1) and the marks file ($2).
phase_names=("process creation to entry" "entry to description"
             "system description" "description to self-check" "self-check"
             "write (1 MiB WriteFile calls)" "flush" "replace" "folder size"
             "rest inside the sequence" "last mark to process end" "total")
phases() {
  awk -v line="$1" '
    BEGIN { n = split(line, pairs, " ")
            for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); run[kv[1]] = kv[2] } }
    { mark[$1] = $2; last = $2 }
    END {
      split("entry describe describe_done self_check self_check_done install write flush " \
            "flush_done replace install_done folder_size folder_size_done", need, " ")
      for (i in need) if (!(need[i] in mark)) { print "missing mark " need[i] > "/dev/stderr"; exit 1 }
      ms = 1000 / run["qpc_hz"]
      p[1] = mark["entry"] - run["begin_qpc"]
      p[2] = mark["describe"] - mark["entry"]
      p[3] = mark["describe_done"] - mark["describe"]
      p[4] = mark["self_check"] - mark["describe_done"]
      p[5] = mark["self_check_done"] - mark["self_check"]
      p[6] = mark["flush"] - mark["write"]
      p[7] = mark["flush_done"] - mark["flush"]
      p[8] = mark["install_done"] - mark["replace"]
      p[9] = mark["folder_size_done"] - mark["folder_size"]
      p[11] = run["end_qpc"] - last
      p[12] = run["end_qpc"] - run["begin_qpc"]
      p[10] = p[12]; for (i = 1; i <= 9; i++) p[10] -= p[i]; p[10] -= p[11]
      for (i = 1; i <= 12; i++) printf "%.1f ", p[i] * ms
      if ("console_done" in mark) printf "%.1f\n", (mark["console_done"] - mark["console"]) * ms
      else print "-"
    }' "$2"
}

# The same for a breakdown run of the baseline: process creation to entry,
# CopyFileA, flush, last mark to process end, total.
baseline_phase_names=("process creation to entry" "CopyFileA" "flush" "last mark to process end"
                      "total")
baseline_phases() {
  awk -v line="$1" '
    BEGIN { n = split(line, pairs, " ")
            for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); run[kv[1]] = kv[2] } }
    { mark[$1] = $2 }
    END {
      if (!("entry" in mark && "copied" in mark && "flushed" in mark)) exit 1
      ms = 1000 / run["qpc_hz"]
      printf "%.1f %.1f %.1f %.1f %.1f\n", (mark["entry"] - run["begin_qpc"]) * ms,
        (mark["copied"] - mark["entry"]) * ms, (mark["flushed"] - mark["copied"]) * ms,
        (run["end_qpc"] - mark["flushed"]) * ms, (run["end_qpc"] - run["begin_qpc"]) * ms
    }' "$2"
}

# Prints the median of every column of the rows ($2...) under the names in the
# array named $1.
print_medians() {
  local -n names=$1
  shift
  local i row column values
  for i in "${!names[@]}"; do
    column=()
    for row in "$@"; do
      read -ra values <<<"$row"
      column+=("${values[$i]}")
    done
    printf '  %-30s %8.1f\n' "${names[$i]}" "$(median "${column[@]}")"
  done
}

# Runs the benchmark under the Wine that VELT_WINE_ROOT names (empty: the
# machine's own) in the prefix $1; prints the rounds and the figures, and the
# summary line last ("summary: ...").
bench_wine() {
  export VELT_WINEPREFIX="$1" WINEPREFIX="$1" WINEDEBUG=-all
  # The loader that runs 32-bit and 64-bit programs alike; reg.exe in its 64-bit form.
  wine() { "$repo/scripts/wine-tool.sh" wine "$@"; }
  reg64() { "$repo/scripts/wine-tool.sh" wine64 reg "$@"; }
  "$repo/scripts/wine-prefix.sh" || return 3
  # Keep one server for the whole run; it exits non-zero when one already serves
  # the prefix, which is just as good.
  "$repo/scripts/wine-tool.sh" wineserver -p60 || true

  # A Velt installation in C:\velt-bench\Velt\ with the test language files.
  local bench="$WINEPREFIX/drive_c/velt-bench"
  local install="$bench/Velt"
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

  measure() { wine 'C:\velt-bench\run-measured.exe' "$@" | tr -d '\r'; }
  fresh_install() { printf 'old package\n' >"$install/vtup.cok"; }
  check_update() {
    [ "$(echo "$1" | field exit)" = 0 ] || { echo "benchmark: $2 failed: $1" >&2; return 1; }
    cmp -s "$install/vtup.cok" "$build/payload/vtup.cok" || {
      echo "benchmark: $2 did not write the payload" >&2; return 1; }
  }

  local updater_times=() baseline_times=() phase_rows=() peak=0 baseline_peak=0
  local consoles=() baseline_rows=() load_before round u b m c row p shown
  load_before=$(load)
  for ((round = 1; round <= rounds; round++)); do
    fresh_install
    rm -f "$bench/copy/vtup.cok"
    u=$(measure 'C:\velt-bench\velt-update.exe' modest)
    check_update "$u" "the updater" || return 1
    b=$(measure 'C:\velt-bench\copy-baseline.exe' 'C:\velt-bench\source.cok' \
          'C:\velt-bench\copy\vtup.cok')
    [ "$(echo "$b" | field exit)" = 0 ] || { echo "benchmark: baseline failed: $b" >&2; return 1; }
    fresh_install
    rm -f "$bench/phases.txt"
    m=$(VELT_PHASE_FILE='C:\velt-bench\phases.txt' measure 'C:\velt-bench\velt-update-phases.exe' modest)
    check_update "$m" "the breakdown updater" || return 1
    row=$(phases "$m" "$bench/phases.txt") || { echo "benchmark: incomplete phase marks" >&2; return 1; }
    phase_rows+=("$row")
    rm -f "$bench/copy/vtup.cok" "$bench/phases.txt"
    c=$(VELT_PHASE_FILE='C:\velt-bench\phases.txt' measure 'C:\velt-bench\copy-baseline.exe' \
          'C:\velt-bench\source.cok' 'C:\velt-bench\copy\vtup.cok')
    [ "$(echo "$c" | field exit)" = 0 ] || { echo "benchmark: baseline failed: $c" >&2; return 1; }
    baseline_rows+=("$(baseline_phases "$c" "$bench/phases.txt")") || {
      echo "benchmark: incomplete baseline marks" >&2; return 1; }
    [ "${row##* }" = - ] || consoles+=("${row##* }")
    updater_times+=("$(echo "$u" | field wall_ms)")
    baseline_times+=("$(echo "$b" | field wall_ms)")
    p=$(echo "$u" | field peak_private)
    ((p > peak)) && peak=$p
    p=$(echo "$b" | field peak_private)
    ((p > baseline_peak)) && baseline_peak=$p
    shown="${row% *}"
    [ "${row##* }" = - ] || shown+=", of which the console ${row##* }"
    echo "round $round: updater $(echo "$u" | field wall_ms) ms, baseline $(echo "$b" | field wall_ms) ms, updater peak private $(echo "$u" | field peak_private) bytes; breakdown (ms): $shown"
  done
  local load_after
  load_after=$(load)

  # Wine's floor, and what its loader relocated in the update's process.
  local floors=() floor relocated i
  for i in 1 2 3; do
    floors+=("$(measure 'C:\velt-bench\copy-baseline.exe' --floor | field peak_private)")
  done
  floor=$(median "${floors[@]}")
  fresh_install
  relocated=$(WINEDEBUG=+module wine 'C:\velt-bench\velt-update.exe' modest 2>&1 >/dev/null |
    sed -n 's/.*relocating L"[^"]*\\\([^"\\]*\)" dynamic base.*/\1/p' | sort -u | tr '\n' ' ')

  local mu mb ratio
  mu=$(median "${updater_times[@]}"); mb=$(median "${baseline_times[@]}")
  ratio=$(awk -v u="$mu" -v b="$mb" 'BEGIN {printf "%.2f", u / b}')
  echo "load average (1 min):      $load_before before the rounds, $load_after after"
  echo "median wall time updater:  $mu ms (silent update, $rounds rounds)"
  echo "median wall time baseline: $mb ms (CopyFileA + FlushFileBuffers)"
  echo "ratio updater/baseline:    $ratio (target <= 1.3)"
  echo "updater peak private:      $peak bytes = $(share "$peak") of the payload (target <= 0.125)"
  echo "baseline peak private:     $baseline_peak bytes = $(share "$baseline_peak")"
  echo "Wine's floor:              $floor bytes = $(share "$floor") (copy-baseline --floor: the updater's system DLLs, nothing done)"
  echo "updater above the floor:   $((peak - floor)) bytes = $(share $((peak - floor)))"
  echo "relocated by Wine's loader in the update's process: ${relocated:-none}"
  echo "breakdown, medians over $rounds runs of the breakdown build (ms):"
  print_medians phase_names "${phase_rows[@]}"
  local asked="the description asked the console in ${#consoles[@]} of $rounds runs"
  if ((${#consoles[@]} > 0)); then
    asked+=" (cmd.exe /d /c ver, median $(median "${consoles[@]}") ms, inside the system description)"
  fi
  echo "  $asked"
  echo "the baseline's breakdown, medians over $rounds more runs of it (ms):"
  print_medians baseline_phase_names "${baseline_rows[@]}"
  rm -rf "$bench"
  echo "summary: updater $mu ms, baseline $mb ms, ratio $ratio; peak private $peak bytes = $(share "$peak") (floor $(share "$floor"), the updater's own $(share $((peak - floor)))); console in ${#consoles[@]} of $rounds; load $load_before-$load_after"
}

# The Wines, by Debian release: the machine's own where it has that release's
# Wine version, else a root's.
own_version=$(/usr/lib/wine/wine --version 2>/dev/null | sed -n 's/^wine-\([0-9][0-9.]*\).*/\1/p' || true)
summary=()
failed=0
for release in ${VELT_BENCH_WINES:-bookworm trixie}; do
  case "$release" in
    bookworm) major=8 ;;
    trixie) major=10 ;;
    *) summary+=("$release: SKIPPED: not a release with a known Wine (bookworm or trixie)"); continue ;;
  esac
  if [ "${own_version%%.*}" = "$major" ]; then
    root="" label="Wine $own_version (this machine's)"
  else
    said=$(mktemp)
    if ! root=$(bash "$repo/scripts/wine-root.sh" ensure "$release" 2>"$said"); then
      summary+=("Wine $major ($release): SKIPPED: $(tail -n 1 "$said")")
      rm -f "$said"
      continue
    fi
    rm -f "$said"
    label="Wine $(bash "$repo/scripts/wine-root.sh" version "$root") (Debian $release root)"
  fi
  # Under emulation every figure is QEMU's as much as the updater's.
  label+=", $(VELT_WINE_ROOT="$root" bash "$repo/scripts/i386-support.sh" mode || true)"
  echo "=== $label"
  log=$(mktemp)
  set +e
  # A step that fails says which, rather than ending the Wine's rounds silently.
  (set -eE; trap 'echo "benchmark: this step failed (exit $?): $BASH_COMMAND" >&2' ERR
   export VELT_WINE_ROOT="$root"; bench_wine "$prefix_base-$release") 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  set -e
  if [ "$status" -eq 3 ]; then
    summary+=("$label: SKIPPED: its prefix cannot be made ($(grep -m1 '^wine-prefix:' "$log" || echo 'see above'))")
  elif [ "$status" -ne 0 ]; then
    summary+=("$label: FAILED (see above)")
    failed=1
  else
    summary+=("$label: $(sed -n 's/^summary: //p' "$log")")
  fi
  rm -f "$log"
done
echo "=== payload $payload_size bytes, $rounds rounds a Wine; targets: ratio <= 1.3, peak private <= 0.125"
printf '%s\n' "${summary[@]}"
exit $failed
