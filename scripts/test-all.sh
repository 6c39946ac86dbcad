#!/usr/bin/env bash
# Builds both configurations and runs every test: native unit tests over the
# fake platform; then the 32-bit product's build checks, the Windows-side tests
# and the end-to-end runs of the product itself under Wine, once under this
# Debian release's Wine and once more under the other release's (Debian 12
# has Wine 8.0, Debian 13 Wine 10.0), from a root that scripts/wine-root.sh
# makes outside the clone and reuses; then the unit tests once more under
# AddressSanitizer and UndefinedBehaviorSanitizer, and every fuzz target for a
# few seconds.
set -uo pipefail
cd "$(dirname "$0")/.."
# VELT_EMULATE_I386=1: run the 32-bit programs under QEMU's user-mode emulator
# even where the kernel runs them, and remove that registration afterwards.
if [ "${VELT_EMULATE_I386:-0}" = 1 ]; then
  trap 'bash scripts/i386-support.sh release' EXIT
fi
started=$SECONDS
elapsed() { printf '%d min %d s' $(((SECONDS - $1) / 60)) $(((SECONDS - $1) % 60)); }
bash scripts/install-deps.sh
deps=$?
[ "$deps" -eq 1 ] && exit 1

summary=()
failed=0
build_preset() {
  local preset=$1
  echo "=== $preset: configure and build"
  # The tests expect the sample payload: release options left in the cache go.
  if ! cmake --preset "$preset" -UVELT_PAYLOAD -UVELT_UPDATE_VERSION -UVELT_CONTENT_KEY \
    -UVELT_PACKAGE_FILE_NAME >/dev/null || ! cmake --build --preset "$preset"; then
    echo "=== $preset: build FAILED"
    failed=1
    summary+=("$preset: build failed")
    return 1
  fi
}
# Runs ctest for `preset` with `ctest_args...`; its summary line is `label`'s.
run_tests() {
  local preset=$1 label=$2
  shift 2
  echo "=== $label: tests"
  local log status
  log=$(mktemp)
  ctest --preset "$preset" "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || failed=1
  summary+=("$label: $(grep -E 'tests passed|No tests were found' "$log" | tail -n 1)")
  # ctest counts a skipped test among the passed ones: the summary names it.
  local skipped
  skipped=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$log" | paste -sd, -)
  [ -z "$skipped" ] || summary[-1]+=", SKIPPED (see its output): $skipped"
  rm -f "$log"
  # Figures the tests print (the fault injection's runs, the product's kills).
  grep -h '\[ figures  \]' "build/$preset/Testing/Temporary/LastTest.log" 2>/dev/null
}

if build_preset native; then
  run_tests native native
fi

# The Wines: this release's (the machine's own, or where the archive cannot give
# it now, the same release's from a root) and the other release's from a root.
release="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
case "$release" in
  bookworm) other=trixie ;;
  trixie) other=bookworm ;;
  *) other="" ;;
esac
# Prints the root's folder, or why there is none (exit 1).
root_of() {
  local said folder
  said=$(mktemp)
  if folder=$(bash scripts/wine-root.sh ensure "$1" 2>"$said"); then
    cat "$said" >&2
    rm -f "$said"
    echo "$folder"
    return 0
  fi
  tail -n 1 "$said"
  rm -f "$said"
  return 1
}
# Runs the Windows-side suites under the Wine of `root` (empty: the machine's).
run_wine() {
  local root=$1 note=$2 version mode label
  shift 2
  if [ -n "$root" ]; then
    version=$(bash scripts/wine-root.sh version "$root")
  else
    version=$(/usr/lib/wine/wine --version 2>/dev/null | sed -n 's/^wine-\([0-9.]*\).*/\1/p')
  fi
  label="win32 (Wine ${version:-?})"
  if ! mode=$(VELT_WINE_ROOT=$root bash scripts/i386-support.sh mode); then
    summary+=("$label: SKIPPED, every Windows-side and end-to-end test: $mode")
    return
  fi
  echo "=== $label: the product runs as $mode${note:+; $note}"
  local before=$SECONDS
  VELT_WINE_ROOT=$root run_tests win32 "$label" "$@"
  summary[-1]+="; the product ran $mode${note:+; $note} ($(elapsed $before))"
}

if build_preset win32; then
  own_root="" own_note=""
  if [ "$deps" -eq 3 ]; then
    own_note="Wine from a Debian $release root, as this machine's own cannot be installed now"
    if ! own_root=$(root_of "$release"); then
      summary+=("win32 (this release's Wine): SKIPPED: no Wine: $own_root")
      own_root="-"
    else
      VELT_WINE_ROOT=$own_root bash scripts/i386-support.sh ensure || true
    fi
  fi
  [ "$own_root" = "-" ] || run_wine "$own_root" "$own_note"
  if [ -z "$other" ]; then
    summary+=("win32 (the other release's Wine): SKIPPED: this machine is neither Debian 12 nor 13")
  elif ! other_root=$(root_of "$other"); then
    summary+=("win32 (Debian $other's Wine): SKIPPED: $other_root")
  else
    # The same product file; its build checks (the file's bytes) need no second run.
    run_wine "$other_root" "Wine from a Debian $other root" -LE product
  fi
fi

echo "=== fuzz targets and the unit tests under sanitizers"
log=$(mktemp)
bash scripts/fuzz-and-sanitize.sh 2>&1 | tee "$log"
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
summary+=("fuzz and sanitizers: $(grep -E '^fuzz-and-sanitize:' "$log" | tail -n 1)")
rm -f "$log"

echo
echo "=== Summary ($(elapsed $started) in all)"
printf '%s\n' "${summary[@]}"
exit $failed
