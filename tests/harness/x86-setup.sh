#!/bin/bash
# Fixture setup of the x86 tests: the 32-bit Windows platform (tools/x86/prepare.sh, built
# or found cached), one Xvfb display and one booted 32-bit Windows 7 template prefix, all
# recorded in STATE_DIR. Running it again while they are alive does nothing.
#
# Where this machine cannot provide the platform (no root, no binfmt_misc, no network for
# its first build), the reason goes into STATE_DIR/unavailable and the setup succeeds:
# x86-run.sh then reports every x86 test skipped with that reason. Under CI (CI=true) a
# platform that cannot be prepared is a failure: CI must not turn green without the
# shipped 32-bit program having run.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/x86-common.sh"

[ $# -eq 1 ] || die "usage: x86-setup.sh STATE_DIR"
state=$1
mkdir -p "$state" || die "cannot create $state"
state=$(cd "$state" && pwd -P)

# Two setups of one state directory at once wait for each other; nothing that outlives
# this script may inherit the lock.
exec 9>"$state/setup.lock"
flock 9 || die "cannot lock $state"

rm -f "$state/unavailable"
output=$("$X86_TOOLS/prepare.sh" 9>&-)
status=$?
echo "$output"
if [ $status -eq $SKIPPED ] && x86_required; then
    die "the x86 platform is required under CI=true: $(grep 'unavailable:' <<<"$output" | tail -n 1)"
fi
if [ $status -eq $SKIPPED ]; then
    grep 'unavailable:' <<<"$output" | tail -n 1 >"$state/unavailable"
    exit 0
fi
[ $status -eq 0 ] || die "the x86 platform could not be prepared"

start_display "$state"
export DISPLAY=$(cat "$state/display")
# Taken after the display has started, which must not hold it.
x86_lock_platform || die "cannot lock the x86 platform"

# The settings of the template prefix, imported in one process (each costs seconds under
# emulation); the Korean font settings are korean-fonts.sh's, shared with the x64 template.
prefix_settings() {
    cat <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine]
"Version"="win7"

; Unmanaged windows: no window manager, and no 2 s wait at every hide or close.
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

; No crash debugger (it can hang a headless run) and no desktop menu entries.
[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winedbg.exe"=""
"winemenubuilder.exe"=""
; No event log, network stack or network store proxy service: nothing tested uses them,
; and each took a share of every session's start, seconds under emulation.
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Eventlog]
"Start"=dword:00000004
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\NDIS]
"Start"=dword:00000004
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\nsiproxy]
"Start"=dword:00000004
EOF
}

# The template, booted once with the display present (a wineserver started without one
# spoils later windowed runs) and under the Korean locale every x86 run uses, so that its
# system fonts and metrics are those of a Korean Windows.
if [ ! -f "$state/template.ready" ]; then
    prefix=$state/template
    if [ -d "$prefix" ]; then
        x86_kill_leftovers "$prefix"
        rm -rf "$prefix"
    fi
    begun=$SECONDS
    # regedit reads UTF-16 with a byte order mark whatever the code page.
    { printf '\xff\xfe'; prefix_settings | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } \
        >"$state/settings.reg" || die "cannot write the prefix settings"
    # Then, as in the x64 template: Arial's metrics with linked Hangul for the Korean pages
    # (korean-fonts.sh) and Wine's own fonts, which this Wine does not find (wine-fonts.sh),
    # linked to the chroot's copies.
    LANG=ko_KR.UTF-8 x86_wine "$state" "$prefix" keep /bin/bash -c '
        wine=$1 settings=$2 harness=$3
        "$wine" wineboot -i && "$wine" regedit /S "$settings" &&
            . "$harness/korean-fonts.sh" && korean_fonts "$wine" &&
            "$harness/wine-fonts.sh"' bash "$X86_WINE" "$state/settings.reg" "$here" \
        >"$state/wineboot.log" 2>&1 ||
        die "the template prefix did not boot: $(tail -n 5 "$state/wineboot.log")"
    grep -qx '"Version"="win7"' "$prefix/user.reg" &&
        grep -qx '"Gulim"="NanumGothic"' "$prefix/user.reg" ||
        die "the template prefix settings were not applied (see $state/wineboot.log)"
    [ -L "$prefix/drive_c/windows/Fonts/marlett.ttf" ] || die "Wine's fonts are not linked"
    grep -qx '#arch=win32' "$prefix/system.reg" || die "the template prefix is not 32-bit"
    touch "$state/template.ready"
    echo "x86 template prefix booted in $((SECONDS - begun)) s"
fi
exit 0
