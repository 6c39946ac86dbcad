#!/usr/bin/env bash
# Installs what the build and the tests need, skipping what is already there,
# on Debian 12 (bookworm) and Debian 13 (trixie).
#
# Exit: 0 with everything; 3 when all but the machine's own Wine is there (the
# archive cannot give it now: the callers then run Wine from a Debian root made
# by scripts/wine-root.sh, and say so); 1 when the build's own tools are missing.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=apt-archive.sh
. "$here/apt-archive.sh"

# The product is a 32-bit program: Debian's 32-bit Wine runs it (under WOW64 in
# a 64-bit prefix), which needs the i386 architecture. The message boxes are
# also shown on a virtual X display (xvfb) with Wine's fonts and DejaVu for
# Cyrillic, and saved as pictures (netpbm turns them into PNG). strace kills the
# product at chosen system calls (scripts/e2e-kill.sh). debootstrap makes the
# root that holds the other Debian release's Wine (scripts/wine-root.sh).
added_architecture=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture"
  dpkg --add-architecture i386
  added_architecture=1
fi

tools=(cmake ninja-build g++ libgtest-dev googletest locales file debootstrap
       g++-mingw-w64-i686 binutils-mingw-w64-i686 libxxhash-dev openssl osslsigncode
       xvfb netpbm fonts-wine fonts-dejavu-core strace)
# The machine's own Wine: its i386 libraries must match the amd64 ones exactly,
# so it needs every index of the machine's suites, the security suite's i386 one
# included.
wine=(wine wine64 wine32:i386)

missing_of() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      echo "$package"
  done
}
mapfile -t missing_tools < <(missing_of "${tools[@]}")
mapfile -t missing_wine < <(missing_of "${wine[@]}")

updated=1
if [ $((${#missing_tools[@]} + ${#missing_wine[@]})) -gt 0 ] || [ "$added_architecture" -eq 1 ]; then
  apt_update || updated=0
fi
install() {
  echo "Installing: $*"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}
if [ ${#missing_tools[@]} -gt 0 ]; then
  if [ "$updated" -eq 0 ] && ! apt_resolves "${missing_tools[@]}"; then
    echo "install-deps: cannot install ${missing_tools[*]}: $(apt_archive_line) Run the command again later."
    exit 1
  fi
  install "${missing_tools[@]}" || exit 1
fi
wine_status=0
if [ ${#missing_wine[@]} -gt 0 ]; then
  if [ "$updated" -eq 0 ] && ! apt_resolves "${missing_wine[@]}"; then
    echo "install-deps: this machine's own Wine cannot be installed now: $(apt_archive_line)" \
      "Meanwhile the Windows-side runs take the same release's Wine from a Debian root."
    wine_status=3
  else
    install "${missing_wine[@]}" || wine_status=3
  fi
elif [ "$updated" -eq 0 ]; then
  echo "install-deps: an index could not be read, but everything needed is installed"
fi

# The 32-bit programs need a kernel that runs them, or QEMU's user-mode emulator
# registered for them (VELT_EMULATE_I386=1 registers it even where the kernel
# runs them). Where neither can be had the line says why, and the Windows-side
# tests are skipped with that reason.
bash "$here/i386-support.sh" ensure || true

# Wine derives the Windows locale (1049, code page 1251) from the Unix locale it
# starts in, which must exist for the Russian runs.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  echo "Generating the ru_RU.UTF-8 locale"
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
exit $wine_status
