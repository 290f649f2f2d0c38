#!/bin/sh
# check-components.sh CONFIG_COMPONENTS_H EXPECTED
# Fails naming every symbol of EXPECTED (one a line, CONFIG_..._DECODER and so on)
# that FFmpeg's configure did not switch on.
missing=""
while read -r symbol; do
  grep -q "^#define $symbol 1" "$1" || missing="$missing $symbol"
done <"$2"
[ -z "$missing" ] || { echo "FFmpeg's configure left out:$missing" >&2; exit 1; }
