#!/usr/bin/env bash
# Runs the native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (preset native-asan), then every fuzz target (preset fuzz) for a bounded time
# from a copy of its seed corpus, so the committed corpus never grows.
# VELT_FUZZ_SECONDS sets each target's time (default 5). Exits non-zero on a
# failed build or unit test, a sanitizer finding, a crash or a model mismatch.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

# clang, its sanitizer runtimes and llvm-symbolizer in the release's default
# version (14 on Debian 12, 19 on Debian 13).
packages=(cmake ninja-build g++ libgtest-dev googletest clang libclang-rt-dev llvm)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  # shellcheck source=apt-archive.sh
  . scripts/apt-archive.sh
  if ! apt_update && ! apt_resolves "${missing[@]}"; then
    echo "fuzz-and-sanitize: cannot install ${missing[*]}: $(apt_archive_line) Run the command again later."
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    >/dev/null || exit 1
fi

seconds=${VELT_FUZZ_SECONDS:-5}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "VELT_FUZZ_SECONDS must be a whole number of seconds, not '$seconds'" >&2
  exit 2
fi
# Symbolized reports from both sanitizer runtimes.
symbolizer="$(command -v llvm-symbolizer || ls /usr/lib/llvm-*/bin/llvm-symbolizer 2>/dev/null | tail -n 1)"
[ -n "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH="$symbolizer"

failed=0
rows=()
row() { rows+=("$(printf '%-34s %12s %8s  %s' "$1" "$2" "$3" "$4")"); }

echo "=== native-asan: configure and build"
if cmake --preset native-asan >/dev/null && cmake --build --preset native-asan; then
  echo "=== native-asan: unit tests"
  log=build/native-asan/ctest.log
  started=$(date +%s)
  ctest --preset native-asan >"$log" 2>&1
  status=$?
  elapsed=$(($(date +%s) - started))
  # Failed tests with their output, then ctest's own summary.
  sed -n '/tests passed/,$p' "$log"
  counts=$(grep -E 'tests passed' "$log" | tail -n 1)
  if [ "$status" -eq 0 ]; then
    row "unit tests (ASan+UBSan)" "-" "${elapsed}s" "passed: ${counts:-no summary}"
  else
    failed=1
    grep -E -B2 -A40 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|\*\*\*Failed|\(Failed\)' \
      "$log" | head -n 200
    row "unit tests (ASan+UBSan)" "-" "${elapsed}s" "FAILED: ${counts:-see $log}"
  fi
else
  failed=1
  row "unit tests (ASan+UBSan)" "-" "-" "BUILD FAILED"
fi

echo "=== fuzz: configure and build"
if cmake --preset fuzz >/dev/null && cmake --build --preset fuzz; then
  run_dir=build/fuzz/run
  rm -rf "$run_dir"
  mkdir -p "$run_dir/artifacts"
  for source in tests/fuzz/*_fuzz.cpp; do
    target=$(basename "$source" .cpp)
    name=${target%_fuzz}
    corpus="$run_dir/corpus/$name"
    mkdir -p "$corpus"
    if [ -d "tests/fuzz/corpus/$name" ]; then
      cp -R "tests/fuzz/corpus/$name/." "$corpus/"
    fi
    log="$run_dir/$name.log"
    echo "=== fuzz: $target for ${seconds}s"
    started=$(date +%s)
    "build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$run_dir/artifacts/$name-" "$corpus" >"$log" 2>&1
    status=$?
    elapsed=$(($(date +%s) - started))
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rm -rf "$corpus"
    if [ "$status" -eq 0 ]; then
      row "$target" "${executions:-?}" "${elapsed}s" "nothing found"
    else
      failed=1
      grep -E -A30 'MODEL MISMATCH|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' \
        "$log" | head -n 60
      artifacts=""
      for artifact in "$run_dir/artifacts/$name-"*; do
        [ -e "$artifact" ] && artifacts+="$(basename "$artifact") "
      done
      row "$target" "${executions:-?}" "${elapsed}s" \
        "FOUND (exit $status): log $log, inputs in $run_dir/artifacts: ${artifacts:-none}"
    fi
  done
else
  failed=1
  row "fuzz targets" "-" "-" "BUILD FAILED"
fi

echo
echo "=== Summary (each fuzz target ${seconds}s)"
printf '%-34s %12s %8s  %s\n' "check" "executions" "time" "result"
printf '%s\n' "${rows[@]}"
passed=0
for entry in "${rows[@]}"; do
  case "$entry" in *"FAILED"* | *"FOUND"*) ;; *) passed=$((passed + 1)) ;; esac
done
echo "fuzz-and-sanitize: $passed passed, $((${#rows[@]} - passed)) failed"
exit $failed
