#!/bin/bash
# The demo's driver files as they were before compression, for the x86 tests to compare the
# wizard's expanded copies with byte for byte: SZDD files expanded by mscompress's msexpand
# (not the Windows LZ library the wizard expands them with), the others copied.
#   expand-demo.sh DEMO_DIR OUTPUT_DIR
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: expand-demo.sh DEMO_DIR OUTPUT_DIR" >&2; exit 2; }
demo=$1 output=$2
rm -rf "$output"
mkdir -p "$output"
for file in "$demo"/*; do
    name=${file##*/}
    if [ "$(head -c 4 "$file")" = SZDD ]; then
        msexpand <"$file" >"$output/$name"
    else
        cp "$file" "$output/$name"
    fi
done
touch "$output/.done"
