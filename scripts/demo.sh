#!/usr/bin/env bash
# Builds the installer (the 32-bit product) and runs a demonstration update of it
# under Wine, as a 32-bit process on 64-bit Windows, against a sample Velt
# installation: once in English (install, decline the launch) and once in Russian
# (install, start Velt). Prints what was shown and what changed. The updater is
# elevated and starts Velt only with the desktop user's own rights, so the box
# answerer first starts a stand-in desktop shell with the unelevated token.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
if [ "${VELT_EMULATE_I386:-0}" = 1 ]; then
  trap 'bash scripts/i386-support.sh release' EXIT
fi
bash scripts/install-deps.sh || deps=$?
if [ "${deps:-0}" -eq 3 ]; then
  # This machine's own Wine cannot be installed now: the same release's Wine
  # from a root (scripts/wine-root.sh), outside the clone.
  release="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
  VELT_WINE_ROOT="$(bash scripts/wine-root.sh ensure "$release")" || exit 1
  export VELT_WINE_ROOT
  echo "=== Wine from a Debian $release root ($VELT_WINE_ROOT), as this machine's own cannot be installed now"
  bash scripts/i386-support.sh ensure || true
elif [ "${deps:-0}" -ne 0 ]; then
  exit 1
fi
if ! i386_mode=$(bash scripts/i386-support.sh mode); then
  echo "The demonstration needs to run the 32-bit product: $i386_mode" >&2
  exit 1
fi

echo "=== Building the product (win32), the stand-in Velt and the box answerer"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target velt-update velt box-answerer desktop-shell

# shellcheck source=wine-paths.sh
. scripts/wine-paths.sh
export VELT_WINEPREFIX="$(velt_prefix demo-prefix)"
export WINEPREFIX="$VELT_WINEPREFIX" WINEDEBUG=-all
wine() { "$repo/scripts/wine-run.sh" "$@"; }
# The 64-bit reg.exe: the updater, on a system it describes as 64-bit, reads and
# writes the 64-bit view of the registry.
reg64() { "$repo/scripts/wine-tool.sh" wine64 reg "$@"; }
bash scripts/wine-prefix.sh

drive_c="$VELT_WINEPREFIX/drive_c"
velt_dir="$drive_c/Program Files/Velt"
payload="$repo/build/win32/payload/vtup.cok"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velt'

version_byte() { [ -f "$1" ] && od -An -tu1 -j4 -N1 "$1" | tr -d ' ' || echo "none"; }
describe_package() {
  local file="$velt_dir/vtup.cok" byte
  byte=$(version_byte "$file")
  printf '  vtup.cok: %s bytes, version byte %s (version %s)' \
    "$(stat -c %s "$file")" "$byte" "$((byte - 32))"
  if cmp -s "$file" "$payload"; then echo ", identical to the carried payload"; else echo; fi
}

prepare_installation() {
  rm -rf "$velt_dir"
  mkdir -p "$velt_dir/language"
  cp build/win32/tools/velt.exe "$velt_dir/velt.exe"
  cp samples/installation/language/*.lng "$velt_dir/language/"
  # The installed data file of the previous release: version 10 (byte 42).
  build/win32/host/velt-payload build --version 10 --generate 12 40000 "$velt_dir/vtup.cok" \
    >/dev/null
  reg64 add "$uninstall_key" /v UninstallString /t REG_SZ \
    /d 'C:\Program Files\Velt\uninst.exe' /f >/dev/null 2>&1
  reg64 delete "$uninstall_key" /v EstimatedSize /f >/dev/null 2>&1 || true
}

run_update() {
  local language=$1
  shift
  echo "  running velt-update.exe, answering: $*"
  local answers=()
  for answer in "$@"; do answers+=(--answer "$answer"); done
  cp build/win32/velt-update.exe "$drive_c/velt-update.exe"
  cp build/win32/tools/desktop-shell.exe "$drive_c/desktop-shell.exe"
  set +e
  LANG=$language wine build/win32/tools/box-answerer.exe "${answers[@]}" \
    --desktop-shell 'C:\desktop-shell.exe' -- \
    'C:\velt-update.exe' | sed 's/^/    /'
  local status=${PIPESTATUS[0]}
  set -e
  echo "  exit code: $status"
}

report_after() {
  describe_package
  local recorded bytes
  recorded=$(reg64 query "$uninstall_key" /v EstimatedSize 2>/dev/null | tr -d '\r' |
    awk '/EstimatedSize/ {print $3}')
  bytes=$(find "$velt_dir" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
  echo "  EstimatedSize: $((recorded)) KiB (the folder's files hold $bytes bytes = $((bytes / 1024)) KiB)"
  if [ -f "$velt_dir/velt-started.txt" ]; then
    echo "  Velt was started: $(tr -d '\r' < "$velt_dir/velt-started.txt")"
  else
    echo "  Velt was not started"
  fi
}

echo
echo "=== The product"
file build/win32/velt-update.exe | sed 's/^/  /'
echo "  runs as $i386_mode, under $(scripts/wine-tool.sh wine --version)${VELT_WINE_ROOT:+ (from $VELT_WINE_ROOT)}"
echo "  carries a payload of $(stat -c %s "$payload") bytes, version byte $(version_byte "$payload")"

echo
echo "=== English run (LANG=en_US.UTF-8): install, then decline starting Velt"
prepare_installation
describe_package
run_update en_US.UTF-8 yes no
report_after

echo
echo "=== Russian run (LANG=ru_RU.UTF-8): install, then start Velt"
prepare_installation
describe_package
run_update ru_RU.UTF-8 yes yes
sleep 1
report_after
