#!/usr/bin/env bash
# Builds velt-update.exe once more, in a fresh build folder at another path, and
# compares it byte for byte with the product under test: the same sources and
# payload must give the same file wherever and whenever they are built.
#
#   check-reproducible-build.sh SOURCE_DIR PRODUCT TOOLCHAIN_FILE BUILD_TYPE PAYLOAD
#
# The fresh folder is unique to this run (several runs may go at once) and is
# removed at the end. Builds with at most 2 jobs.
set -euo pipefail

if [ $# -ne 5 ]; then
  echo "usage: $0 SOURCE_DIR PRODUCT TOOLCHAIN_FILE BUILD_TYPE PAYLOAD" >&2
  exit 2
fi
source_dir=$1 product=$2 toolchain=$3 build_type=$4 payload=$5

fresh=$(mktemp -d "$(dirname "$product")/reproducible-build.XXXXXX")
trap 'rm -rf "$fresh"' EXIT

cmake -S "$source_dir" -B "$fresh/other-path" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE="$build_type" -DVELT_PAYLOAD="$payload" >"$fresh/configure.log" 2>&1 ||
  { cat "$fresh/configure.log"; exit 1; }
cmake --build "$fresh/other-path" --target velt-update -j 2 >"$fresh/build.log" 2>&1 ||
  { tail -n 40 "$fresh/build.log"; exit 1; }

rebuilt=$fresh/other-path/velt-update.exe
if cmp -s "$product" "$rebuilt"; then
  echo "identical: $product and a fresh build at $rebuilt ($(stat -c %s "$product") bytes)"
  exit 0
fi
echo "DIFFERENT: $product and a fresh build at $rebuilt"
echo "first differing bytes (offset, octal values):"
cmp -l "$product" "$rebuilt" | head -n 10
exit 1
