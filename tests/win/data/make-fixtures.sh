#!/bin/bash
# Makes the copy tests' source files: plain files and files compressed by the LZ
# library's SZDD format with Debian's mscompress, which the tests expand under Wine.
# Run it from anywhere; it rewrites the fixtures beside itself.
set -euo pipefail
cd "$(dirname "$0")"
command -v mscompress >/dev/null || { echo "mscompress is missing (apt-get install mscompress)" >&2; exit 1; }

# A plain file of every byte value, copied unchanged.
python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)) * 12 + b"tail")' >plain.bin

# Text with repeats (mscompress garbles files of only a few bytes), so the compressed file is smaller than the expanded one, and a
# few bytes of every value.
python3 -c '
import sys
lines = b"".join(b"*%04d GPD entry: Resolution 600dpi, PaperSize A4, Letter, Legal\r\n" % i for i in range(80))
sys.stdout.buffer.write(lines + bytes(range(256)))' >packed.bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp packed.bin "$work/packed.bin"
(cd "$work" && mscompress packed.bin)
mv "$work/packed.bin_" packed.sz

# Cut in the middle of the compressed data: the expansion stops short of the size
# announced in the header.
head -c $(($(stat -c %s packed.sz) / 2)) packed.sz >truncated.sz
