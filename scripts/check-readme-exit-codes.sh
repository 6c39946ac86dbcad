#!/bin/bash
# Checks the documented deployment contract against the program: the exit-code
# table, the winget ExpectedReturnCodes block and the Intune / Configuration
# Manager table of docs/deployment.md, and the README's short exit-code table,
# list exactly the codes of deployment/exit_codes.h, and every end-to-end test
# the full exit-code table names exists in tests/e2e/.
# Prints each mismatch and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

codes=$(grep -oE '= [0-9]+,' deployment/exit_codes.h | grep -oE '[0-9]+' | sort -n | tr '\n' ' ')
nonzero=$(tr ' ' '\n' <<<"$codes" | grep -vx 0 | grep . | tr '\n' ' ')

# The lines of file `$1` from the heading `$2` up to the next heading of any level.
section() {
  awk -v heading="$2" '$0 == heading {inside = 1; next} /^#/ {inside = 0} inside' "$1"
}
page=docs/deployment.md
# The first column of the table rows in stdin whose first cell is a number.
row_codes() {
  grep -oE '^\| [0-9]+ \|' | grep -oE '[0-9]+' | sort -n | tr '\n' ' ' || true
}

bad=0
expect() {  # what, listed, wanted
  if [ "$2" != "$3" ]; then
    echo "$1 lists [$2], deployment/exit_codes.h has [$3]" >&2
    bad=1
  fi
}

expect "$page: the exit-code table" "$(section $page '## Exit codes' | row_codes)" "$codes"
expect "README.md: the exit-code table" "$(section README.md '## Use it' | row_codes)" "$codes"
expect "$page: the winget ExpectedReturnCodes" \
  "$(section $page '## winget' | grep -oE 'InstallerReturnCode: [0-9]+' | grep -oE '[0-9]+' |
     sort -n | tr '\n' ' ' || true)" "$nonzero"
expect "$page: the Intune and Configuration Manager table" \
  "$(section $page '## Intune and Configuration Manager' | row_codes)" "$codes"

tests=$(section $page '## Exit codes' | grep -E '^\| [0-9]+ \|' |
        grep -oE '`[A-Za-z0-9_]+\.[A-Za-z0-9_]+`' | tr -d '`' | sort -u)
[ -n "$tests" ] || { echo "$page: the exit-code table names no test" >&2; bad=1; }
for test in $tests; do
  suite=${test%%.*}
  name=${test#*.}
  if ! grep -qE "TEST(_F)?\($suite, *$name\)" tests/e2e/*.cpp; then
    echo "$page: the exit-code table names $test, which tests/e2e/ does not hold" >&2
    bad=1
  fi
done
[ "$bad" = 0 ] && echo "docs: exit codes $codes- each listed in the README and $page, each named test present"
exit "$bad"
