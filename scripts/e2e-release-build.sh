#!/bin/bash
# Runs the release-build end-to-end test (ReleaseBuildEnvironment) of the e2e
# test binary under Wine, against an installer built here the way a release is
# built: one option naming a new data file of version 12. Before that, the same
# payload with a contradicting -DVELT_UPDATE_VERSION must fail the configuration
# with its message. Everything is made in a temporary folder that is removed.
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
payload="$work/vtup.cok"
"$payload_tool" build --version 12 --generate 5 4096 "$payload" >/dev/null ||
  fail "cannot make the version 12 payload"

if cmake --preset win32 -S "$repo" -B "$work/mismatch" -DVELT_PAYLOAD="$payload" \
  -DVELT_UPDATE_VERSION=13 >"$work/mismatch.log" 2>&1; then
  fail "a payload of version 12 configured with -DVELT_UPDATE_VERSION=13"
fi
# CMake wraps its messages: compare with the lines joined.
message="$(tr -s ' \n' '  ' <"$work/mismatch.log")"
grep -q "cannot be carried by this installer (update version 13)" <<<"$message" &&
  grep -q "its version byte says version 12" <<<"$message" ||
  { cat "$work/mismatch.log" >&2; fail "the mismatch failed without its message"; }
echo "e2e-release-build: -DVELT_UPDATE_VERSION=13 with a version 12 payload fails the configuration"

cmake --preset win32 -S "$repo" -B "$work/build" -DVELT_PAYLOAD="$payload" \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; fail "cannot configure"; }
grep -q "Release: update version 12," "$work/configure.log" ||
  { cat "$work/configure.log" >&2; fail "the configuration did not take version 12"; }
cmake --build "$work/build" --target velt-update >"$work/build.log" 2>&1 ||
  { tail -30 "$work/build.log" >&2; fail "cannot build the installer"; }
echo "e2e-release-build: built $(stat -c %s "$work/build/velt-update.exe") bytes for version 12"

VELT_RELEASE_UPDATER="$work/build/velt-update.exe" VELT_RELEASE_PAYLOAD="$payload" \
  "$repo/scripts/wine-run.sh" "$binary" --gtest_filter='ReleaseBuildEnvironment.*'
