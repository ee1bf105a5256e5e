# Shared parts of the x86 harness scripts (x86-setup.sh, x86-run.sh, x86-cleanup.sh): Wine
# processes on the 32-bit Windows platform of tools/x86 (a chroot with 32-bit Wine under
# qemu-user, see tools/x86/platform.sh). Sourced, never run.

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/x86/platform.sh"

SKIPPED=77

# Whether a 32-bit road that cannot run is a failure rather than a skip: under CI
# (CI=true, as the common CI services set it), where green must mean that the shipped
# drvsetup_x86.exe has run.
x86_required() {
    [ "${CI:-}" = true ]
}
# A 32-bit prefix: "Windows NT x86" is the spooler's own environment there. common.sh's
# 64-bit loader is not used on this platform.
unset WINELOADER WINESERVER
export WINEARCH=win32

X86_HARNESS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Directories every x86 Wine process needs at their own paths: the state directory (the
# prefixes), the build and source trees of the test run (DRVSETUP_BIN, DRVSETUP_SOURCE),
# this harness (scripts run inside) and the current directory. One inside another is
# mounted with it.
x86_mount_arguments() {
    local dir kept candidates=() result=()
    for dir in "$@" "${DRVSETUP_BIN:-}" "${DRVSETUP_SOURCE:-}" "$X86_HARNESS" "$PWD"; do
        [ -n "$dir" ] && [ -d "$dir" ] && candidates+=("$(cd "$dir" && pwd -P)")
    done
    while IFS= read -r dir; do
        for kept in "${result[@]}"; do
            [[ $dir == "$kept" || $dir == "$kept"/* ]] && continue 2
        done
        result+=("$dir")
    done < <(printf '%s\n' "${candidates[@]}" | awk '{ print length, $0 }' | sort -n | cut -d' ' -f2-)
    for dir in "${result[@]}"; do
        printf -- '--mount\0%s\0' "$dir"
    done
}

# x86_wine STATE_DIR PREFIX keep|stop COMMAND [ARGS...]
# Runs COMMAND (e.g. /usr/lib/wine/wine program.exe) inside the chroot with WINEPREFIX set
# to PREFIX, in the current directory, with the signal-frame preload; then waits for the
# prefix's wineserver to end ("keep": it saves the registry) or stops it with every process
# of the prefix at once ("stop"). Returns COMMAND's exit code. The lock of the platform
# (fd 8) stays with the caller.
x86_wine() {
    local state=$1 prefix=$2 mode=$3 mounts=()
    shift 3
    while IFS= read -r -d '' argument; do mounts+=("$argument"); done \
        < <(x86_mount_arguments "$state")
    # shellcheck disable=SC2016 # expanded by the shell inside the chroot
    WINEPREFIX=$prefix x86_chroot "${mounts[@]}" -- /bin/bash -c '
        cd "$1" 2>/dev/null || cd /
        export LD_PRELOAD=$2
        server=$3 mode=$4
        shift 4
        "$@"
        status=$?
        [ "$mode" = stop ] && "$server" -k 2>/dev/null
        "$server" -w
        exit $status' bash "$PWD" "$X86_PRELOAD" "$X86_WINESERVER" "$mode" "$@" 8>&- 9>&-
}

# Ends, by their process ids, the processes left running in the chroot for prefixes under
# DIR (a test killed at its timeout leaves its Wine processes and wineserver behind).
x86_kill_leftovers() {
    local dir=$1 proc pid value found=()
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$X86_ROOT" ] || continue
        value=$(tr '\0' '\n' <"$proc/environ" 2>/dev/null | sed -n 's/^WINEPREFIX=//p')
        [[ -n $value && ($value == "$dir" || $value == "$dir"/*) ]] || continue
        found+=("${proc#/proc/}")
    done
    [ ${#found[@]} -gt 0 ] || return 0
    kill -KILL "${found[@]}" 2>/dev/null
    for pid in "${found[@]}"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    done
}

# Takes the platform's lock shared on fd 8, so that no preparation rebuilds it meanwhile.
x86_lock_platform() {
    exec 8>"$X86_LOCK" && flock -s 8
}
