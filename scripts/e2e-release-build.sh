#!/bin/bash
# Runs the release-build end-to-end test (ReleaseBuildEnvironment) of the e2e
# test binary under Wine, against an installer built here the way a release is
# built, with every release option changed: a new data file of version 13, its
# version given, the content key "drums" and the data file name "sounds.snd".
# The build's product checks must pass on it. Before that, each value the
# installer could not carry out must fail the configuration with its message.
# Everything is made in a temporary folder that is removed.
#
# Usage: e2e-release-build.sh <velt_e2e_tests.exe> <host velt-payload>
# Exit: the test binary's code; 1 when the build behaves otherwise.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
binary="${1:?usage: e2e-release-build.sh <e2e tests> <velt-payload>}"
payload_tool="${2:?usage: e2e-release-build.sh <e2e tests> <velt-payload>}"

fail() {
  echo "e2e-release-build: $*" >&2
  exit 1
}

work="$(mktemp -d /tmp/velt-release.XXXXXX)" || exit 1
trap 'rm -rf "$work"' EXIT
payload="$work/new-data.bin"
"$payload_tool" build --version 13 --generate 5 4096 "$payload" >/dev/null ||
  fail "cannot make the version 13 payload"

# refused <message> <option>...: a fresh configuration with the options fails
# and says <message> (CMake wraps its messages: compared with the lines joined).
refusals=0
refused() {
  local message="$1" dir="$work/refused-$refusals"
  shift
  refusals=$((refusals + 1))
  if cmake --preset win32 -S "$repo" -B "$dir" "$@" >"$dir.log" 2>&1; then
    fail "configured with $*"
  fi
  grep -qF -- "$message" <<<"$(tr -s ' \n' '  ' <"$dir.log")" ||
    { cat "$dir.log" >&2; fail "$* failed without \"$message\""; }
  echo "e2e-release-build: $* fails the configuration: $message"
  rm -rf "$dir"
}
refused "VELT_PACKAGE_FILE_NAME must be a stem and an extension joined by one dot" \
  -DVELT_PACKAGE_FILE_NAME=soundssnd
refused "VELT_PACKAGE_FILE_NAME must be a stem and an extension joined by one dot" \
  -DVELT_PACKAGE_FILE_NAME=sounds.snd.old
refused "VELT_UPDATE_VERSION must be a decimal number without leading zeros, not '013'" \
  -DVELT_PAYLOAD="$payload" -DVELT_UPDATE_VERSION=013
refused "VELT_UPDATE_VERSION must be 0 to 223 (the version byte holds the version + 32), not 224" \
  -DVELT_UPDATE_VERSION=224
refused "cannot be carried by this installer (update version 12): its version byte says version 13" \
  -DVELT_PAYLOAD="$payload" -DVELT_UPDATE_VERSION=12
refused "VELT_CONTENT_KEY must be a plain word (a letter or '_', then letters, digits or '_'), not 'drum-sounds'" \
  -DVELT_CONTENT_KEY=drum-sounds

build="$work/build"
cmake --preset win32 -S "$repo" -B "$build" -DVELT_PAYLOAD="$payload" -DVELT_UPDATE_VERSION=13 \
  -DVELT_CONTENT_KEY=drums -DVELT_PACKAGE_FILE_NAME=sounds.snd >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log" >&2; fail "cannot configure"; }
grep -q 'Release: update version 13, content key "drums", data file "sounds.snd"' \
  "$work/configure.log" || { cat "$work/configure.log" >&2; fail "the options were not taken"; }
cmake --build "$build" --target velt-update >"$work/build.log" 2>&1 ||
  { tail -30 "$work/build.log" >&2; fail "cannot build the installer"; }
echo "e2e-release-build: built $(stat -c %s "$build/velt-update.exe") bytes for sounds.snd version 13"
# The product checks on it, but the second build of product.reproducible.
ctest --test-dir "$build" -L product -E reproducible --output-on-failure >"$work/checks.log" 2>&1 ||
  { cat "$work/checks.log" >&2; fail "the product checks fail"; }
echo "e2e-release-build: $(grep -c ' Passed ' "$work/checks.log") product checks pass"

LANG=C.UTF-8 LC_ALL=C.UTF-8 VELT_RELEASE_UPDATER="$build/velt-update.exe" \
  VELT_RELEASE_PAYLOAD="$payload" VELT_RELEASE_FILE_NAME=sounds.snd \
  "$repo/scripts/wine-run.sh" "$binary" --gtest_filter='ReleaseBuildEnvironment.*'
