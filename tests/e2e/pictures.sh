#!/bin/bash
# The wizard's pages at 96 DPI against the reference pictures kept in the repository
# (tests/e2e/pictures/LANG/*.png). tools/drive_demo.exe drives one whole installation of
# the demo setup folder and saves a picture of every page and message at a fixed moment
# (the copy page in the second it waits after its last file, bar full); each must equal
# its reference pixel for pixel (ImageMagick's compare -metric AE).
#   pictures.sh en STATE_DIR BUILD_DIR   drvsetup_x64.exe on 64-bit Wine (setup.sh's
#                                        template prefix, a display of its own)
#   pictures.sh ko STATE_DIR BUILD_DIR   the shipped drvsetup_x86.exe on the 32-bit
#                                        platform (x86-setup.sh's state, x86-run.sh)
# Where a picture differs, its diff picture goes to BUILD_DIR/pictures/LANG/diff/ and the
# count of differing pixels and their bounding box are printed. With RENEW=1 the run's
# pictures replace the references instead (tools/renew-references.sh), e.g. after the
# platform's fonts have changed. Exit code: 0 all equal (or renewed), 1 a difference or a
# failed run, 77 the 32-bit platform unavailable (x86-run.sh's answer).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../harness/common.sh"

[ $# -eq 3 ] || die "usage: pictures.sh en|ko STATE_DIR BUILD_DIR"
lang=$1
state=$(cd "$2" 2>/dev/null && pwd -P) || die "no state directory $2"
build=$(cd "$3" 2>/dev/null && pwd -P) || die "no build directory $3"
source_dir=$(cd "$here/../.." && pwd -P)
references=$source_dir/tests/e2e/pictures/$lang
out=$build/pictures/$lang
command -v compare >/dev/null && command -v convert >/dev/null ||
    die "ImageMagick's compare and convert are needed"

rm -rf "$out"
mkdir -p "$out/setup" "$out/shots" "$out/diff" || die "cannot make $out"
cp "$source_dir"/demo/* "$out/setup/" || die "cannot copy the demo setup folder"
windows() { echo "Z:${1//\//\\}"; }

case $lang in
en)
    program=drvsetup_x64.exe
    cp "$build/$program" "$out/setup/" || die "no $build/$program"
    [ -f "$state/template.ready" ] || die "no template prefix in $state: run setup.sh first"
    run=$(mktemp -d "$state/run.XXXXXX") || die "cannot make a run directory"
    export WINEPREFIX=$run/prefix
    finish() {
        "$WINESERVER" -k 2>/dev/null
        "$WINESERVER" -w 2>/dev/null
        stop_display "$run"
        rm -rf "$run"
    }
    trap finish EXIT
    trap 'exit 130' INT TERM
    copy_prefix "$state/template" "$WINEPREFIX" || die "cannot copy the template prefix"
    # A display of its own: no window of a test running beside it can cover a page.
    start_display "$run"
    DISPLAY=$(cat "$run/display")
    export DISPLAY LANG=en_US.UTF-8
    locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$' || LANG=C.UTF-8
    unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE
    "$WINE" "$build/tests/drive_demo.exe" "$(windows "$out/setup")" "$program" \
        "$(windows "$out/shots")" | tr -d '\r'
    status=${PIPESTATUS[0]}
    ;;
ko)
    program=drvsetup_x86.exe
    cp "$build/$program" "$out/setup/" || die "no $build/$program"
    DRVSETUP_BIN=$build DRVSETUP_SOURCE=$source_dir "$here/../harness/x86-run.sh" "$state" \
        "$build/tests/drive_demo.exe" "$(windows "$out/setup")" "$program" \
        "$(windows "$out/shots")" | tr -d '\r'
    status=${PIPESTATUS[0]}
    [ "$status" -eq 77 ] && exit 77
    ;;
*)
    die "no language $lang (en or ko)"
    ;;
esac
[ "$status" -eq 0 ] || die "drive_demo.exe ended with $status: no whole installation"

shopt -s nullglob
for bmp in "$out"/shots/*.bmp; do
    convert "$bmp" "$out/shots/$(basename "$bmp" .bmp).png" || die "cannot convert $bmp"
done
shots=("$out"/shots/*.png)
[ ${#shots[@]} -gt 0 ] || die "no pictures were taken"

if [ "${RENEW:-0}" = 1 ]; then
    mkdir -p "$references"
    rm -f "$references"/*.png
    cp "${shots[@]}" "$references/" || die "cannot write $references"
    echo "pictures.sh: ${#shots[@]} references renewed in $references"
    exit 0
fi

failed=0
names() { for f in "$@"; do basename "$f"; done | sort; }
expected=$(names "$references"/*.png)
got=$(names "${shots[@]}")
if [ "$expected" != "$got" ]; then
    echo "FAIL the pictures taken are not those kept:"
    diff <(echo "$expected") <(echo "$got") | sed 's/^/    /'
    failed=1
fi
for shot in "${shots[@]}"; do
    name=$(basename "$shot")
    reference=$references/$name
    [ -f "$reference" ] || continue
    count=$(compare -metric AE "$reference" "$shot" "$out/diff/$name" 2>&1)
    result=$?
    if [ $result -eq 0 ]; then
        echo "same $name"
        continue
    fi
    failed=1
    if [ $result -eq 1 ]; then
        # The box of the pixels that differ: the picture of the differences, trimmed.
        # A black border first, so that the trim never takes a differing corner for
        # the background; its one pixel is taken off the offsets again.
        box=$(convert "$reference" "$shot" -compose difference -composite -threshold 0 \
            -bordercolor black -border 1 -format '%@' info: 2>/dev/null)
        if [[ $box =~ ^([0-9]+x[0-9]+)\+([0-9]+)\+([0-9]+)$ ]]; then
            box="${BASH_REMATCH[1]} at ($((BASH_REMATCH[2] - 1)), $((BASH_REMATCH[3] - 1)))"
        fi
        echo "FAIL $name: $count pixels differ, in the box ${box:-?}; see $out/diff/$name"
    else
        echo "FAIL $name: $(identify -format '%wx%h' "$reference") kept," \
            "$(identify -format '%wx%h' "$shot") taken: $count"
    fi
done
[ $failed -eq 0 ] && echo "pictures.sh: ${#shots[@]} pictures equal their references"
exit $failed
