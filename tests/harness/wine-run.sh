#!/bin/bash
# Runs one Windows program in a throwaway copy of the fixture's template prefix and
# returns its exit code. Programs whose file name contains "_ko_" run with the Korean
# locale (ANSI code page 949), every other with a neutral English one.
#   wine-run.sh STATE_DIR PROGRAM.exe [ARGS...]
# Options, in the environment:
#   WINE_RUN_VERSION=winxp64|win8|...  Windows version of the copy (default: the template's)
#   WINE_RUN_KEEP=1                    keep the copy afterwards (its path goes to stderr)
#   WINE_RUN_DPI=96|120|144            screen resolution of the copy (default: the template's,
#                                      96), as Windows 7 at 100, 125 and 150 %
#   WINE_RUN_OWN_DISPLAY=1             a display of the run's own instead of the test run's
#                                      shared one: no window of a test running beside it
#                                      covers what this one reads from the screen
#   WINE_RUN_RESTART="ARGS"            after the program's run (DRVSETUP_RESTART=before), a
#                                      restart: every process of the copy ended (wineserver
#                                      -k; the next process starts a new session, which
#                                      carries out what was scheduled for the restart); then
#                                      the program again with ARGS (DRVSETUP_RESTART=after);
#                                      fails when either run does
set -u
. "$(dirname "$0")/common.sh"

[ $# -ge 2 ] || die "usage: wine-run.sh STATE_DIR PROGRAM.exe [ARGS...]"
state=$(cd "$1" 2>/dev/null && pwd) || die "no state directory $1"
program=$2
shift 2
[ -f "$state/template.ready" ] || die "no template prefix in $state: run setup.sh first"
[ -f "$program" ] || die "no program $program"

export DISPLAY=$(cat "$state/display")
export WINEPREFIX=$(mktemp -d "$state/run.XXXXXX") || die "cannot make a prefix"
finish() {
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    if [ -d "$WINEPREFIX.display" ]; then
        stop_display "$WINEPREFIX.display"
        rm -rf "$WINEPREFIX.display"
    fi
    drop_copy "$WINEPREFIX" "$WINEPREFIX"
}
trap finish EXIT
trap 'exit 130' INT TERM

copy_prefix "$state/template" "$WINEPREFIX" || die "cannot copy the template prefix"
# The copy's settings go into its registry files before its first process.
set_resolution "$WINEPREFIX" "${WINE_RUN_DPI:-}" || die "cannot set the resolution $WINE_RUN_DPI"

case $(basename "$program") in
*_ko_*)
    locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$' ||
        die "locale ko_KR.UTF-8 is not generated (localedef -i ko_KR -f UTF-8 ko_KR.UTF-8)"
    export LANG=ko_KR.UTF-8
    # The template's system fonts (captions, menus) carry the Western character set; without
    # them Wine derives them from the Korean locale, as a Korean Windows has them.
    registry_file "$WINEPREFIX" reg delete 'HKCU\Control Panel\Desktop\WindowMetrics' /f ||
        die "cannot reset the window metrics"
    ;;
*)
    export LANG=en_US.UTF-8
    locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$' || LANG=C.UTF-8
    ;;
esac
unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE

if [ -n "${WINE_RUN_VERSION:-}" ]; then
    registry_file "$WINEPREFIX" reg add 'HKCU\Software\Wine' /v Version /d "$WINE_RUN_VERSION" /f ||
        die "cannot set the Windows version $WINE_RUN_VERSION"
fi

if [ "${WINE_RUN_OWN_DISPLAY:-0}" = 1 ]; then
    mkdir "$WINEPREFIX.display" && start_display "$WINEPREFIX.display" ||
        die "cannot start a display of the run's own"
    DISPLAY=$(cat "$WINEPREFIX.display/display")
fi

# DRVSETUP_BIN and DRVSETUP_SOURCE reach the program with the rest of the environment.
if [ -n "${WINE_RUN_RESTART:-}" ]; then
    DRVSETUP_RESTART=before "$WINE" "$program" "$@" || exit $?
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    echo "wine-run.sh: restarted" >&2
    # shellcheck disable=SC2086 # the arguments are words
    DRVSETUP_RESTART=after "$WINE" "$program" $WINE_RUN_RESTART
    exit $?
fi
"$WINE" "$program" "$@"
