#!/usr/bin/env bash
# Builds both configurations and runs every test: native unit tests over the
# fake platform; then the 32-bit product's build checks, the Windows-side tests
# and the end-to-end runs of the product itself, under Wine; then the unit tests
# once more under AddressSanitizer and UndefinedBehaviorSanitizer, and every
# fuzz target for a few seconds.
set -uo pipefail
cd "$(dirname "$0")/.."
# VELT_EMULATE_I386=1: run the 32-bit programs under QEMU's user-mode emulator
# even where the kernel runs them, and remove that registration afterwards.
if [ "${VELT_EMULATE_I386:-0}" = 1 ]; then
  trap 'bash scripts/i386-support.sh release' EXIT
fi
bash scripts/install-deps.sh || exit 1

summary=()
failed=0
run_preset() {
  local preset=$1
  echo "=== $preset: configure and build"
  # The tests expect the sample payload: release options left in the cache go.
  if ! cmake --preset "$preset" -UVELT_PAYLOAD -UVELT_UPDATE_VERSION -UVELT_CONTENT_KEY \
    -UVELT_PACKAGE_FILE_NAME >/dev/null || ! cmake --build --preset "$preset"; then
    echo "=== $preset: build FAILED"
    failed=1
    summary+=("$preset: build failed")
    return
  fi
  echo "=== $preset: tests"
  local log
  log=$(mktemp)
  ctest --preset "$preset" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || failed=1
  summary+=("$preset: $(grep -E 'tests passed|No tests were found' "$log" | tail -n 1)")
  rm -f "$log"
}

run_preset native
# Figures the tests print (runs of the fault injection per kind of fault).
grep -h '\[ figures  \]' build/native/Testing/Temporary/LastTest.log 2>/dev/null
if i386_mode=$(bash scripts/i386-support.sh mode); then
  echo "=== win32: the product runs as $i386_mode"
  run_preset win32
  summary+=("win32: the product ran $i386_mode")
  # Figures the Windows-side scripts print (the kills of the real product).
  grep -h '\[ figures  \]' build/win32/Testing/Temporary/LastTest.log 2>/dev/null
else
  echo "=== win32: SKIPPED, $i386_mode"
  summary+=("win32: SKIPPED, every Windows-side and end-to-end test: $i386_mode")
fi

echo "=== fuzz targets and the unit tests under sanitizers"
log=$(mktemp)
bash scripts/fuzz-and-sanitize.sh 2>&1 | tee "$log"
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
summary+=("fuzz and sanitizers: $(grep -E '^fuzz-and-sanitize:' "$log" | tail -n 1)")
rm -f "$log"

echo
echo "=== Summary"
printf '%s\n' "${summary[@]}"
exit $failed
