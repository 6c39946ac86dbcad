#!/bin/bash
# The shipped product killed at chosen instants of a silent update under Wine:
# after each kill the data file must be the old one or the new one, whole, and
# a normal run must then complete the update and leave nothing of an earlier
# run's making in the installation folder.
#
# The instants are system calls that write: strace (its syscall injection,
# signal=SIGKILL) kills the process as it enters the Nth call of one kind.
# strace counts per kind, so a reference run traced first tells where each
# kind's calls fall: every file data write (write with more than 64 KiB), the
# flush (fsync), every other call that writes between the flush and the end
# (Wine's requests to its server, the rename among them), and requests spread
# over the rest of the run. Where the kernel runs 32-bit code these are the
# program's own i386 calls; under QEMU's user-mode emulation they are the
# emulator's host calls, one for each of the program's own (its file writes,
# its requests to the server), so the same plan works on both.
#
# Usage: e2e-kill.sh <velt-update.exe> <velt-payload host tool>
# VELT_KILL_WINEPREFIX: the prefix (default build/wineprefix-kill, made on
# first use). VELT_KILL_SPREAD: requests spread over the run before the data
# write (default 8). VELT_KILL_AFTER_FLUSH_STEP: every how many calls after the
# flush one is a kill (default 3).
# Exit: 0 when every kill left the data file whole and every next run was
# clean (a kill the run ended before is counted apart); 1 otherwise; 77 (skip), with the reason, where 32-bit programs or
# strace cannot run.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
product="${1:?usage: e2e-kill.sh <velt-update.exe> <velt-payload>}"
payload_tool="${2:?usage: e2e-kill.sh <velt-update.exe> <velt-payload>}"
payload="$(dirname "$product")/payload/vtup.cok"
spread="${VELT_KILL_SPREAD:-8}"
after_step="${VELT_KILL_AFTER_FLUSH_STEP:-3}"

say() { echo "e2e-kill: $*"; }
skip() { say "skipped: $*"; exit 77; }

if ! mode=$(bash "$repo/scripts/i386-support.sh" mode); then
  skip "$mode"
fi
command -v strace >/dev/null || skip "strace is not installed (scripts/install-deps.sh installs it)"
(strace -qq -o /dev/null -e trace=write -e inject=write:signal=SIGKILL:when=1 \
  sh -c 'echo probe >/dev/null'; exit $?) 2>/dev/null
[ $? -eq 137 ] || skip "strace cannot trace and kill a process here (ptrace refused)"
[ -f "$payload" ] || { say "no payload at $payload"; exit 1; }

# shellcheck source=wine-paths.sh
. "$repo/scripts/wine-paths.sh"
export VELT_WINEPREFIX="${VELT_KILL_WINEPREFIX:-$(velt_prefix wineprefix-kill)}"
export WINEPREFIX="$VELT_WINEPREFIX" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
bash "$repo/scripts/wine-prefix.sh" || { say "cannot prepare the Wine prefix"; exit 1; }
# The machine's Wine or a root's (VELT_WINE_ROOT), as the traced process itself.
wine=("$repo/scripts/wine-tool.sh" wine)
wineserver=("$repo/scripts/wine-tool.sh" wineserver)
# A server that outlives every run, started untraced: no traced run starts one.
"${wineserver[@]}" -p </dev/null >/dev/null 2>&1
trap '"${wineserver[@]}" -k </dev/null >/dev/null 2>&1' EXIT
"${wine[@]}" cmd.exe /c exit </dev/null >/dev/null 2>&1

drive_c="$VELT_WINEPREFIX/drive_c"
folder="$drive_c/velt-kill/Velt"
old="$VELT_WINEPREFIX/velt-kill-old.cok"
rm -rf "$drive_c/velt-kill"
mkdir -p "$folder/language"
cp "$(dirname "$product")/tools/velt.exe" "$folder/velt.exe" 2>/dev/null || echo MZ >"$folder/velt.exe"
cp "$repo"/samples/installation/language/*.lng "$folder/language/"
"$payload_tool" build --version 10 --generate 12 40000 "$old" >/dev/null || exit 1
cp "$product" "$drive_c/velt-update.exe"
"${wine[@]}" reg add 'HKCU\Software\Kolm\Velt' /v TheLastRunFolder /t REG_SZ \
  /d 'C:\velt-kill\Velt' /f </dev/null >/dev/null 2>&1 || { say "cannot set the folder"; exit 1; }

restore_old() { cp "$old" "$folder/vtup.cok"; }
# Files of the installation besides its own: what a run left.
left_over() {
  (cd "$folder" && find . -type f ! -path ./velt.exe ! -path ./vtup.cok ! -path './language/*' |
    sed 's|^\./||')
}
update() { "${wine[@]}" 'C:\velt-update.exe' modest </dev/null >/dev/null 2>&1; }
classes=write,writev,fsync
# awk: the byte count of a traced write (its last argument); data writes are
# those of more than 64 KiB.
written='function written(line) { sub(/.*, /, "", line); sub(/\).*/, "", line); return line + 0 }'

# The reference run: where each kind of call falls.
restore_old
trace="$(mktemp)"
strace -qq -o "$trace" -e trace=$classes "${wine[@]}" 'C:\velt-update.exe' modest </dev/null >/dev/null 2>&1
status=$?
if [ $status -ne 0 ] || ! cmp -s "$folder/vtup.cok" "$payload"; then
  say "the reference run did not update (exit code $status)"
  exit 1
fi
plan="$(awk -v spread="$spread" -v step="$after_step" "$written"'
  /^write\(/ { w++; if (written($0) > 65536) { data[++d] = w } }
  /^writev\(/ { v++ }
  /^fsync\(/ { f++; if (f == 1) { v_at_flush = v; w_at_flush = w } }
  END {
    if (d == 0 || f == 0) exit 1
    for (i = 1; i <= d; i++) print "write", data[i], "data"
    print "write", data[d] + 1, "data"
    print "fsync", 1, "flush"
    for (i = 1; i <= spread; i++) print "writev", int(i * v_at_flush / (spread + 1)), "before"
    for (i = v_at_flush + 1; i <= v; i += step) print "writev", i, "after"
    for (i = w_at_flush + 1; i <= w; i += step) print "write", i, "after"
    printf "# %d write, %d writev, %d fsync; %d data writes\n", w, v, f, d > "/dev/stderr"
  }' "$trace" 2>"$trace.counts")"
if [ -z "$plan" ]; then
  # Under QEMU, Wine 10 restarts its first process through start.exe, which
  # then runs the updater as a child (QEMU has put Wine's own loader at
  # 0x400000, the executable's preferred base): the traced process is not the
  # updater, and strace counts calls per process, so no kill can be aimed.
  restore_old
  strace -f -qq -o "$trace" -e trace=write "${wine[@]}" 'C:\velt-update.exe' modest \
    </dev/null >/dev/null 2>&1
  first="$(awk 'NR == 1 { print $1 }' "$trace")"
  writer="$(awk "$written"'
    $2 ~ /^write\(/ && written($0) > 65536 { print $1; exit }' "$trace")"
  rm -f "$trace" "$trace.counts"
  if [ -n "$writer" ] && [ "$writer" != "$first" ]; then
    skip "this Wine ran the updater in a child of the traced process ($mode), so the" \
      "kills cannot be aimed at its calls"
  fi
  say "the reference run shows no data write or flush"
  exit 1
fi
say "$(tr -d '#' <"$trace.counts" | xargs) in a silent update ($mode)"
rm -f "$trace" "$trace.counts"

kills=0 old_whole=0 new_whole=0 broken=0 littered=0 missed=0 leftovers=0 next_failed=0
while read -r call nth where; do
  restore_old
  # In a subshell of its own, so that no shell reports the kill.
  (strace -qq -o /dev/null -e trace=$classes -e inject="$call:signal=SIGKILL:when=$nth" \
    "${wine[@]}" 'C:\velt-update.exe' modest </dev/null >/dev/null 2>&1; exit $?) 2>/dev/null
  status=$?
  if [ $status -ne 137 ]; then
    missed=$((missed + 1))
    say "$call #$nth ($where): not reached, the run ended with $status"
    continue
  fi
  kills=$((kills + 1))
  # The server closes the killed process's handles once it notices the death.
  sleep 0.3
  if cmp -s "$folder/vtup.cok" "$old"; then
    old_whole=$((old_whole + 1))
  elif cmp -s "$folder/vtup.cok" "$payload"; then
    new_whole=$((new_whole + 1))
  else
    broken=$((broken + 1))
    say "$call #$nth ($where): the data file is neither old nor new"
  fi
  litter="$(left_over)"
  [ -n "$litter" ] && littered=$((littered + 1))
  update
  status=$?
  after="$(left_over)"
  if [ -n "$after" ]; then
    leftovers=$((leftovers + 1))
    say "$call #$nth ($where): the next run left $(echo $after)"
  fi
  if [ $status -ne 0 ] || ! cmp -s "$folder/vtup.cok" "$payload"; then
    next_failed=$((next_failed + 1))
    say "$call #$nth ($where): the next run ended with $status without the new data file"
  fi
  # Each kill starts from a clean installation, whatever an earlier one left.
  (cd "$folder" && echo "$after" | while read -r name; do [ -n "$name" ] && rm -f "./$name"; done)
done <<<"$plan"

"${wine[@]}" reg delete 'HKCU\Software\Kolm\Velt' /v TheLastRunFolder /f </dev/null >/dev/null 2>&1
echo "[ figures  ] e2e kills ($mode): $kills kills at write calls ($missed not reached): old $old_whole, new $new_whole, broken $broken; $littered left a file of their making, $leftovers left after the next run; $next_failed next runs did not update"
# A kill not reached (the run ended first: a run may make fewer calls than the
# reference one) is counted, not failed.
if [ $kills -gt 0 ] && [ $broken -eq 0 ] && [ $leftovers -eq 0 ] && [ $next_failed -eq 0 ]; then
  say "passed"
  exit 0
fi
exit 1
