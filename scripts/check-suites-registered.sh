#!/usr/bin/env bash
# Fails when a test compiled into a Windows-side test binary is selected by no
# ctest entry's filter, so that no suite can go unrun unnoticed.
#   check-suites-registered.sh <test binary> <filters file: one gtest filter a line>
set -uo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
binary=$1
filters_file=$2

listing="$("$repo/scripts/wine-run.sh" "$binary" --gtest_list_tests | tr -d '\r')"
patterns=()
while IFS= read -r filter; do
  [ -n "$filter" ] || continue
  IFS=':' read -r -a parts <<<"${filter%%-*}"
  patterns+=("${parts[@]}")
done <"$filters_file"

total=0
unregistered=()
suite=""
while IFS= read -r line; do
  line="${line%%#*}"
  if [[ $line != " "* ]]; then
    suite="${line%.*}"
    suite="${suite%% *}"
    continue
  fi
  name="${line// /}"
  [ -n "$name" ] || continue
  total=$((total + 1))
  full="$suite.$name"
  selected=0
  for pattern in "${patterns[@]}"; do
    # shellcheck disable=SC2053 # a gtest filter is a glob
    if [[ $full == $pattern ]]; then selected=1; break; fi
  done
  [ "$selected" -eq 1 ] || unregistered+=("$full")
done <<<"$listing"

if [ "$total" -eq 0 ]; then
  echo "check-suites-registered: $binary listed no tests (did it run?)"
  exit 1
fi
if [ ${#unregistered[@]} -gt 0 ]; then
  echo "check-suites-registered: ${#unregistered[@]} of $total tests in $(basename "$binary") are run by no ctest entry:"
  printf '  %s\n' "${unregistered[@]}"
  exit 1
fi
echo "check-suites-registered: all $total tests of $(basename "$binary") are run by a ctest entry"
