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

# registry_file PREFIX reg add KEY /v NAME [/t REG_SZ|REG_DWORD] /d DATA /f
# registry_file PREFIX reg delete KEY /f
# The change Wine's reg.exe would make, written into the registry files of a prefix whose
# wineserver is not running (HKCU keys into user.reg, HKLM into system.reg), and checked
# there. No Wine process is started: on a busy machine a reg.exe, with the wineserver it
# starts, can take longer than any limit a set-up step would care to set.
registry_file() {
    local prefix=$1 op=$3 key=$4 name= type=REG_SZ data= file value
    shift 4
    while [ $# -gt 0 ]; do
        case $1 in
        /v) name=$2; shift 2 ;;
        /t) type=$2; shift 2 ;;
        /d) data=$2; shift 2 ;;
        *) shift ;;
        esac
    done
    case $key in
    HKCU\\* | HKEY_CURRENT_USER\\*) file=$prefix/user.reg ;;
    HKLM\\* | HKEY_LOCAL_MACHINE\\*) file=$prefix/system.reg ;;
    *) return 1 ;;
    esac
    key=${key#*\\}
    case $type in
    REG_DWORD) value="\"$name\"=dword:$(printf '%08x' "$data")" ;;
    *) value="\"$name\"=\"$data\"" ;;
    esac
    [ "$op" = add ] || value=
    # The section of KEY (names compared without regard to letter case, backslashes
    # doubled as the file writes them): the value replaced or added, or, for delete, the
    # section and those of its subkeys dropped. A key the file lacks is appended.
    key=$(sed 's/\\/\\\\/g' <<<"$key")
    KEY=$key VALUE=$value NAME=$name OP=$op awk '
        function header(line) { sub(/^\[/, "", line); sub(/\][^]]*$/, "", line); return tolower(line) }
        BEGIN {
            op = ENVIRON["OP"]; value = ENVIRON["VALUE"]
            want = tolower(ENVIRON["KEY"]); prefix = "\"" tolower(ENVIRON["NAME"]) "\"="
        }
        /^\[/ {
            if (inside && op == "add" && !done) { print value; done = 1 }
            inside = header($0) == want
            dropped = op == "delete" && (inside || index(header($0), want "\\\\") == 1)
            if (!dropped) print
            next
        }
        dropped { next }
        inside && op == "add" && index(tolower($0), prefix) == 1 { next }
        inside && op == "add" && !done && !/^#/ { print value; done = 1 }
        { print }
        END {
            if (op == "add" && !done) {
                if (!inside) print "\n[" ENVIRON["KEY"] "] 0"
                print value
            }
        }' "$file" >"$file.new" && mv "$file.new" "$file" || return 1
    if [ "$op" = add ]; then
        grep -qxF "$value" "$file"
    else
        ! grep -qiF "[$key]" "$file"
    fi
}

# A copy of a booted prefix for one run. The builtin DLLs and programs (hundreds of MB)
# are hard links to the template's, which nothing writes; the registry, the settings
# files and the spooler's directories, which Wine and the tests change in place, are
# real copies. Where hard links cannot be made (another file system), a whole copy.
copy_prefix() {
    local from=$1 to=$2
    if cp -al "$from/." "$to/" 2>/dev/null; then
        (cd "$from" && find . -type f \( -path './drive_c/windows/system32/spool/*' -o ! \( \
            -iname '*.dll' -o -iname '*.exe' -o -iname '*.nls' -o -iname '*.sys' -o \
            -iname '*.drv' -o -iname '*.vxd' -o -iname '*.ocx' -o -iname '*.cpl' -o \
            -iname '*.acm' -o -iname '*.tlb' \) \) -print0 |
            xargs -0r cp -a --remove-destination --parents -t "$to")
    else
        rm -rf "${to:?}"/* && cp -a "$from/." "$to/"
    fi
}

# drop_copy DIR PREFIX: the end of a run's prefix copy PREFIX, made in DIR: DIR removed,
# or with WINE_RUN_KEEP=1 kept and PREFIX named.
drop_copy() {
    if [ "${WINE_RUN_KEEP:-0}" = 1 ]; then
        echo "$(basename "$0"): prefix kept in $2" >&2
    else
        rm -rf "$1"
    fi
}

# set_resolution PREFIX DPI: the screen resolution of a prefix whose wineserver is not
# running, in pixels per inch (96, 120 or 144, as Windows 7 at 100, 125 and 150 %), as
# HKCU\Control Panel\Desktop LogPixels. An empty DPI leaves the prefix as it is.
set_resolution() {
    local prefix=$1 dpi=$2
    [ -n "$dpi" ] || return 0
    case $dpi in
    96 | 120 | 144) ;;
    *) return 1 ;;
    esac
    registry_file "$prefix" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$dpi" /f
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
    # As long as it lives: a loaded machine may take many seconds to start it.
    while [ ! -s "$state/display.fd" ] && kill -0 $pid 2>/dev/null; do
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
