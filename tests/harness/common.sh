# Shared settings of the Wine harness scripts; sourced, never run.

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
export WINELOADER=$WINE
export WINEDEBUG=-all
# No Mono or Gecko installers: the wizard needs neither, and they would stall boots.
export WINEDLLOVERRIDES="mscoree,mshtml="

die() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Runs Wine's reg.exe in the prefix named by WINEPREFIX.
wine_reg() {
    "$WINE" reg "$@" >/dev/null 2>&1
}
