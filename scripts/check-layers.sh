#!/bin/bash
# Checks that no include points up a layer. Layers, top to bottom:
#   driver, package, language, startup, sysinfo, deployment, platform
# (platform/win32 and platform/fake implement platform; tools and tests, the
# modules' own tests/ folders among them, sit outside the stack, but only
# driver/tests/ may include the driver). A folder may include its own headers
# and any lower layer's.
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
# Nothing outside driver/ includes a driver/ header: the driver's own tests live
# in driver/tests/; tools and the other tests use the lower layers.
while IFS= read -r hit; do
  echo "$hit: includes a driver/ header" >&2
  bad=1
done < <(grep -rn --include='*.h' --include='*.cpp' '#include "driver/' . --exclude-dir=driver \
  --exclude-dir=build --exclude-dir=.git || true)
[ "$bad" = 0 ] && echo "layers: every include points down or within its folder"
exit "$bad"
