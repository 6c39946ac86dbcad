#!/usr/bin/env bash
# How this machine runs the 32-bit product (and the 32-bit Wine that starts it).
#
# Some kernels run i386 programs natively; others (seen: PVM guests) refuse every
# one of them with "Exec format error". There QEMU's user-mode emulator, registered
# in binfmt_misc for i386 ELF files, runs them. Only QEMU 10 or later is usable:
# 7.2 takes about a minute for one run of the product, 10 well under a second.
#
#   i386-support.sh ensure   make 32-bit programs runnable: nothing on a machine that
#                            runs them natively (a registration left by a forced run
#                            is removed), else install QEMU 10 and register it; one
#                            line says what was done. With VELT_EMULATE_I386=1 the
#                            emulator is registered even where the kernel runs i386
#                            code, and the registration is marked as made for a run.
#   i386-support.sh release  remove the registration that a forced run made, unless
#                            the kernel refuses i386 programs (then it stays).
#   i386-support.sh mode     print how 32-bit programs run now: "32-bit natively",
#                            "32-bit under user-mode emulation (QEMU x.y.z)", or
#                            "cannot run 32-bit programs: <reason>" (exit 1).
set -uo pipefail

binfmt=/proc/sys/fs/binfmt_misc
entry_name=velt-i386
entry="$binfmt/$entry_name"
emulator=/usr/bin/qemu-i386-static
loader=/lib/ld-linux.so.2
# Made by a forced run; the registration it marks is removed by `release`.
forced_mark=/run/velt-i386-forced
# i386 executables and shared objects (e_type 2 or 3, e_machine 3).
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

say() { echo "i386-support: $*"; }

# Registrations (ours or another's) that hand i386 programs to QEMU.
qemu_entries() {
  [ -d "$binfmt" ] || return 0
  local file
  for file in "$binfmt"/*; do
    case "$(basename "$file")" in register | status) continue ;; esac
    grep -qx 'magic 7f454c4601010100000000000000000002000300' "$file" 2>/dev/null &&
      grep -q '^interpreter .*qemu-i386' "$file" 2>/dev/null && echo "$file"
  done
}

enabled_qemu_entries() {
  local file
  for file in $(qemu_entries); do
    head -n 1 "$file" | grep -qx enabled && echo "$file"
  done
}

# A copy of the i386 loader (the machine's, or with VELT_WINE_ROOT that of the
# root whose Wine runs) in the temporary file `$1`; false when there is none.
copy_loader() {
  if [ -n "${VELT_WINE_ROOT:-}" ]; then
    chroot "$VELT_WINE_ROOT" cat "$loader" >"$1" 2>/dev/null
  else
    [ -x "$loader" ] && cp "$loader" "$1"
  fi && [ -s "$1" ] && chmod +x "$1"
}

# Runs a copy of the loader; with `native`, one whose ELF ABI-version byte no
# emulator's registration matches (the kernel ignores it), since registrations
# take precedence over the kernel's own loader. 2: there is no loader.
run_loader() {
  local probe result
  probe="$(mktemp)"
  if ! copy_loader "$probe"; then
    rm -f "$probe"
    return 2
  fi
  if [ "${1:-}" = native ]; then
    printf '\x01' | dd of="$probe" bs=1 seek=8 conv=notrunc 2>/dev/null
  fi
  "$probe" --help >/dev/null 2>&1
  result=$?
  rm -f "$probe"
  [ "$result" -eq 0 ]
}

# Does the kernel itself run i386 programs?
runs_natively() { run_loader native; }

qemu_version() {
  "$emulator" --version 2>/dev/null | head -n 1 | sed -n 's/.*version \([0-9][0-9.]*\).*/\1/p'
}

qemu_usable() {
  local version
  version="$(qemu_version)"
  [ -n "$version" ] && [ "${version%%.*}" -ge 10 ]
}

# QEMU 10: Debian 13 carries it; Debian 12 has it in its backports suite, reached
# through the same mirror as the machine's own Debian entry.
install_qemu() {
  qemu_usable && return 0
  local list=/etc/apt/sources.list.d/velt-backports.sources uris codename candidate
  export DEBIAN_FRONTEND=noninteractive
  candidate="$(apt-cache policy qemu-user-static 2>/dev/null |
    sed -n 's/^ *Candidate: \([0-9]*:\)\{0,1\}\([0-9]*\).*/\2/p')"
  if [ "${candidate:-0}" -ge 10 ] 2>/dev/null; then
    apt-get install -y -qq --no-install-recommends qemu-user-static >/dev/null || return 1
    qemu_usable
    return
  fi
  codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
  if [ ! -f "$list" ]; then
    uris="$(awk '/^URIs:/ {u=$2} /^Suites:/ && u != "" && $0 ~ / '"$codename"'( |$)/ {print u; exit}' \
      /etc/apt/sources.list.d/*.sources 2>/dev/null)"
    [ -n "$uris" ] || uris="$(awk '$1 == "deb" && $3 == "'"$codename"'" {print $2; exit}' \
      /etc/apt/sources.list 2>/dev/null)"
    if [ -z "$uris" ]; then
      say "no Debian source entry to take the backports suite's address from"
      return 1
    fi
    printf 'Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\nSigned-By: %s\n' \
      "$uris" "$codename" /usr/share/keyrings/debian-archive-keyring.gpg >"$list"
  fi
  # shellcheck source=apt-archive.sh
  . "$(dirname "${BASH_SOURCE[0]}")/apt-archive.sh"
  if ! apt_update && ! apt_resolves -t "$codename-backports" qemu-user-static; then
    say "$(apt_archive_line)"
    return 1
  fi
  apt-get install -y -qq --no-install-recommends -t "$codename-backports" qemu-user-static \
    >/dev/null || return 1
  qemu_usable
}

register() {
  if [ -n "$(enabled_qemu_entries)" ]; then return 0; fi
  if [ ! -f "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || {
      say "binfmt_misc cannot be mounted here (needs root and kernel support)"
      return 1
    }
  fi
  [ -f "$entry" ] && echo -1 >"$entry"
  # F: the kernel opens the emulator now, so it also serves other mount namespaces.
  printf '%s' ":$entry_name:M::$magic:$mask:$emulator:F" >"$binfmt/register" 2>/dev/null || {
    say "cannot register the emulator in binfmt_misc (needs root)"
    return 1
  }
}

unregister_ours() {
  [ -f "$entry" ] && echo -1 >"$entry"
  rm -f "$forced_mark"
}

mode() {
  run_loader
  local any=$?
  if [ -n "$(enabled_qemu_entries)" ] && [ "$any" -eq 0 ]; then
    echo "32-bit under user-mode emulation (QEMU $(qemu_version))"
  elif runs_natively; then
    echo "32-bit natively"
  elif [ "$any" -eq 2 ]; then
    echo "cannot run 32-bit programs: the i386 C library is not installed"
    return 1
  else
    echo "cannot run 32-bit programs: the kernel refuses them and no emulator is registered"
    return 1
  fi
}

ensure() {
  if [ "${VELT_EMULATE_I386:-0}" = 1 ]; then
    if [ -z "$(enabled_qemu_entries)" ]; then
      install_qemu || { say "QEMU 10 could not be installed"; return 1; }
      register || return 1
      touch "$forced_mark"
      say "emulating i386 for this run (VELT_EMULATE_I386=1): QEMU $(qemu_version) registered"
    else
      say "emulating i386 (VELT_EMULATE_I386=1): QEMU $(qemu_version) already registered"
    fi
    return 0
  fi
  run_loader native
  local native=$?
  if [ "$native" -eq 2 ]; then
    say "no i386 C library yet to ask the kernel with"
    return 1
  fi
  if [ "$native" -eq 0 ]; then
    # A registration left by an interrupted forced run would emulate needlessly.
    if [ -f "$entry" ]; then
      unregister_ours
      say "the kernel runs i386 programs; the emulator's registration was removed"
    fi
    return 0
  fi
  [ -n "$(enabled_qemu_entries)" ] && return 0
  install_qemu || { say "the kernel refuses i386 programs and QEMU 10 could not be installed"; return 1; }
  register || return 1
  say "the kernel refuses i386 programs: QEMU $(qemu_version) registered in binfmt_misc to run them"
}

case "${1:-}" in
  ensure) ensure ;;
  mode) mode ;;
  release)
    if [ -f "$forced_mark" ]; then
      run_loader native
      if [ $? -eq 1 ]; then
        # This kernel refuses i386 programs: the machine needs the registration.
        rm -f "$forced_mark"
        say "the emulator's registration stays: this kernel does not run i386 programs itself"
      else
        unregister_ours
        say "the emulator's registration made for this run was removed"
      fi
    fi
    ;;
  *)
    echo "usage: $0 ensure|mode|release" >&2
    exit 2
    ;;
esac
