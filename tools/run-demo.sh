#!/bin/bash
# Shows the wizard at work on the demo setup folder, on a fresh Debian 12 machine.
# Installs what is missing, builds the x64 preset, makes a throwaway Windows 7 Wine prefix
# and puts the program and demo/ into a setup folder in it. Then:
#   - with a usable display ($DISPLAY), opens the wizard for a person to click through;
#   - without one (or with --headless), starts Xvfb and drives one whole installation with
#     the robot, saving a picture of every page and message in out/screenshots/{en,ko}/NN-name.png:
#     the English build, then the Korean one, unless a language is chosen.
#
#   tools/run-demo.sh [--english|--korean] [--headless] [--keep] [--no-deps]
#     --english   the English build (drvsetup_x64.exe) only
#     --korean    the Korean build (drvsetup_ko64_t.exe) under code page 949 only
#     --headless  drive it even when a display is there
#     --keep      keep the prefix (out/prefix) afterwards
#     --no-deps   do not run tools/install-deps.sh
#   BUILD_DIR=dir  build there instead of build/x64
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
korean=0 english=0 headless=0 keep=0 deps=1
for option in "$@"; do
    case $option in
    --korean) korean=1 ;;
    --english) english=1 ;;
    --headless) headless=1 ;;
    --keep) keep=1 ;;
    --no-deps) deps=0 ;;
    -h | --help)
        sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    *)
        echo "run-demo.sh: unknown option $option (see --help)" >&2
        exit 2
        ;;
    esac
done

cd "$root"
if [ $deps = 1 ]; then
    tools/install-deps.sh
fi

# Build: the programs and the demo driver only.
build=${BUILD_DIR:-$root/build/x64}
if [ "$build" = "$root/build/x64" ]; then
    cmake --preset x64 >/dev/null
else
    cmake --preset x64 -B "$build" >/dev/null
fi
cmake --build "$build" --target drvsetup_x64 drvsetup_ko64_t drive_demo

if [ $korean = 1 ]; then
    program=drvsetup_ko64_t.exe
    export LANG=ko_KR.UTF-8
else
    program=drvsetup_x64.exe
    export LANG=C.UTF-8
fi
unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
export WINELOADER=$WINE WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
out=$root/out
export WINEPREFIX=$out/prefix

xvfb=""
cleanup() {
    "$WINESERVER" -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    if [ $keep = 0 ]; then
        rm -rf "$WINEPREFIX"
    else
        echo "Prefix kept in $WINEPREFIX"
    fi
}
trap cleanup EXIT

if [ $headless = 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    interactive=1
else
    interactive=0
    # Xvfb picks a free display number itself.
    mkdir -p "$out"
    exec 3>"$out/display.fd"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$out/xvfb.log" 2>&1 </dev/null &
    xvfb=$!
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$out/display.fd" ] && break
        sleep 0.1
    done
    [ -s "$out/display.fd" ] || { echo "run-demo.sh: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$(tr -dc 0-9 <"$out/display.fd")
    rm -f "$out/display.fd"
fi

# A throwaway Windows 7 prefix, booted with the display present.
rm -rf "$WINEPREFIX"
mkdir -p "$out"
echo "Making a Windows 7 prefix in $WINEPREFIX ..."
"$WINE" wineboot -i >"$out/wineboot.log" 2>&1
"$WINE" reg add 'HKCU\Software\Wine' /v Version /d win7 /f >/dev/null 2>&1
if [ $interactive = 0 ]; then
    # No window manager: unmanaged windows, or every hide costs two seconds.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
if [ $korean = 1 ]; then
    # The Korean pages in Arial's metrics, their Hangul from a linked font, as on Korean
    # Windows (not in a Korean face, which makes them wider than their artwork).
    WINE=$WINE tests/harness/korean-fonts.sh
fi
"$WINESERVER" -w
# Wine's own fonts (Marlett draws the caption buttons), which this Wine does not find.
tests/harness/wine-fonts.sh

# The setup folder: the demo files and the program, as a driver disk would hold them.
setup="$WINEPREFIX/drive_c/J71Setup"
mkdir -p "$setup"
cp "$root"/demo/* "$setup/"
cp "$build/$program" "$setup/"

if [ $interactive = 1 ]; then
    echo "Opening the wizard on $DISPLAY; close it to end the demo."
    (cd "$setup" && "$WINE" "$program") || true
    "$WINESERVER" -w
    exit 0
fi

# Headless: the robot drives one whole installation.
if [ $korean = 1 ]; then
    shots=$out/screenshots/ko
else
    shots=$out/screenshots/en
fi
rm -rf "$shots"
mkdir -p "$shots"
status=0
"$WINE" "$build/tests/drive_demo.exe" 'C:\J71Setup' "$program" "Z:${shots//\//\\}" || status=$?
for picture in "$shots"/*.bmp; do
    [ -e "$picture" ] || continue
    convert "$picture" "${picture%.bmp}.png" && rm -f "$picture"
done
echo "Pictures of every page in $shots:"
ls "$shots"
if [ $korean = 0 ] && [ $english = 0 ]; then
    # Both languages: the Korean run in a prefix of its own once this one is gone.
    cleanup
    trap - EXIT
    more=(--korean --headless --no-deps)
    [ $keep = 1 ] && more+=(--keep)
    "$0" "${more[@]}" || status=1
fi
exit $status
