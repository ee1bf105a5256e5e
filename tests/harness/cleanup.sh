#!/bin/bash
# Fixture cleanup: stops the test run's Xvfb and removes the template prefix and any
# run prefix a killed test left behind.
set -u
. "$(dirname "$0")/common.sh"

[ $# -eq 1 ] || die "usage: cleanup.sh STATE_DIR"
state=$1
[ -d "$state" ] || exit 0

for prefix in "$state"/template "$state"/run.*; do
    [ -d "$prefix" ] || continue
    WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null
    rm -rf "$prefix"
done
if [ -f "$state/xvfb.pid" ]; then
    pid=$(cat "$state/xvfb.pid")
    # Only our own Xvfb: the pid must still belong to an Xvfb process.
    if [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = Xvfb ]; then
        kill "$pid" 2>/dev/null
    fi
fi
rm -f "$state/xvfb.pid" "$state/display" "$state/template.ready" "$state/xvfb.log" \
    "$state/wineboot.log" "$state/setup.lock"
exit 0
