#!/bin/bash
# Runs the signed-installer end-to-end test (SignedInstallerEnvironment) of the
# e2e test binary under Wine. A throw-away self-signed code-signing certificate
# signs a copy of the product (Authenticode, osslsigncode); the test receives
# the signed copy in VELT_SIGNED_UPDATER. Everything is made in a temporary
# folder that is removed afterwards.
#
# Usage: e2e-signed-installer.sh <velt_e2e_tests.exe> <velt-update.exe>
# Exit: the test binary's code; 1 when signing or verifying fails.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
binary="${1:?usage: e2e-signed-installer.sh <e2e tests> <velt-update.exe>}"
updater="${2:?usage: e2e-signed-installer.sh <e2e tests> <velt-update.exe>}"

fail() {
  echo "e2e-signed-installer: $*" >&2
  exit 1
}
for tool in openssl osslsigncode; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

work="$(mktemp -d /tmp/velt-signed.XXXXXX)" || exit 1
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velt update test signing" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$work/key.pem" -out "$work/cert.pem" >"$work/openssl.log" 2>&1 ||
  { cat "$work/openssl.log" >&2; fail "cannot make the certificate"; }

# sign <input> <output>: signs, then checks that the signature was added and verifies.
sign() {
  osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 \
    -n "Velt update" -in "$1" -out "$2" >"$work/sign.log" 2>&1 ||
    { cat "$work/sign.log" >&2; fail "cannot sign $1"; }
  cmp -s "$1" "$2" && fail "signing left $1 unchanged"
  osslsigncode verify -CAfile "$work/cert.pem" -in "$2" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; fail "the signature of $2 does not verify"; }
  echo "e2e-signed-installer: signed $1 ($(stat -c %s "$1") -> $(stat -c %s "$2") bytes), verified"
}

sign "$updater" "$work/velt-update-signed.exe"

VELT_SIGNED_UPDATER="$work/velt-update-signed.exe" "$repo/scripts/wine-run.sh" "$binary" \
  --gtest_filter='SignedInstallerEnvironment.*'
