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
stop_display "$state"
rm -f "$state/template.ready" "$state/wineboot.log" "$state/setup.lock"
exit 0
