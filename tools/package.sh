#!/usr/bin/env bash
# Makes the setup packages a printer maker ships: for each program a setup folder with the
# program, J71.INF and the driver files, checked by the program's own /quiet /check,
# optionally compressed as driver disks ship them and signed with the maker's
# certificate, then checksums and one zip per folder. Every driver file keeps its time,
# compressed or not: the driver is dated by J71.DLL's.
#
#   tools/package.sh --drivers DIR --out DIR [--compress]
#                    [--key FILE|URI [--cert FILE|URI] [--chain FILE] [--pkcs11-module FILE]
#                     [--pin-file FILE] --ca FILE
#                     [--timestamp URL | --legacy-timestamp URL] [--tsa-ca FILE]]
#                    [--check-state DIR]
#
# --drivers  the maker's J71.INF and driver files (every plain file of DIR)
# --out      where OUT/drvsetup_x64/, OUT/drvsetup_x86/, their zips and SHA256SUMS go
# --compress each driver file SZDD-compressed under its own name, unless it is compressed
#            already or would not shrink (J71.INF and the programs never are)
# --key      the signing key: a PEM file (test builds), or a PKCS#11 URI
#            ("pkcs11:token=...;object=...") of a key kept in a token or HSM, used through
#            OpenSSL's PKCS#11 engine and the token's module (--pkcs11-module FILE). The
#            token's PIN comes from the environment variable SIGN_PIN or the first line of
#            --pin-file FILE (readable by its owner alone), never from the command line.
# --cert     the code-signing certificate: a PEM file with its chain (needed with a PEM
#            key), or a PKCS#11 URI; with a token key and no --cert, the token's
#            certificate of the key's URI. --chain FILE adds the chain's intermediate
#            certificates (PEM) to a certificate taken from the token.
#            Both programs are signed (Authenticode, SHA-256) and the signatures verified.
# --ca       the root certificate(s) to verify the signatures against (PEM)
# --timestamp URL  an RFC 3161 time-stamping server, so that the signature outlives the
#            certificate; --legacy-timestamp URL a legacy Authenticode one instead
# --tsa-ca   the root certificate(s) of the time-stamping authority, to verify the
#            timestamp's own chain (PEM; needed with a timestamp)
# --check-state DIR  the checks run in the test harness's states DIR/x64 and DIR/x86, set
#            up there unless they are already and left running for the next package;
#            without it, in a state of their own, booted and removed by each package
#
# A folder whose check fails leaves no package: the problems are printed, and the exit
# code is not 0.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

die() {
    echo "package.sh: $*" >&2
    exit 1
}

# A file argument that must exist: check_file OPTION FILE
check_file() {
    [ -z "$2" ] || [ -f "$2" ] || die "$1: no file $2"
}

# The signing options as one consistent set; with a token key, the engine, the module and
# the PIN found.
check_signing_arguments() {
    if [ -z "$key" ]; then
        [ -z "$cert$chain$module$pin_file$ca$timestamp$legacy_timestamp$tsa_ca" ] ||
            die "the signing options go with --key"
        return 0
    fi
    [ -n "$ca" ] || die "--ca FILE is needed with --key: the root of the code-signing chain" \
        "(this machine's certificate bundle holds the roots it trusts for TLS)"
    [ -z "$timestamp" ] || [ -z "$legacy_timestamp" ] ||
        die "--timestamp and --legacy-timestamp exclude each other"
    [ -z "$timestamp$legacy_timestamp" ] || [ -n "$tsa_ca" ] ||
        die "--tsa-ca FILE is needed with a timestamp: the root of the time-stamping chain"
    check_file --ca "$ca"
    check_file --tsa-ca "$tsa_ca"
    check_file --chain "$chain"
    case $cert in pkcs11:*) ;; *) check_file --cert "$cert" ;; esac
    if [ "${key#pkcs11:}" = "$key" ]; then
        check_file --key "$key"
        [ -n "$cert" ] || die "--cert FILE is needed with a key file"
        [ -z "$chain$module$pin_file" ] ||
            die "--chain, --pkcs11-module and --pin-file go with a pkcs11: key"
        return 0
    fi
    [ -n "$module" ] || die "--pkcs11-module FILE is needed with a pkcs11: key"
    check_file --pkcs11-module "$module"
    if [ -n "$pin_file" ]; then
        check_file --pin-file "$pin_file"
        [ -z "$(find "$pin_file" -perm /077)" ] ||
            die "--pin-file $pin_file can be read by others: chmod 600 it"
        IFS= read -r pin <"$pin_file" || [ -n "$pin" ] || die "--pin-file $pin_file is empty"
    fi
    [ -n "$pin" ] || die "the token's PIN: set SIGN_PIN or give --pin-file FILE"
    [ -n "$cert" ] || cert=$key
    local engine
    engine=$(openssl version -e | sed -n 's/^ENGINESDIR: "\(.*\)"$/\1/p')/pkcs11.so
    [ -f "$engine" ] || die "no PKCS#11 engine $engine (package libengine-pkcs11-openssl)"
}

drivers="" out="" compress=0 cert="" key="" chain="" module="" pin_file="" ca=""
timestamp="" legacy_timestamp="" tsa_ca="" check_state=""
while [ $# -gt 0 ]; do
    case $1 in
    --drivers) drivers=${2:-}; shift 2 ;;
    --out) out=${2:-}; shift 2 ;;
    --compress) compress=1; shift ;;
    --cert) cert=${2:-}; shift 2 ;;
    --key) key=${2:-}; shift 2 ;;
    --chain) chain=${2:-}; shift 2 ;;
    --pkcs11-module) module=${2:-}; shift 2 ;;
    --pin-file) pin_file=${2:-}; shift 2 ;;
    --ca) ca=${2:-}; shift 2 ;;
    --timestamp) timestamp=${2:-}; shift 2 ;;
    --legacy-timestamp) legacy_timestamp=${2:-}; shift 2 ;;
    --tsa-ca) tsa_ca=${2:-}; shift 2 ;;
    --check-state) check_state=${2:-}; shift 2 ;;
    *) die "unknown argument $1 (see the comment at the top of this script)" ;;
    esac
done
# The PIN is read once here and kept from every program started below but the signer.
pin=${SIGN_PIN-}
unset SIGN_PIN
[ -n "$drivers" ] && [ -n "$out" ] || die "--drivers DIR and --out DIR are needed"
[ -d "$drivers" ] || die "no driver folder $drivers"
[ -f "$drivers/J71.INF" ] || die "$drivers holds no J71.INF"
check_signing_arguments
drivers=$(cd "$drivers" && pwd)
mkdir -p "$out" || die "cannot make $out"
out=$(cd "$out" && pwd)
if [ -n "$check_state" ]; then
    mkdir -p "$check_state" && check_state=$(cd "$check_state" && pwd) ||
        die "cannot make $check_state"
fi

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
        cp --preserve=timestamps "$file" "$folder/$base" || die "cannot copy $base"
        if [ $compress = 1 ] && [ "$base" != J71.INF ]; then
            compress_file "$folder/$base"
        fi
    done
}

# SZDD-compresses a file under its own name where that makes it smaller, keeping its time.
compress_file() {
    local file=$1
    [ "$(head -c 4 "$file")" = SZDD ] && return 0
    mscompress "$file" >/dev/null 2>&1 || die "mscompress failed on $file"
    if [ "$(stat -c %s "$file"_)" -lt "$(stat -c %s "$file")" ]; then
        touch -r "$file" "$file"_ && mv -f "$file"_ "$file" || die "cannot replace $file"
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
    [ -n "$check_state" ] || "$root/tests/harness/$cleanup" "$state" >/dev/null 2>&1
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
checks=${check_state:-$state}
if ! check_folder setup.sh wine-run.sh cleanup.sh "$checks/x64" "$out/drvsetup_x64" \
    drvsetup_x64.exe; then
    remove_package
    exit 1
fi
check_folder x86-setup.sh x86-run.sh x86-cleanup.sh "$checks/x86" "$out/drvsetup_x86" \
    drvsetup_x86.exe
status=$?
if [ $status -eq 77 ]; then
    # Without the 32-bit platform the English program checks the Korean folder: the two
    # hold the same files but for the program.
    echo "  the 32-bit platform is not available here: drvsetup_x64.exe checks drvsetup_x86/"
    cp "$out/drvsetup_x64/drvsetup_x64.exe" "$out/drvsetup_x86/" || die "cannot copy"
    check_folder setup.sh wine-run.sh cleanup.sh "$checks/x64" "$out/drvsetup_x86" \
        drvsetup_x64.exe
    status=$?
    rm -f "$out/drvsetup_x86/drvsetup_x64.exe"
fi
if [ $status -ne 0 ]; then
    remove_package
    exit 1
fi

# Signs a program into OUT: sign_program IN OUT. A token's PIN reaches the signer through a
# pipe it reads (-readpass), never its command line or environment, which others may read.
sign_program() {
    local arguments=(sign -h sha256 -n "Printer Driver Setup" -in "$1" -out "$2")
    if [ "${key#pkcs11:}" = "$key" ]; then
        arguments+=(-certs "$cert" -key "$key")
    else
        # OpenSSL finds the engine "pkcs11" in its engines directory by itself; named by
        # its path (-pkcs11engine), osslsigncode 2.5 fails to load it.
        arguments+=(-pkcs11module "$module" -key "$key" -readpass /dev/fd/3)
        case $cert in
        pkcs11:*) arguments+=(-pkcs11cert "$cert") ;;
        *) arguments+=(-certs "$cert") ;;
        esac
        [ -z "$chain" ] || arguments+=(-ac "$chain")
    fi
    [ -z "$timestamp" ] || arguments+=(-ts "$timestamp")
    [ -z "$legacy_timestamp" ] || arguments+=(-t "$legacy_timestamp")
    osslsigncode "${arguments[@]}" 3< <(printf '%s' "$pin")
}

# Verifies a program's signature against --ca, and its timestamp's against --tsa-ca:
# verify_program EXE REPORT
verify_program() {
    local arguments=(verify -in "$1" -CAfile "$ca")
    [ -z "$tsa_ca" ] || arguments+=(-TSA-CAfile "$tsa_ca")
    osslsigncode "${arguments[@]}" >"$2" 2>&1 || return 1
    [ -z "$tsa_ca" ] || grep -q '^Timestamp Server Signature verification: ok' "$2"
}

if [ -n "$key" ]; then
    echo "=== signing"
    for name in drvsetup_x64 drvsetup_x86; do
        exe=$out/$name/$name.exe
        if ! sign_program "$exe" "$exe.signed" >"$state/sign.txt" 2>&1; then
            cat "$state/sign.txt" >&2
            remove_package
            die "cannot sign $name.exe"
        fi
        mv -f "$exe.signed" "$exe"
        if ! verify_program "$exe" "$state/verify.txt"; then
            cat "$state/verify.txt" >&2
            remove_package
            die "the signature of $name.exe or its timestamp does not verify"
        fi
        grep -E '^(Signature verification|Timestamp Server Signature verification|Number of verified signatures)' \
            "$state/verify.txt" | sed "s/^/  $name.exe: /"
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
    # A zip keeps each file's time to 2 s and in no time zone: written as UTC, the package
    # is the same whatever zone this machine is set to.
    (cd "$out" && TZ=UTC zip -q -r -X "$name.zip" "$name") || die "cannot zip $name"
done
(cd "$out" && sha256sum drvsetup_x64.zip drvsetup_x86.zip >>SHA256SUMS) ||
    die "cannot add the zips to SHA256SUMS"
echo "=== done: $out"
(cd "$out" && ls -l drvsetup_x64 drvsetup_x86 drvsetup_x64.zip drvsetup_x86.zip SHA256SUMS)
