#!/usr/bin/env bash
# Installs what the build and the tests need, skipping what is already there.
set -euo pipefail

# The product is a 32-bit program: Debian's 32-bit Wine runs it (under WOW64 in
# a 64-bit prefix), which needs the i386 architecture. The message boxes are
# also shown on a virtual X display (xvfb) with Wine's fonts and DejaVu for
# Cyrillic, and saved as pictures (netpbm turns them into PNG). strace kills the
# product at chosen system calls (scripts/e2e-kill.sh).
added_architecture=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture"
  dpkg --add-architecture i386
  added_architecture=1
fi

packages=(cmake ninja-build g++ libgtest-dev googletest locales file
          g++-mingw-w64-i686 binutils-mingw-w64-i686 libxxhash-dev
          wine wine64 wine32:i386 openssl osslsigncode
          xvfb netpbm fonts-wine fonts-dejavu-core strace)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ] || [ "$added_architecture" -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The 32-bit programs need a kernel that runs them, or QEMU's user-mode emulator
# registered for them (VELT_EMULATE_I386=1 registers it even where the kernel
# runs them). Where neither can be had the line says why, and the Windows-side
# tests are skipped with that reason.
bash "$(dirname "$0")/i386-support.sh" ensure || true

# Wine derives the Windows locale (1049, code page 1251) from the Unix locale it
# starts in, which must exist for the Russian runs.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  echo "Generating the ru_RU.UTF-8 locale"
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
