#!/bin/bash
# Fixture setup for a test run: one Xvfb display and one booted Windows 7 template
# prefix, both recorded in STATE_DIR. Running it again while both are alive does nothing.
set -u
. "$(dirname "$0")/common.sh"

[ $# -eq 1 ] || die "usage: setup.sh STATE_DIR"
state=$1
mkdir -p "$state" || die "cannot create $state"
state=$(cd "$state" && pwd)

# Two setups of one state directory at once wait for each other. Nothing that outlives
# this script may inherit the lock (9>&-), or it would be held for good.
exec 9>"$state/setup.lock"
flock 9 || die "cannot lock $state"

start_display "$state"
export DISPLAY=$(cat "$state/display")

# The template prefix, booted once with the display present (a wineserver started
# without one spoils later windowed runs).
if [ ! -f "$state/template.ready" ]; then
    export WINEPREFIX=$state/template
    [ -d "$WINEPREFIX" ] && { "$WINESERVER" -k 2>/dev/null; rm -rf "$WINEPREFIX"; }
    LANG=C.UTF-8 LC_ALL= "$WINE" wineboot -i >"$state/wineboot.log" 2>&1 9>&- ||
        die "wineboot failed: $(tail -5 "$state/wineboot.log")"
    # The settings go straight into the registry files once the wineserver has saved them
    # and ended: no Wine process that a busy machine could hold past a limit.
    "$WINESERVER" -w
    registry_file "$WINEPREFIX" reg add 'HKCU\Software\Wine' /v Version /d win7 /f ||
        die "cannot set win7"
    # Unmanaged windows: no window manager, and no 2 s wait at every hide or close.
    registry_file "$WINEPREFIX" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f ||
        die "cannot set X11 Driver Managed=N"
    # No crash debugger (it can hang a headless run) and no desktop menu entries, whose
    # builder took a share of every session's start; as in the 32-bit template.
    for program in winedbg.exe winemenubuilder.exe; do
        registry_file "$WINEPREFIX" reg add 'HKCU\Software\Wine\DllOverrides' /v $program \
            /d "" /f || die "cannot turn off $program"
    done
    # No event log, network stack or network store proxy service: nothing tested uses them,
    # and each took a share of every session's start; as in the 32-bit template.
    for service in Eventlog NDIS nsiproxy; do
        registry_file "$WINEPREFIX" reg add "HKLM\\System\\CurrentControlSet\\Services\\$service" \
            /v Start /t REG_DWORD /d 4 /f || die "cannot turn off $service"
    done
    # Arial's metrics and linked Hangul for the Korean build's pages; English runs keep
    # the same faces.
    . "$(dirname "$0")/korean-fonts.sh"
    korean_fonts registry_file "$WINEPREFIX" || die "cannot set the Korean fonts"
    # Wine's own fonts (Marlett draws the caption buttons), which this Wine does not find.
    "$(dirname "$0")/wine-fonts.sh" || die "cannot link Wine's fonts into the template"
    touch "$state/template.ready"
fi

if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
    echo "setup.sh: warning: locale ko_KR.UTF-8 missing; Korean tests will fail" \
        "(localedef -i ko_KR -f UTF-8 ko_KR.UTF-8)" >&2
fi
exit 0
