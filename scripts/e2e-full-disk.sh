#!/bin/bash
# Runs the nearly-full-disk end-to-end tests (FullDiskEnvironment) of the e2e
# test binary under wine64. A small tmpfs, room for the sample installation and
# the carried package, is mounted at a fresh folder and linked into the Wine
# prefix as a drive letter, which the tests receive in VELT_FULL_DISK_DRIVE;
# each test then fills it to the free space it needs. The mount and the link
# are always removed afterwards.
#
# Usage: e2e-full-disk.sh <velt_e2e_tests.exe>
# VELT_FULL_DISK_SIZE: tmpfs size (default 24m). Prefix: as wine-prefix.sh.
# Exit: the test binary's code; 1 when the drive cannot be prepared; 77 (skip)
# when not run as root, since only root can mount.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
binary="${1:?usage: e2e-full-disk.sh <velt_e2e_tests.exe>}"
# shellcheck source=wine-paths.sh
. "$repo/scripts/wine-paths.sh"
prefix="${VELT_WINEPREFIX:-$(velt_prefix wineprefix)}"

if [ "$(id -u)" -ne 0 ]; then
  echo "e2e-full-disk: skipped: mounting the small drive needs root"
  exit 77
fi
"$repo/scripts/wine-prefix.sh" || { echo "e2e-full-disk: cannot prepare the Wine prefix" >&2; exit 1; }

mount_point="$(mktemp -d /tmp/velt-full-disk.XXXXXX)" || exit 1
link=""
cleanup() {
  [ -n "$link" ] && rm -f "$link"
  if mountpoint -q "$mount_point"; then
    umount "$mount_point" 2>/dev/null || { sleep 1; umount "$mount_point" 2>/dev/null; } ||
      umount -l "$mount_point"
  fi
  rmdir "$mount_point"
}
trap cleanup EXIT

if ! mount -t tmpfs -o "size=${VELT_FULL_DISK_SIZE:-24m},mode=0755" velt-full-disk "$mount_point"; then
  echo "e2e-full-disk: cannot mount a tmpfs at $mount_point" >&2
  exit 1
fi

letter=""
for candidate in q r s t u v w x y; do
  if [ ! -e "$prefix/dosdevices/$candidate:" ] && [ ! -L "$prefix/dosdevices/$candidate:" ]; then
    letter=$candidate
    break
  fi
done
if [ -z "$letter" ]; then
  echo "e2e-full-disk: no free drive letter in $prefix/dosdevices" >&2
  exit 1
fi
link="$prefix/dosdevices/$letter:"
ln -s "$mount_point" "$link" || { link=""; exit 1; }

drive="${letter^^}:"
# A root's Wine (VELT_WINE_ROOT) sees the host's mounts as they were when its
# server started: a server started before the tmpfs would write to the folder
# under it. End it, so that the run's own server sees the tmpfs.
if [ -n "${VELT_WINE_ROOT:-}" ]; then
  WINEPREFIX="$prefix" "$repo/scripts/wine-tool.sh" wineserver -k 2>/dev/null
  WINEPREFIX="$prefix" "$repo/scripts/wine-tool.sh" wineserver -w 2>/dev/null
fi
echo "e2e-full-disk: $(df -h --output=size,avail "$mount_point" | tail -n 1 | xargs) tmpfs as drive $drive"
VELT_FULL_DISK_DRIVE="$drive" "$repo/scripts/wine-run.sh" "$binary" \
  --gtest_filter='FullDiskEnvironment.*'
