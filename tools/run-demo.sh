#!/bin/bash
# Shows the wizard at work on the demo setup folder, on a fresh Debian 12 machine.
# Installs what is missing, builds the x64 preset, makes a throwaway Windows 7 Wine prefix
# and puts the program and demo/ into a setup folder in it. Then:
#   - with a usable display ($DISPLAY), opens the wizard for a person to click through;
#   - without one (or with --headless), starts Xvfb and drives one whole installation with
#     the robot, saving a picture of every page and message in out/screenshots/{en,ko}/NN-name.png:
#     the English build, then the Korean one, unless a language is chosen.
# Headless, the Korean run is the shipped drvsetup_x86.exe on the 32-bit Windows platform
# (tools/x86, built or found cached; the x86 preset is built too) and ends on the success
# page. Where this machine cannot provide that platform, it falls back to the x86-64 test
# build drvsetup_ko64_t.exe on 64-bit Wine, which ends on the failure page, and says so.
#
#   tools/run-demo.sh [--english|--korean] [--headless] [--keep] [--no-deps] [--dpi N]
#     --english   the English build (drvsetup_x64.exe) only
#     --korean    the Korean build only, under code page 949 (drvsetup_ko64_t.exe when a
#                 person clicks through it)
#     --headless  drive it even when a display is there
#     --keep      keep the prefix (out/prefix, or out/x86/run.*/prefix) afterwards
#     --no-deps   do not run tools/install-deps.sh
#     --dpi N     the screen at N dots per inch: 96 (the default), 120 or 144, as
#                 Windows 7 at 100, 125 and 150 %
#   BUILD_DIR=dir  build there instead of build/x64
set -euo pipefail

# The robot's BMP screenshots in DIR become PNG pictures, listed.
show_pictures() {
    local picture
    for picture in "$1"/*.bmp; do
        [ -e "$picture" ] || continue
        convert "$picture" "${picture%.bmp}.png" && rm -f "$picture"
    done
    echo "Pictures of every page in $1:"
    ls "$1"
}

root=$(cd "$(dirname "$0")/.." && pwd)
korean=0 english=0 headless=0 keep=0 deps=1 dpi=
for option in "$@"; do
    if [ "$dpi" = next ]; then
        dpi=$option
        continue
    fi
    case $option in
    --dpi) dpi=next ;;
    --korean) korean=1 ;;
    --english) english=1 ;;
    --headless) headless=1 ;;
    --keep) keep=1 ;;
    --no-deps) deps=0 ;;
    -h | --help)
        sed -n '2,23p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    *)
        echo "run-demo.sh: unknown option $option (see --help)" >&2
        exit 2
        ;;
    esac
done
case $dpi in
"" | 96 | 120 | 144) ;;
*)
    echo "run-demo.sh: --dpi takes 96, 120 or 144" >&2
    exit 2
    ;;
esac
# The x86 harness reads it from the environment.
export WINE_RUN_DPI=$dpi

cd "$root"
if [ $deps = 1 ]; then
    tools/install-deps.sh
fi

if [ $headless = 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    interactive=1
else
    interactive=0
fi

# The shipped Korean program driven through a whole installation on the 32-bit platform,
# in the x86 harness (tests/harness/x86-*.sh). Returns 77 when the platform is unavailable.
x86_demo() {
    local state=$root/out/x86 shots=$root/out/screenshots/ko result=0 prepared=0
    tools/x86/prepare.sh || prepared=$?
    [ $prepared -eq 0 ] || return $prepared
    cmake --preset x86 >/dev/null && cmake --build --preset x86 --target drvsetup_x86 drive_demo ||
        return 1
    mkdir -p "$state"
    tests/harness/x86-setup.sh "$state" >"$root/out/x86-setup.log" ||
        { cat "$root/out/x86-setup.log"; return 1; }
    [ -f "$state/unavailable" ] && return 77
    # The setup folder goes into the template, so the run's copy of it has it too.
    mkdir -p "$state/template/drive_c/J71Setup"
    cp demo/* build/x86/drvsetup_x86.exe "$state/template/drive_c/J71Setup/"
    rm -rf "$shots"
    mkdir -p "$shots"
    echo "Driving drvsetup_x86.exe on the 32-bit Windows platform (32-bit Wine under qemu) ..."
    DRVSETUP_SOURCE=$root DRVSETUP_BIN=$root/build/x86 WINE_RUN_KEEP=$keep \
        tests/harness/x86-run.sh "$state" build/x86/tests/drive_demo.exe 'C:\J71Setup' \
        drvsetup_x86.exe "Z:${shots//\//\\}" | tr -d '\r' || result=$?
    show_pictures "$shots"
    if [ $keep = 0 ]; then
        tests/harness/x86-cleanup.sh "$state"
    else
        # The run's prefix stays; the displays do not.
        bash -c '. tests/harness/x86-common.sh; for dir in "$1" "$1"/run.*; do stop_display "$dir"; done' \
            bash "$state"
    fi
    return $result
}

if [ $korean = 1 ] && [ $interactive = 0 ]; then
    result=0
    x86_demo || result=$?
    [ $result -eq 77 ] || exit $result
    echo "run-demo.sh: the 32-bit Windows platform is unavailable here; showing the Korean" \
        "resources with the x86-64 test build drvsetup_ko64_t.exe on 64-bit Wine instead," \
        "whose spooler takes no printer on a \"Windows NT x86\" driver: it ends on the" \
        "failure page."
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

if [ $interactive = 0 ]; then
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
if [ -n "$dpi" ]; then
    # Read by every process started after this one.
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        >/dev/null 2>&1
fi
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
show_pictures "$shots"
if [ $korean = 0 ] && [ $english = 0 ]; then
    # Both languages: the Korean run in a prefix of its own once this one is gone.
    cleanup
    trap - EXIT
    more=(--korean --headless --no-deps)
    [ -n "$dpi" ] && more+=(--dpi "$dpi")
    [ $keep = 1 ] && more+=(--keep)
    "$0" "${more[@]}" || status=1
fi
exit $status
