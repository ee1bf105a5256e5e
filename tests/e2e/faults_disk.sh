#!/bin/bash
# The full-disk cases of the faults test: for each of the driver directory and its
# version directory "3", a fresh copy of the fixture's template prefix gets a small tmpfs
# mounted over that directory, the test program runs its matching FullDisk case in it,
# and the disk is unmounted again. Mounting needs root: without it the script reports
# the test skipped (exit 77) rather than passing.
#   faults_disk.sh STATE_DIR e2e_faults_test.exe
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../harness/common.sh"

SKIPPED=77
[ $# -eq 2 ] || die "usage: faults_disk.sh STATE_DIR PROGRAM.exe"
state=$(cd "$1" 2>/dev/null && pwd) || die "no state directory $1"
program=$2
[ -f "$state/template.ready" ] || die "no template prefix in $state: run setup.sh first"
[ -f "$program" ] || die "no program $program"

# Whether this machine lets us mount at all.
probe=$(mktemp -d)
if [ "$(id -u)" != 0 ] || ! mount -t tmpfs -o size=64k tmpfs "$probe" 2>/dev/null; then
    rmdir "$probe"
    echo "faults_disk.sh: cannot mount a small disk here (root needed): skipped"
    exit $SKIPPED
fi
umount "$probe"
rmdir "$probe"

export DISPLAY=$(cat "$state/display")
export LANG=en_US.UTF-8
locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$' || LANG=C.UTF-8
unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE

prefix=
mounted=
finish() {
    if [ -n "$prefix" ]; then
        WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null
        WINEPREFIX=$prefix "$WINESERVER" -w 2>/dev/null
    fi
    [ -n "$mounted" ] && umount "$mounted"
    [ -n "$prefix" ] && rm -rf "$prefix"
    mounted=
    prefix=
}
trap finish EXIT
trap 'exit 130' INT TERM

# run DIRECTORY CASE: DIRECTORY is x64 (the driver directory) or 3 (its version directory).
run() {
    local where=$1 case=$2 drivers output
    prefix=$(mktemp -d "$state/run.XXXXXX") || die "cannot make a prefix"
    copy_prefix "$state/template" "$prefix" || die "cannot copy the template prefix"
    drivers=$prefix/drive_c/windows/system32/spool/drivers/x64
    mkdir -p "$drivers/3"
    if [ "$where" = x64 ]; then mounted=$drivers; else mounted=$drivers/3; fi
    mount -t tmpfs -o size=1m,mode=755 tmpfs "$mounted" || die "cannot mount over $mounted"
    # The version directory lies inside the driver directory's disk.
    mkdir -p "$drivers/3"

    output=$(WINEPREFIX=$prefix FAULTS_SMALL_DISK=$where "$WINE" "$program" \
        --gtest_filter="FullDisk.$case" 2>&1)
    local status=$?
    echo "$output"
    finish
    [ $status -eq 0 ] || return 1
    # The case must have run, not skipped itself.
    grep -q "^\[       OK \] FullDisk\.$case" <<<"$output" || {
        echo "faults_disk.sh: FullDisk.$case did not run" >&2
        return 1
    }
}

failed=0
run x64 DriverDirectoryFullIsInsufficientSpaceAndLeavesNoPartialCopy || failed=1
run 3 VersionDirectoryFullIsLeftToTheSpooler || failed=1
exit $failed
