#!/bin/bash
# Checks that no include points up a layer. Layers, top to bottom:
#   driver, package, language, startup, sysinfo, deployment, platform
# (platform/win32 and platform/fake implement platform; tools and tests, the
# modules' own tests/ folders among them, sit outside the stack, but only
# driver/tests/ may include the driver). A folder may include its own headers
# and any lower layer's.
# Inside a folder, no two files include each other (either way round).
# Prints each offending include and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(driver package language startup sysinfo deployment platform)
rank() {
  local i
  for i in "${!layers[@]}"; do
    [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}

bad=0
for layer in "${layers[@]}"; do
  own=$(rank "$layer")
  while IFS=: read -r file line text; do
    target=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$text")
    target_rank=$(rank "$target")
    if [ "$target_rank" -ge 0 ] && [ "$target_rank" -lt "$own" ]; then
      echo "$file:$line: $layer/ includes a header of $target/, a higher layer" >&2
      bad=1
    fi
  done < <(grep -rn --include='*.h' --include='*.cpp' --exclude-dir=tests '#include "' "$layer" ||
    true)
done
# Inside a folder no two files include each other's headers, either way.
for layer in "${layers[@]}"; do
  pairs=$(grep -rn --include='*.h' --include='*.cpp' --exclude-dir=tests \
    "#include \"$layer/[^/\"]*\"" "$layer" |
    sed -E "s#^$layer/([^:]*)\.(h|cpp):[0-9]+:.*\"$layer/([^\"]*)\.h\".*#\1 \3#" |
    awk '$1 != $2' | sort -u || true)
  while read -r one other; do
    [ -n "$one" ] || continue
    if grep -qx "$other $one" <<<"$pairs"; then
      [[ "$one" < "$other" ]] && echo "$layer/: $one and $other include each other" >&2
      bad=1
    fi
  done <<<"$pairs"
done
# Nothing outside driver/ includes a driver/ header: the driver's own tests live
# in driver/tests/; tools and the other tests use the lower layers.
while IFS= read -r hit; do
  echo "$hit: includes a driver/ header" >&2
  bad=1
done < <(grep -rn --include='*.h' --include='*.cpp' '#include "driver/' . --exclude-dir=driver \
  --exclude-dir=build --exclude-dir=.git || true)
[ "$bad" = 0 ] && echo "layers: every include points down or within its folder"
exit "$bad"
