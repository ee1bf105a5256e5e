#!/bin/bash
# Runs one Windows program on the 32-bit Windows platform (tools/x86), in a throwaway copy
# of the fixture's template prefix (x86-setup.sh), under the Korean locale (ANSI code page
# 949), and returns its exit code. Reports the test skipped (exit 77) with the reason when
# the platform is unavailable on this machine.
#   x86-run.sh STATE_DIR PROGRAM.exe [ARGS...]
# Options, in the environment:
#   WINE_RUN_VERSION=winxp64|win8|...  Windows version of the copy (default: the template's)
#   WINE_RUN_KEEP=1                    keep the copy afterwards (its path goes to stderr)
#   WINE_RUN_DPI=96|120|144            screen resolution of the copy (default: the template's,
#                                      96), as Windows 7 at 100, 125 and 150 %
#   WINE_RUN_NO_DISPLAY=1              no display and no graphics driver: the program runs,
#                                      but creating any window fails
# DRVSETUP_BIN and DRVSETUP_SOURCE reach the program, and their trees are seen inside the
# platform at the same paths.
set -u
. "$(dirname "$0")/x86-common.sh"

[ $# -ge 2 ] || die "usage: x86-run.sh STATE_DIR PROGRAM.exe [ARGS...]"
state=$(cd "$1" 2>/dev/null && pwd -P) || die "no state directory $1"
program=$2
shift 2
if [ -f "$state/unavailable" ]; then
    x86_required && die "the x86 platform is required under CI=true: $(cat "$state/unavailable")"
    echo "x86-run.sh: skipped: $(cat "$state/unavailable")"
    exit $SKIPPED
fi
[ -f "$state/template.ready" ] || die "no template prefix in $state: run x86-setup.sh first"
[ -f "$program" ] || die "no program $program"
program=$(cd "$(dirname "$program")" && pwd -P)/$(basename "$program")

x86_lock_platform || die "cannot lock the x86 platform"
# Re-registered before each use: the entry is lost at reboot, and a later one for i386
# programs would be tried before it.
x86_register_binfmt || die "cannot register the binfmt_misc entry $X86_BINFMT"

# The run's directory: its prefix and its display.
run=$(mktemp -d "$state/run.XXXXXX") || die "cannot make a run directory"
prefix=$run/prefix
finish() {
    x86_kill_leftovers "$run"
    stop_display "$run"
    drop_copy "$run" "$prefix"
}
trap finish EXIT
trap 'exit 130' INT TERM

mkdir "$prefix" && copy_prefix "$state/template" "$prefix" ||
    die "cannot copy the template prefix"
# In the copy's registry file, before its first process: read as each process starts.
set_resolution "$prefix" "${WINE_RUN_DPI:-}" || die "cannot set the resolution $WINE_RUN_DPI"

if [ -n "${WINE_RUN_VERSION:-}" ]; then
    registry_file "$prefix" reg add 'HKCU\Software\Wine' /v Version /d "$WINE_RUN_VERSION" /f ||
        die "cannot set the Windows version $WINE_RUN_VERSION"
fi

# A display of the run's own: runs in parallel never cover each other's windows, so every
# screenshot shows its own program only.
if [ "${WINE_RUN_NO_DISPLAY:-0}" = 1 ]; then
    unset DISPLAY
else
    start_display "$run"
    export DISPLAY=$(cat "$run/display")
fi
export LANG=ko_KR.UTF-8
unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE

x86_wine "$state" "$prefix" stop "$X86_WINE" "$program" "$@"
