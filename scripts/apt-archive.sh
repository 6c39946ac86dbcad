# Sourced by the set-up scripts: apt-get update that survives the archive's bad
# moments, and what to say when it does not. Never works around a signature or
# size check: an index apt refuses stays refused.
#
# Debian's archive is at times served out of step with its signed release file
# (seen: bookworm-security's i386 index, "File has unexpected size ... Mirror
# sync in progress?", for hours). apt-get then keeps the indexes it could check
# and reports the others; what was needed may still resolve from those.

# Lines of the last apt_update naming the indexes apt could not take.
APT_FAILED_INDEXES=""

# apt-get update [options...], retried up to 3 times with a pause. True when it
# ran without an error; otherwise APT_FAILED_INDEXES names what failed.
apt_update() {
  local attempt output pause
  for attempt in 1 2 3; do
    output="$(DEBIAN_FRONTEND=noninteractive apt-get update -q "$@" 2>&1)"
    local status=$?
    APT_FAILED_INDEXES="$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\) *\(.*\)$/\1 (\2)/p' <<<"$output")"
    if [ "$status" -eq 0 ] && ! grep -q '^E: ' <<<"$output"; then
      APT_FAILED_INDEXES=""
      return 0
    fi
    [ -n "$APT_FAILED_INDEXES" ] || APT_FAILED_INDEXES="$(grep '^E: ' <<<"$output" | head -n 3)"
    [ "$attempt" -lt 3 ] || break
    pause=$((attempt * 15))
    echo "apt: the package indexes could not all be read; trying again in $pause s" >&2
    sleep "$pause"
  done
  return 1
}

# Whether apt-get could install `packages...` now (a dry run).
apt_resolves() {
  DEBIAN_FRONTEND=noninteractive apt-get install -s -qq --no-install-recommends "$@" \
    >/dev/null 2>&1
}

# One line for a failed update whose packages do not resolve: which index, and
# that it is the archive's state.
apt_archive_line() {
  local first
  first="$(head -n 1 <<<"$APT_FAILED_INDEXES")"
  echo "Debian's archive served an index apt could not check: ${first:-unknown}. This is the" \
    "archive's state (a mirror being synchronised), not this machine's; waiting helps."
}
