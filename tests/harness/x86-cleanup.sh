#!/bin/bash
# Fixture cleanup of the x86 tests: ends what a killed test left running in the platform,
# stops the test run's Xvfb and removes the template prefix and any run prefix left behind.
# The platform's cache and its binfmt_misc entry stay for the next run.
set -u
. "$(dirname "$0")/x86-common.sh"

[ $# -eq 1 ] || die "usage: x86-cleanup.sh STATE_DIR"
state=$1
[ -d "$state" ] || exit 0
state=$(cd "$state" && pwd -P)

x86_kill_leftovers "$state"
for run in "$state"/run.*; do
    [ -d "$run" ] && stop_display "$run"
done
rm -rf "$state"/template "$state"/run.*
stop_display "$state"
rm -f "$state/template.ready" "$state/wineboot.log" "$state/settings.reg" \
    "$state/unavailable" "$state/setup.lock"
exit 0
