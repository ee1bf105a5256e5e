#!/bin/bash
# Runs the program where no window can be shown at all (no X display, no graphics
# driver: every window creation fails), in a fresh copy of the fixture's template prefix:
# the wizard must end at once with exit code 0 rather than wait for good, and an
# unattended installation must complete. The installation it left is then checked from
# inside the prefix, with the display back, by the NoDisplay case of the quiet test.
#   no_display.sh STATE_DIR BIN_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../harness/common.sh"

[ $# -eq 2 ] || die "usage: no_display.sh STATE_DIR BIN_DIR"
state=$(cd "$1" 2>/dev/null && pwd) || die "no state directory $1"
bin=$(cd "$2" 2>/dev/null && pwd) || die "no build directory $2"
source=$(cd "$here/../.." && pwd)
[ -f "$state/template.ready" ] || die "no template prefix in $state: run setup.sh first"
export LANG=en_US.UTF-8
locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$' || LANG=C.UTF-8
unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE

export WINEPREFIX=$(mktemp -d "$state/run.XXXXXX") || die "cannot make a prefix"
finish() {
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    rm -rf "$WINEPREFIX"
}
trap finish EXIT
trap 'exit 130' INT TERM
copy_prefix "$state/template" "$WINEPREFIX" || die "cannot copy the template prefix"
setup=$WINEPREFIX/drive_c/nodisplay
mkdir -p "$setup"
cp "$source"/demo/* "$bin/drvsetup_x64.exe" "$setup/" || die "cannot make the setup folder"

failed=0
cd "$setup"
# Exit codes above 255 reach the shell cut to their low byte.
run_without_display() {
    (
        unset DISPLAY
        timeout 120 "$WINE" drvsetup_x64.exe "$@" >/dev/null 2>&1
    )
}
run_without_display
status=$?
echo "the wizard without a display: exit $status (0 expected)"
[ $status -eq 0 ] || failed=1
run_without_display /quiet /model "Zelmox J71 Laser" /default /log 'C:\nodisplay\setup.log'
status=$?
echo "unattended installation without a display: exit $status (0 expected)"
[ $status -eq 0 ] || failed=1
cat "$setup/setup.log" 2>/dev/null

# The prefix's wineserver must not outlive the display-less runs, or no later window
# could be made in it.
"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w 2>/dev/null
export DISPLAY=$(cat "$state/display")
output=$(DRVSETUP_BIN=$bin DRVSETUP_SOURCE=$source NO_DISPLAY_FOLDER='C:\nodisplay' \
    "$WINE" "$bin/tests/e2e_quiet_test.exe" --gtest_filter='NoDisplay.*' 2>&1)
status=$?
echo "$output"
[ $status -eq 0 ] || failed=1
# The check must have run, not skipped itself.
grep -q '^\[       OK \] NoDisplay\.' <<<"$output" || { echo "no_display.sh: the check did not run" >&2; failed=1; }
exit $failed
