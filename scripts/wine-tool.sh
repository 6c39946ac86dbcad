#!/bin/bash
# Runs one of Wine's own programs (wine, wine64, wineserver) with the given
# arguments, replacing this process (so strace and exit codes see the program
# itself):
# - without VELT_WINE_ROOT, the machine's own, /usr/lib/wine/<tool>;
# - with VELT_WINE_ROOT naming a Debian root made by scripts/wine-root.sh, that
#   root's Wine, started inside the root in a mount namespace of its own, with
#   /proc, /sys, /dev, /tmp and the repository bound into it at the same paths,
#   so every path means the same inside and out. Nothing stays mounted: the
#   binds go with the namespace's last process (a lingering wineserver keeps
#   its own). Needs root, as making the root does.
#
# Usage: wine-tool.sh <wine|wine64|wineserver> [argument...]
# Exit: the program's; 125 when the root cannot be entered.
set -uo pipefail

tool="${1:?usage: wine-tool.sh <wine|wine64|wineserver> [argument...]}"
shift
case "$tool" in
  wine | wine64 | wineserver) ;;
  *) echo "wine-tool: not one of Wine's programs: $tool" >&2; exit 125 ;;
esac
if [ -z "${VELT_WINE_ROOT:-}" ]; then
  exec "/usr/lib/wine/$tool" "$@"
fi

root="$VELT_WINE_ROOT"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ ! -x "$root/usr/lib/wine/$tool" ]; then
  echo "wine-tool: $root holds no /usr/lib/wine/$tool (scripts/wine-root.sh makes it)" >&2
  exit 125
fi
# The inner shell binds the host's folders (recursively: a tmpfs mounted under
# /tmp before this call is seen), then starts the tool in the root from the
# same working directory.
# shellcheck source=mount-namespace.sh
. "$repo/scripts/mount-namespace.sh"
propagation="$(velt_propagation)" || exit 125
exec unshare --mount --propagation "$propagation" /bin/sh -c '
  root=$1 repo=$2 dir=$3 tool=$4
  shift 4
  for folder in proc sys dev tmp; do
    mount --rbind "/$folder" "$root/$folder" || exit 125
  done
  mkdir -p "$root$repo" && mount --rbind "$repo" "$root$repo" || exit 125
  exec chroot "$root" /bin/sh -c "cd \"\$0\" 2>/dev/null || cd /; exec /usr/lib/wine/$tool \"\$@\"" \
    "$dir" "$@"
' wine-tool "$root" "$repo" "$PWD" "$tool" "$@"
