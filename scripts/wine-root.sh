#!/bin/bash
# A Debian root holding that release's Wine, for running the Windows-side suites
# under another Wine than the machine's own (scripts/wine-tool.sh starts Wine in
# it when VELT_WINE_ROOT names it).
#
#   wine-root.sh ensure <release>   make the root when it is missing or broken
#                                   (debootstrap from Debian's archive, then Wine
#                                   and what the tests need in it), reuse it when
#                                   ready; print its folder. One line on stderr
#                                   says what was done.
#   wine-root.sh version <folder>   print the Wine version of a ready root ("10.0")
#
# Roots live outside the clone, in $VELT_ROOT_CACHE (default
# /var/cache/velt-update/roots/<release>), so fresh clones reuse them. <release>
# is a Debian code name: bookworm (Debian 12, Wine 8.0) or trixie (Debian 13,
# Wine 10.0). Needs root rights and Debian's archive; exits 1 with the reason
# on stderr when the root cannot be had.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=apt-archive.sh
. "$here/apt-archive.sh"
# shellcheck source=mount-namespace.sh
. "$here/mount-namespace.sh"

cache="${VELT_ROOT_CACHE:-/var/cache/velt-update/roots}"
# What the Windows-side suites need inside the root: Wine for 32-bit programs in
# a 64-bit prefix, the fonts it draws boxes with (Latin and Cyrillic), and the
# Russian locale Wine takes its Windows locale from.
packages=(wine wine64 wine32:i386 fonts-wine fonts-dejavu-core locales)
say() { echo "wine-root: $*" >&2; }

# Runs `command...` inside `root` with /proc, /sys and /dev bound, in a mount
# namespace of its own (nothing stays mounted).
in_root() {
  local root=$1 propagation
  shift
  propagation="$(velt_propagation)" || return 125
  unshare --mount --propagation "$propagation" /bin/sh -c '
    root=$1; shift
    for folder in proc sys dev; do mount --rbind "/$folder" "$root/$folder" || exit 125; done
    exec chroot "$root" "$@"' in-root "$root" "$@"
}

wine_version() {
  VELT_WINE_ROOT="$1" "$here/wine-tool.sh" wine --version 2>/dev/null |
    sed -n 's/^wine-\([0-9][0-9.]*\).*/\1/p'
}

# Ready: made to the end (the mark names the packages) and its Wine answers.
is_ready() {
  local root=$1
  [ -f "$root/.velt-root-ready" ] && [ "$(cat "$root/.velt-root-ready")" = "${packages[*]}" ] &&
    [ -n "$(wine_version "$root")" ]
}

# The archive's address, from the machine's own Debian entry.
mirror() {
  local uris
  uris="$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null)"
  [ -n "$uris" ] || uris="$(awk '$1 == "deb" && $2 ~ /debian\/?$/ {print $2; exit}' \
    /etc/apt/sources.list 2>/dev/null)"
  echo "${uris:-http://deb.debian.org/debian}"
}

# Removes a root that is not ready. Never through a mount: a folder of the root
# that something is mounted on means another run uses it.
remove_root() {
  local root=$1
  [ -e "$root" ] || return 0
  if findmnt -rn -o TARGET | grep -q "^$root\(/\|$\)"; then
    say "$root is in use (something is mounted in it); not removed"
    return 1
  fi
  rm -rf --one-file-system "$root"
}

make_root() {
  local release=$1 root=$2 started=$SECONDS
  local work="$root.making"
  command -v debootstrap >/dev/null || { say "debootstrap is not installed"; return 1; }
  remove_root "$work" && remove_root "$root" || return 1
  say "making a Debian $release root with Wine in $root (a few minutes, once)"
  if ! debootstrap --variant=minbase "$release" "$work" "$(mirror)" >"$cache/$release.log" 2>&1; then
    say "debootstrap of $release failed: $(grep -E '^E:' "$cache/$release.log" | tail -n 1)" \
      "(the whole log: $cache/$release.log)"
    return 1
  fi
  in_root "$work" dpkg --add-architecture i386 || return 1
  # Inside the root, the same rules as on the machine: retried, and on errors
  # only go on when the packages still resolve.
  if ! in_root "$work" /bin/bash -c "$(declare -f apt_update apt_resolves);
      apt_update || apt_resolves ${packages[*]}" >>"$cache/$release.log" 2>&1; then
    say "$(tail -n 1 "$cache/$release.log")"
    return 1
  fi
  if ! in_root "$work" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
      --no-install-recommends "${packages[@]}" >>"$cache/$release.log" 2>&1; then
    say "the packages ${packages[*]} could not be installed in the $release root" \
      "(the log: $cache/$release.log)"
    return 1
  fi
  in_root "$work" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 >>"$cache/$release.log" 2>&1 || return 1
  echo "${packages[*]}" >"$work/.velt-root-ready"
  mv "$work" "$root" || return 1
  say "the $release root is ready ($((SECONDS - started)) s)"
}

case "${1:-}" in
  ensure)
    release="${2:?usage: wine-root.sh ensure <release>}"
    case "$release" in
      bookworm | trixie) ;;
      *) say "no root is made for Debian release '$release' (bookworm or trixie)"; exit 1 ;;
    esac
    [ "$(id -u)" -eq 0 ] || { say "making or entering a root needs root rights"; exit 1; }
    root="$cache/$release"
    if is_ready "$root"; then
      say "reusing the $release root in $root (Wine $(wine_version "$root"))"
    else
      [ -e "$root" ] && say "the $release root in $root is incomplete or broken: made again"
      mkdir -p "$cache" && exec 9>"$cache/.$release.lock" && flock 9 || exit 1
      is_ready "$root" || make_root "$release" "$root" || exit 1
      is_ready "$root" || { say "the $release root was made, but its Wine does not start"; exit 1; }
    fi
    echo "$root"
    ;;
  version)
    version="$(wine_version "${2:?usage: wine-root.sh version <folder>}")"
    [ -n "$version" ] || exit 1
    echo "$version"
    ;;
  *)
    echo "usage: $0 ensure <release> | version <folder>" >&2
    exit 2
    ;;
esac
