# The 32-bit Windows platform: where it is cached and how it is entered. Sourced by
# tools/x86/prepare.sh and the x86 harness scripts (tests/harness/x86-*.sh), never run.
#
# The platform is a Debian 12 chroot with 32-bit Wine. Its i386 programs run through
# qemu-user (version 10, from bookworm-backports), which a binfmt_misc entry of the
# project's own name hands every i386 ELF; the chroot's amd64 programs (the wineserver,
# the shell) run natively. Everything lives in X86_CACHE, outside any work tree, so every
# clone on the machine shares it.

X86_CACHE=${DRVSETUP_X86_CACHE:-/var/cache/drvsetup-x86}
X86_ROOT=$X86_CACHE/root
X86_QEMU=$X86_CACHE/qemu-i386
X86_STAMP=$X86_CACHE/stamp
X86_LOCK=$X86_CACHE/lock
X86_BINFMT=drvsetup-i386
X86_BINFMT_DIR=/proc/sys/fs/binfmt_misc
X86_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# Inside the chroot.
X86_WINE=/usr/lib/wine/wine
X86_WINESERVER=/usr/lib/wine/wineserver64
X86_PRELOAD='/usr/$LIB/libdrvsetup-trapno.so'

# The version of the recipe: a change to the scripts that build the cache rebuilds it.
x86_recipe_stamp() {
    cat "$X86_TOOLS/prepare.sh" "$X86_TOOLS/trapno.c" |
        sha256sum | cut -c1-16
}

# Whether the cache holds a finished platform of the current recipe.
x86_built() {
    [ -f "$X86_STAMP" ] && [ "$(cat "$X86_STAMP")" = "$(x86_recipe_stamp)" ] &&
        [ -x "$X86_QEMU" ] && [ -x "$X86_ROOT$X86_WINE" ]
}

# The i386 ELF executable header: class 32, little-endian, version 1, type EXEC or DYN,
# machine 386.
X86_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
X86_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# Another enabled entry for i386 ELF files: one registered after ours is tried first.
x86_foreign_entry() {
    local entry
    for entry in "$X86_BINFMT_DIR"/*; do
        case ${entry##*/} in register | status | "$X86_BINFMT") continue ;; esac
        grep -qx enabled "$entry" 2>/dev/null &&
            grep -q '^magic 7f454c4601010100000000000000000002000300' "$entry" &&
            return 0
    done
    return 1
}

# Registers the binfmt_misc entry that runs i386 ELF files with the cache's qemu, unless it
# is already there as it should be. Flags: F opens qemu now, so it also works inside the
# chroot; P keeps argv[0]. Kept registered afterwards: it only concerns i386 programs,
# which this kernel cannot run anyway, and parallel runs rely on it. `force` replaces it.
x86_register_binfmt() {
    # Parallel runs check and register one at a time.
    (
        flock 7 || exit 1
        x86_register_binfmt_locked "${1:-}"
    ) 7>"$X86_CACHE/binfmt.lock"
}

x86_register_binfmt_locked() {
    local force=$1 entry=$X86_BINFMT_DIR/$X86_BINFMT
    if [ ! -e "$X86_BINFMT_DIR/register" ]; then
        mount -t binfmt_misc binfmt_misc "$X86_BINFMT_DIR" 2>/dev/null || return 1
    fi
    if [ -z "$force" ] && [ -e "$entry" ] && grep -qx enabled "$entry" &&
        grep -qx "interpreter $X86_QEMU" "$entry" && grep -qx 'flags: PF' "$entry"; then
        x86_foreign_entry || return 0
        echo "x86 platform: another binfmt_misc entry takes i386 programs; registering ours" \
            "again so that it is tried first" >&2
    fi
    [ -e "$entry" ] && { echo -1 >"$entry" || return 1; }
    printf '%s' ":$X86_BINFMT:M::$X86_MAGIC:$X86_MASK:$X86_QEMU:FP" \
        >"$X86_BINFMT_DIR/register" 2>/dev/null || return 1
    grep -qx enabled "$entry"
}

# Removes the entry (tools/x86/prepare.sh --unregister).
x86_unregister_binfmt() {
    local entry=$X86_BINFMT_DIR/$X86_BINFMT
    [ -e "$entry" ] && echo -1 >"$entry"
    return 0
}

# x86_chroot [--mount DIR]... -- COMMAND [ARGS...]
# Runs COMMAND inside the chroot, in a private mount namespace of its own that holds
# /proc, /dev, /sys, a fresh /tmp, the X socket directory and every DIR at its own path (the
# build and source trees, so that Z: paths name the same files inside and out). The mounts
# vanish with the namespace. The environment is the chroot's own plus the caller's DISPLAY,
# LANG, WINE*, DRVSETUP_* and LD_PRELOAD.
x86_chroot() {
    unshare --mount --propagation private -- bash "$X86_TOOLS/enter.sh" "$X86_ROOT" "$@"
}
