# Shared settings of the Wine harness scripts; sourced, never run.

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
export WINELOADER=$WINE
export WINEDEBUG=-all
# No Mono or Gecko installers: the wizard needs neither, and they would stall boots.
# WINE_RUN_DLLOVERRIDES adds a test's own (Wine reads them from the environment the whole
# process tree starts with, not from one a Windows process hands its child).
export WINEDLLOVERRIDES="mscoree,mshtml=${WINE_RUN_DLLOVERRIDES:+;$WINE_RUN_DLLOVERRIDES}"

die() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Runs Wine's reg.exe in the prefix named by WINEPREFIX.
wine_reg() {
    "$WINE" reg "$@" >/dev/null 2>&1
}

# set_resolution PREFIX DPI: the screen resolution of a prefix whose wineserver is not
# running, in pixels per inch (96, 120 or 144, as Windows 7 at 100, 125 and 150 %), written
# into its registry file as HKCU\Control Panel\Desktop LogPixels. An empty DPI leaves the
# prefix as it is.
set_resolution() {
    local prefix=$1 dpi=$2 hex
    [ -n "$dpi" ] || return 0
    case $dpi in
    96 | 120 | 144) ;;
    *) return 1 ;;
    esac
    hex=$(printf '%08x' "$dpi")
    # The value goes first in the section, replacing one there already.
    awk -v value="\"LogPixels\"=dword:$hex" '
        /^\[/ { desk = index($0, "[Control Panel\\\\Desktop] ") == 1 }
        desk && /^"LogPixels"=/ { next }
        { print }
        desk && /^\[/ { print value }' "$prefix/user.reg" >"$prefix/user.reg.new" &&
        mv "$prefix/user.reg.new" "$prefix/user.reg" &&
        [ "$(grep -A1 -F '[Control Panel\\Desktop] ' "$prefix/user.reg" | sed -n 2p)" = \
            "\"LogPixels\"=dword:$hex" ]
}

# The test run's display, recorded in STATE_DIR (display, xvfb.pid): started unless it is
# alive. Xvfb picks a free number itself (-displayfd), so parallel runs of several build
# trees never race for one. Removes template.ready when it starts a new one: a template
# booted on another display is not used. The Xvfb inherits none of the harness's locks
# (fd 8 and 9), which would otherwise be held for as long as it runs.
start_display() {
    local state=$1 pid number
    if [ -f "$state/xvfb.pid" ] && [ -f "$state/display" ] &&
        kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
        return 0
    fi
    rm -f "$state/xvfb.pid" "$state/display" "$state/template.ready"
    exec 3>"$state/display.fd"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        >"$state/xvfb.log" 2>&1 </dev/null 8>&- 9>&- &
    pid=$!
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$state/display.fd" ] && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    number=$(tr -dc 0-9 <"$state/display.fd")
    rm -f "$state/display.fd"
    [ -n "$number" ] || die "Xvfb did not start: $(cat "$state/xvfb.log")"
    echo $pid >"$state/xvfb.pid"
    echo ":$number" >"$state/display"
}

# Stops the Xvfb that start_display recorded in STATE_DIR, if it is still ours.
stop_display() {
    local state=$1 pid
    if [ -f "$state/xvfb.pid" ]; then
        pid=$(cat "$state/xvfb.pid")
        # Only our own Xvfb: the pid must still belong to an Xvfb process.
        if [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = Xvfb ]; then
            kill "$pid" 2>/dev/null
        fi
    fi
    rm -f "$state/xvfb.pid" "$state/display" "$state/xvfb.log"
}
