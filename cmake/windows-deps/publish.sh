#!/bin/bash
# publish.sh WORK PREFIX LICENCE_NAME ORIGIN LICENCE_FILE...
# The last step of a library's external project: completes what its install step
# put under WORK/stage/PREFIX (the licence text, where the source came from and
# Debian's source files) and renames it to PREFIX, marker included, in one move.
# ORIGIN is "-" for a library built from source (fetch-source.sh wrote
# WORK/provenance.txt then); otherwise it says which installed package it is.
set -Eeuo pipefail
work=$1 prefix=$2 licence_name=$3 origin=$4
shift 4
staged="$work/stage$prefix"
mkdir -p "$staged/licenses"
for file in "$@"; do
  case $file in /*) ;; *) file="$work/source/$file" ;; esac
  [ -f "$file" ] || { echo "publish: licence text $file is missing" >&2; exit 1; }
  printf '==> %s <==\n\n' "${file#"$work"/source/}"
  cat "$file"
  printf '\n\n'
done >"$staged/licenses/$licence_name.txt"
if [ "$origin" != - ]; then
  echo "$origin" >"$staged/provenance.txt"
else
  cp "$work/provenance.txt" "$staged/provenance.txt"
  mkdir -p "$staged/source"
  while read -r file; do cp "$file" "$staged/source/"; done <"$work/source-files.txt"
fi
echo "built $(date -u +%Y-%m-%dT%H:%M:%SZ)" >"$staged/COMPLETE"
rm -rf "$prefix"
mv "$staged" "$prefix"
