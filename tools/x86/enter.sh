#!/bin/bash
# Enters the x86 platform's chroot; run only by x86_chroot (tools/x86/platform.sh), inside
# the private mount namespace unshare has just made, so that nothing mounted here is seen
# outside or outlives the command.
#   enter.sh ROOT [--mount DIR]... -- COMMAND [ARGS...]
set -u
root=$1
shift
mounts=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    [ "$1" = --mount ] && [ $# -ge 2 ] || { echo "enter.sh: bad arguments" >&2; exit 2; }
    mounts+=("$2")
    shift 2
done
[ "${1:-}" = -- ] && shift
[ $# -gt 0 ] || { echo "enter.sh: no command" >&2; exit 2; }

fail() {
    echo "enter.sh: $*" >&2
    exit 1
}
# A private namespace only: never mount into the chroot where the host would see it.
[ "$(readlink /proc/self/ns/mnt)" != "$(readlink /proc/1/ns/mnt)" ] ||
    fail "not in a mount namespace of its own"

mount -t proc proc "$root/proc" || fail "cannot mount /proc"
mount --rbind /dev "$root/dev" || fail "cannot mount /dev"
mount --rbind /sys "$root/sys" || fail "cannot mount /sys"
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp" || fail "cannot mount /tmp"
if [ -d /tmp/.X11-unix ]; then
    mkdir -p "$root/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" || fail "cannot mount the X sockets"
fi
for dir in "${mounts[@]}"; do
    [ -d "$dir" ] || fail "no directory $dir"
    mkdir -p "$root$dir" && mount --rbind "$dir" "$root$dir" || fail "cannot mount $dir"
done

environment=(PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/root)
while IFS= read -r name; do
    case $name in
    DISPLAY | LANG | WINE* | DRVSETUP_* | LD_PRELOAD | FAULTS_*) environment+=("$name=${!name}") ;;
    esac
done < <(compgen -e)
exec chroot "$root" /usr/bin/env -i "${environment[@]}" "$@"
