# Sourced by the scripts that run Wine: where their prefixes are. A prefix made
# by one Wine version is not for another, so each Wine has prefixes of its own:
# the machine's own Wine <repo>/build/<name>, the Wine of a root named by
# VELT_WINE_ROOT (scripts/wine-root.sh) <repo>/build/<name>-<the root's release>.
velt_prefix() {
  local repo
  repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  echo "$repo/build/$1${VELT_WINE_ROOT:+-$(basename "$VELT_WINE_ROOT")}"
}
