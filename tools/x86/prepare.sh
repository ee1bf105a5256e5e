#!/bin/bash
# Builds the 32-bit Windows platform the shipped drvsetup_x86.exe is tested on, or finds it
# cached, and registers the binfmt_misc entry that runs its i386 programs. Prints how long
# it took. See tools/x86/platform.sh for what the platform is.
#
#   tools/x86/prepare.sh [--unregister]
#     --unregister  remove the binfmt_misc entry (the cache stays) and do nothing else
#
# Exit code: 0 ready; 77 this machine cannot provide it (the reason on stdout: not root,
# no binfmt_misc, no network for a build); 1 a step failed (its log is in the cache).
#
# Built only from Debian's packages, nothing installed on the host: debootstrap is unpacked
# from its .deb into the cache and makes a bookworm tree (amd64, minbase); i386 is added
# inside and Wine 8 (wine32:i386) with fonts, locales and X libraries is installed there;
# qemu-i386 is taken from bookworm-backports' qemu-user (bookworm's 7.2 cannot run Wine)
# and the 64-bit wineserver from the same Wine's wine64 .deb, both without installing
# them; a small preloaded library mends the signal frames qemu gives Wine (trapno.c).
# Each step leaves a marker and is not done again; a change to the recipe (this script or
# trapno.c) rebuilds the whole tree. Downloaded packages are kept in the
# cache for such rebuilds.
#
# Environment: DRVSETUP_X86_CACHE (default /var/cache/drvsetup-x86), DRVSETUP_X86_MIRROR
# (default http://deb.debian.org/debian), DRVSETUP_X86_SECURITY (its security archive).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/platform.sh"

SKIPPED=77
mirror=${DRVSETUP_X86_MIRROR:-http://deb.debian.org/debian}
security=${DRVSETUP_X86_SECURITY:-http://deb.debian.org/debian-security}
steps=$X86_CACHE/steps
logs=$X86_CACHE/log
archives=$X86_CACHE/archives
started=$SECONDS

# Packages of the chroot beyond the minimal base.
PACKAGES=(
    wine wine32:i386 fonts-wine fonts-nanum fonts-liberation xauth locales
    libxrender1:i386 libxrandr2:i386 libxcursor1:i386 libxi6:i386 libxinerama1:i386
    libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386
)

unavailable() {
    echo "x86 platform unavailable: $*"
    exit $SKIPPED
}

fail() {
    echo "prepare.sh: $*" >&2
    exit 1
}

# Runs a command in the chroot during the build (the namespace is already private).
in_root() {
    chroot "$X86_ROOT" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

# ---- The steps, each run once; inside the build's own mount namespace ----

step_debootstrap_tool() {
    rm -rf "$X86_CACHE/debootstrap" "$X86_CACHE/deb"
    mkdir -p "$X86_CACHE/deb" && cd "$X86_CACHE/deb" || return 1
    # The host's own apt client, downloading only: nothing is installed on the host. Its
    # package lists may be older than the archive.
    apt-get download debootstrap || { apt-get update -q && apt-get download debootstrap; } ||
        return 1
    dpkg-deb -x debootstrap_*.deb "$X86_CACHE/debootstrap"
}

step_base() {
    mkdir -p "$archives"
    DEBOOTSTRAP_DIR=$X86_CACHE/debootstrap/usr/share/debootstrap \
        "$X86_CACHE/debootstrap/usr/sbin/debootstrap" --variant=minbase --arch=amd64 \
        --cache-dir="$archives" --keyring=/usr/share/keyrings/debian-archive-keyring.gpg \
        bookworm "$X86_ROOT" "$mirror"
}

step_packages() {
    cat >"$X86_ROOT/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
# Only for qemu-user, downloaded by name (backports are never installed by default).
deb $mirror bookworm-backports main
EOF
    in_root dpkg --add-architecture i386 &&
        in_root apt-get update -q &&
        in_root apt-get install -y -q --no-install-recommends "${PACKAGES[@]}" &&
        in_root dpkg-query -W -f='${Version}\n' wine32:i386
}

# Takes one file out of a package downloaded inside the chroot: step_extract PACKAGE PATH TO.
extract() {
    local package=$1 path=$2 to=$3 deb
    rm -f "$X86_ROOT"/root/*.deb
    (cd "$X86_ROOT/root" && in_root sh -c "cd /root && apt-get download $package") || return 1
    deb=$(ls "$X86_ROOT"/root/*.deb) || return 1
    dpkg-deb --fsys-tarfile "$deb" | tar -xO ".$path" >"$to.new" || return 1
    chmod 755 "$to.new" && mv "$to.new" "$to" && rm -f "$deb"
}

step_qemu() {
    extract "-t bookworm-backports qemu-user" /usr/bin/qemu-i386 "$X86_QEMU" || return 1
    # One file, so it must need nothing else.
    if readelf -l "$X86_QEMU" | grep -q 'program interpreter'; then
        echo "qemu-i386 of bookworm-backports is not statically linked"
        return 1
    fi
    "$X86_QEMU" --version
    "$X86_QEMU" --version | grep -q 'version \(1[0-9]\|[2-9][0-9]\)\.' ||
        { echo "qemu-i386 is older than version 10"; return 1; }
}

step_wineserver() {
    local version
    version=$(in_root dpkg-query -W -f='${Version}' wine32:i386) || return 1
    extract "wine64=$version" "$X86_WINESERVER" "$X86_ROOT$X86_WINESERVER"
}

step_locales() {
    in_root localedef -i ko_KR -f UTF-8 ko_KR.UTF-8 &&
        in_root localedef -i en_US -f UTF-8 en_US.UTF-8
}

step_preload() {
    local compiler flags work=$X86_CACHE/preload
    compiler=$(command -v clang || command -v gcc) || { echo "no C compiler"; return 1; }
    flags=(-O2 -Wall -Wextra -ffreestanding -nostdinc -fno-stack-protector -fno-builtin -fPIC)
    mkdir -p "$work"
    if [ "${compiler##*/}" = clang ]; then
        "$compiler" --target=i386-linux-gnu "${flags[@]}" -c "$here/trapno.c" -o "$work/32.o"
    else
        "$compiler" -m32 "${flags[@]}" -c "$here/trapno.c" -o "$work/32.o"
    fi || return 1
    "$compiler" "${flags[@]}" -c "$here/trapno.c" -o "$work/64.o" || return 1
    ld -m elf_i386 -shared -soname libdrvsetup-trapno.so -o "$work/32.so" "$work/32.o" &&
        ld -m elf_x86_64 -shared -soname libdrvsetup-trapno.so -o "$work/64.so" "$work/64.o" &&
        install -m 644 "$work/32.so" "$X86_ROOT/usr/lib/i386-linux-gnu/libdrvsetup-trapno.so" &&
        install -m 644 "$work/64.so" "$X86_ROOT/usr/lib/x86_64-linux-gnu/libdrvsetup-trapno.so"
}

# The platform at work: the 32-bit Wine loader runs under qemu with the preload.
step_check() {
    x86_register_binfmt force || { echo "cannot register binfmt_misc"; return 1; }
    in_root env LD_PRELOAD="$X86_PRELOAD" "$X86_WINE" --version
}

run_step() {
    local name=$1 begun=$SECONDS
    [ -f "$steps/$name" ] && return 0
    echo "x86 platform: $name ..."
    if ! (set -o pipefail; "step_${name//-/_}" 2>&1 | tee "$logs/$name.log" |
        grep -E '^(E:|Err:)' >&2; exit "${PIPESTATUS[0]}"); then
        tail -n 15 "$logs/$name.log" >&2
        fail "step $name failed (log: $logs/$name.log)"
    fi
    touch "$steps/$name"
    echo "x86 platform: $name done in $((SECONDS - begun)) s"
}

# The build, in a mount namespace of its own (re-entered by the script itself): the chroot's
# /proc and /dev mounts can never be left behind on the host.
build() {
    run_step debootstrap-tool
    run_step base
    mount -t proc proc "$X86_ROOT/proc" && mount --rbind /dev "$X86_ROOT/dev" ||
        fail "cannot mount /proc and /dev in the chroot"
    mount --bind "$archives" "$X86_ROOT/var/cache/apt/archives" || fail "cannot mount $archives"
    run_step packages
    run_step qemu
    run_step wineserver
    run_step locales
    run_step preload
    run_step check
}

if [ "${1:-}" = --build ]; then
    build
    exit 0
fi
if [ "${1:-}" = --unregister ]; then
    x86_unregister_binfmt
    exit 0
fi

# ---- What this machine must offer ----

[ "$(id -u)" = 0 ] || unavailable "root is needed (chroot, mounts, binfmt_misc)"
for tool in unshare chroot dpkg-deb apt-get readelf ld sha256sum flock; do
    command -v "$tool" >/dev/null || unavailable "no $tool on this machine"
done
[ -d "$X86_BINFMT_DIR" ] || unavailable "the kernel has no binfmt_misc"
if [ ! -e "$X86_BINFMT_DIR/register" ]; then
    mount -t binfmt_misc binfmt_misc "$X86_BINFMT_DIR" 2>/dev/null ||
        unavailable "binfmt_misc cannot be mounted"
fi
mkdir -p "$X86_CACHE" || unavailable "cannot create $X86_CACHE"

# One preparation at a time; harness runs hold the lock shared while they use the tree.
exec 8>"$X86_LOCK"
flock -s 8
if ! x86_built; then
    flock -x 8
fi
if x86_built; then
    x86_register_binfmt || unavailable "cannot register the binfmt_misc entry"
    echo "x86 platform: ready (cached in $X86_CACHE) in $((SECONDS - started)) s"
    exit 0
fi

# A platform of another recipe, or a build of one begun: start again from nothing but the
# downloaded packages. A build of this recipe that was interrupted goes on from its last
# step; an interrupted debootstrap starts over.
recipe=$(x86_recipe_stamp)
wipe=
if [ -f "$X86_STAMP" ] || { [ -f "$steps/recipe" ] && [ "$(cat "$steps/recipe")" != "$recipe" ]; }; then
    echo "x86 platform: the recipe has changed; building $X86_CACHE anew"
    wipe="$X86_ROOT $steps $X86_STAMP"
elif [ -d "$X86_ROOT" ] && [ ! -f "$steps/base" ]; then
    wipe=$X86_ROOT
fi
if [ -n "$wipe" ]; then
    if grep -q " $X86_ROOT[/ ]" /proc/mounts; then
        fail "something is mounted inside $X86_ROOT; refusing to delete it"
    fi
    rm -rf $wipe
fi
mkdir -p "$steps" "$logs"
echo "$recipe" >"$steps/recipe"
if ! command -v wget >/dev/null; then
    unavailable "debootstrap needs wget on this machine (tools/install-deps.sh installs it)"
fi
host=$(sed -E 's#^[a-z]+://([^/:]+).*#\1#' <<<"$mirror")
if ! timeout 20 bash -c "exec 3<>/dev/tcp/$host/80" 2>/dev/null; then
    unavailable "no network to $host for the first build"
fi

unshare --mount --propagation private -- "$0" --build || exit 1
x86_recipe_stamp >"$X86_STAMP"
x86_built || fail "the build ended without a platform"
echo "x86 platform: built in $X86_CACHE in $((SECONDS - started)) s ($(du -sh "$X86_CACHE" | cut -f1))"
exit 0
