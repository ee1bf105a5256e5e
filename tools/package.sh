#!/usr/bin/env bash
# Makes the setup packages a printer maker ships: for each program a setup folder with the
# program, J71.INF and the driver files, checked by the program's own /quiet /check,
# optionally compressed as driver disks ship them and signed with the maker's
# certificate, then checksums and one zip per folder.
#
#   tools/package.sh --drivers DIR --out DIR [--compress]
#                    [--cert FILE --key FILE [--ca FILE] [--timestamp URL]]
#
# --drivers  the maker's J71.INF and driver files (every plain file of DIR)
# --out      where OUT/drvsetup_x64/, OUT/drvsetup_x86/, their zips and SHA256SUMS go
# --compress each driver file SZDD-compressed under its own name, unless it is compressed
#            already or would not shrink (J71.INF and the programs never are)
# --cert, --key  the maker's code-signing certificate (PEM, with its chain) and key (PEM):
#            both programs are signed (Authenticode, SHA-256) and the signatures verified
# --ca       the certificate authority to verify them against (default: the system's)
# --timestamp URL  a time-stamping server, so that the signature outlives the certificate
#
# A folder whose check fails leaves no package: the problems are printed, and the exit
# code is not 0.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

die() {
    echo "package.sh: $*" >&2
    exit 1
}

drivers="" out="" compress=0 cert="" key="" ca="" timestamp=""
while [ $# -gt 0 ]; do
    case $1 in
    --drivers) drivers=${2:-}; shift 2 ;;
    --out) out=${2:-}; shift 2 ;;
    --compress) compress=1; shift ;;
    --cert) cert=${2:-}; shift 2 ;;
    --key) key=${2:-}; shift 2 ;;
    --ca) ca=${2:-}; shift 2 ;;
    --timestamp) timestamp=${2:-}; shift 2 ;;
    *) die "unknown argument $1 (see the comment at the top of this script)" ;;
    esac
done
[ -n "$drivers" ] && [ -n "$out" ] || die "--drivers DIR and --out DIR are needed"
[ -d "$drivers" ] || die "no driver folder $drivers"
[ -f "$drivers/J71.INF" ] || die "$drivers holds no J71.INF"
if [ -n "$cert$key" ] && { [ -z "$cert" ] || [ -z "$key" ]; }; then
    die "--cert and --key go together"
fi
[ -z "$cert" ] || [ -f "$cert" ] || die "no certificate $cert"
[ -z "$key" ] || [ -f "$key" ] || die "no key $key"
drivers=$(cd "$drivers" && pwd)
mkdir -p "$out" || die "cannot make $out"
out=$(cd "$out" && pwd)

"$root/tools/install-deps.sh" >/dev/null || die "cannot install what packaging needs"

echo "=== building both programs"
for preset in x64 x86; do
    program=drvsetup_$preset
    # A tree configured already is only brought up to date: its tests may be running.
    (cd "$root" && { [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null; } &&
        cmake --build --preset "$preset" --target "$program" >/dev/null) ||
        die "cannot build $program"
done

# Nothing of an earlier package, nor of a failed one, may be taken for this one.
remove_package() {
    rm -rf "$out/drvsetup_x64" "$out/drvsetup_x86" "$out/drvsetup_x64.zip" \
        "$out/drvsetup_x86.zip" "$out/SHA256SUMS"
}
remove_package

# Fills OUT/NAME with the program and the driver folder's files, compressed if asked.
assemble() {
    local name=$1 folder=$out/$1 file base
    mkdir "$folder" || die "cannot make $folder"
    cp "$root/build/${name#drvsetup_}/$name.exe" "$folder/" || die "cannot copy $name.exe"
    for file in "$drivers"/*; do
        [ -f "$file" ] || continue
        base=$(basename "$file")
        cp "$file" "$folder/$base" || die "cannot copy $base"
        if [ $compress = 1 ] && [ "$base" != J71.INF ]; then
            compress_file "$folder/$base"
        fi
    done
}

# SZDD-compresses a file under its own name where that makes it smaller.
compress_file() {
    local file=$1
    [ "$(head -c 4 "$file")" = SZDD ] && return 0
    mscompress "$file" >/dev/null 2>&1 || die "mscompress failed on $file"
    if [ "$(stat -c %s "$file"_)" -lt "$(stat -c %s "$file")" ]; then
        mv -f "$file"_ "$file"
    else
        rm -f "$file"_
    fi
}

echo "=== assembling $out"
assemble drvsetup_x64
assemble drvsetup_x86

# Runs a program's /quiet /check on its folder; prints the log's lines on failure.
# check_folder HARNESS_SETUP HARNESS_RUN HARNESS_CLEANUP STATE FOLDER PROGRAM
check_folder() {
    local setup=$1 run=$2 cleanup=$3 state=$4 folder=$5 program=$6 log status
    log=$(mktemp "$folder/check.XXXXXX.log") || die "cannot make a log"
    rm -f "$log"
    "$root/tests/harness/$setup" "$state" >/dev/null 2>&1 || die "cannot start Wine for the check"
    (cd "$folder" && "$root/tests/harness/$run" "$state" "$folder/$program" /quiet /check \
        /log "Z:${log//\//\\}" >/dev/null 2>&1)
    status=$?
    "$root/tests/harness/$cleanup" "$state" >/dev/null 2>&1
    if [ $status -eq 77 ]; then
        rm -f "$log"
        return 77
    fi
    if [ $status -ne 0 ] || ! grep -q 'exit code 0' "$log" 2>/dev/null; then
        echo "package.sh: $program /quiet /check refuses $folder:" >&2
        grep -E ' (check|args|end) ' "$log" | grep -v ' start ' >&2 || echo "  (no log)" >&2
        rm -f "$log"
        return 1
    fi
    grep -E 'check +.*problems' "$log" | sed 's/^/  /'
    rm -f "$log"
    return 0
}

echo "=== checking each folder with its own program"
state=$(mktemp -d) || die "cannot make a state directory"
trap 'rm -rf "$state"' EXIT
if ! check_folder setup.sh wine-run.sh cleanup.sh "$state/x64" "$out/drvsetup_x64" \
    drvsetup_x64.exe; then
    remove_package
    exit 1
fi
check_folder x86-setup.sh x86-run.sh x86-cleanup.sh "$state/x86" "$out/drvsetup_x86" \
    drvsetup_x86.exe
status=$?
if [ $status -eq 77 ]; then
    # Without the 32-bit platform the English program checks the Korean folder: the two
    # hold the same files but for the program.
    echo "  the 32-bit platform is not available here: drvsetup_x64.exe checks drvsetup_x86/"
    cp "$out/drvsetup_x64/drvsetup_x64.exe" "$out/drvsetup_x86/" || die "cannot copy"
    check_folder setup.sh wine-run.sh cleanup.sh "$state/x64" "$out/drvsetup_x86" \
        drvsetup_x64.exe
    status=$?
    rm -f "$out/drvsetup_x86/drvsetup_x64.exe"
fi
if [ $status -ne 0 ]; then
    remove_package
    exit 1
fi

if [ -n "$cert" ]; then
    echo "=== signing"
    for name in drvsetup_x64 drvsetup_x86; do
        exe=$out/$name/$name.exe
        arguments=(sign -certs "$cert" -key "$key" -h sha256 -n "Printer Driver Setup"
            -in "$exe" -out "$exe.signed")
        [ -z "$timestamp" ] || arguments+=(-ts "$timestamp")
        if ! osslsigncode "${arguments[@]}" >/dev/null; then
            remove_package
            die "cannot sign $name.exe"
        fi
        mv -f "$exe.signed" "$exe"
        verify=(verify -in "$exe")
        [ -z "$ca" ] || verify+=(-CAfile "$ca")
        if ! osslsigncode "${verify[@]}" >"$state/verify.txt" 2>&1; then
            cat "$state/verify.txt" >&2
            remove_package
            die "the signature of $name.exe does not verify"
        fi
        grep -E '^(Signature verification|Number of verified signatures)' "$state/verify.txt" |
            sed "s/^/  $name.exe: /"
        # Signing appends a certificate table; every resource field must stand as built.
        if ! python3 "$root/tests/static/check_pe.py" "$exe" \
            --reference "$root/build/${name#drvsetup_}/$name.exe" >"$state/pe.txt" 2>&1; then
            cat "$state/pe.txt" >&2
            remove_package
            die "the signed $name.exe fails its static checks"
        fi
    done
fi

echo "=== checksums and zips"
(cd "$out" && find drvsetup_x64 drvsetup_x86 -type f | LC_ALL=C sort | xargs sha256sum \
    >SHA256SUMS) || die "cannot write SHA256SUMS"
for name in drvsetup_x64 drvsetup_x86; do
    (cd "$out" && zip -q -r -X "$name.zip" "$name") || die "cannot zip $name"
done
(cd "$out" && sha256sum drvsetup_x64.zip drvsetup_x86.zip >>SHA256SUMS) ||
    die "cannot add the zips to SHA256SUMS"
echo "=== done: $out"
(cd "$out" && ls -l drvsetup_x64 drvsetup_x86 drvsetup_x64.zip drvsetup_x86.zip SHA256SUMS)
