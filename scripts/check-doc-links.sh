#!/bin/bash
# Checks the links of the README and the docs/ pages: every relative link or
# picture (`[text](path)`, `![text](path)`, an anchor after `#` left aside)
# names a file that exists, and every docs/ page names its reader in its first
# paragraph ("For ..."). Prints each broken one and exits 1 when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."

bad=0
for page in README.md docs/*.md; do
  dir=$(dirname "$page")
  while IFS= read -r target; do
    target="${target%%#*}"
    case "$target" in "" | http://* | https://* | mailto:*) continue ;; esac
    if [ ! -e "$dir/$target" ]; then
      echo "$page: the link to $target leads nowhere" >&2
      bad=1
    fi
  done < <(grep -oE '\]\([^) ]+\)' "$page" | sed -E 's/^\]\((.*)\)$/\1/')
done
for page in docs/*.md; do
  sed -n '3p' "$page" | grep -q '^For ' ||
    { echo "$page: its first paragraph does not say whom it is for (\"For ...\")" >&2; bad=1; }
done
linked=$(grep -oE '\(docs/[a-z-]+\.md\)' README.md | sort -u | wc -l)
[ "$bad" = 0 ] && echo "docs: every link leads to a file ($linked docs/ pages linked from the README)"
exit "$bad"
