#!/bin/bash
# The release command end to end: the demo folder packaged, compressed and signed with a
# throwaway certificate authority's code-signing certificate in PEM files; the signatures
# verified against that authority, the resources of the signed programs checked field by
# field, the driver files' times and the checksums checked, and the x64 package installed
# unattended from its unzipped folder. Then as a maker signs: a key generated inside a
# SoftHSM2 token, its certificate issued by the authority and kept in the token, the PIN in
# SIGN_PIN, J71.DLL shipped as J71.DL_: the PIN seen nowhere, and the test build, run from
# the unzipped package, dates the driver by J71.DL_. Then a driver folder with a model's
# file missing: refused, the file named, no package.
#   package_test.sh STATE_DIR X86_STATE_DIR PART
# STATE_DIR is the Wine fixture's, for the installations and the folder checks, and
# X86_STATE_DIR the 32-bit one's, for the Korean folder's check; PART is "pem" (the PEM
# files, the unzipped installation and the refused folder) or "token" (the token and the
# dated driver): two halves that ctest runs side by side.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/tests/harness/common.sh"

[ $# -eq 3 ] && { [ "$3" = pem ] || [ "$3" = token ]; } ||
    die "usage: package_test.sh STATE_DIR X86_STATE_DIR pem|token"
part=$3
state=$(cd "$1" && pwd) || die "no state directory $1"
bin=$(dirname "$state")
work=$(mktemp -d) || die "cannot make a work folder"
trap 'rm -rf "$work"' EXIT
# The folder checks copy the fixtures' booted prefixes rather than boot their own.
mkdir "$work/checks" && ln -s "$state" "$work/checks/x64" && ln -s "$2" "$work/checks/x86" ||
    die "cannot make the check states"
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

# A throwaway authority, and a code-signing certificate it issues: issue REQUEST CERTIFICATE
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=Throwaway Test CA" -addext basicConstraints=critical,CA:true \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null || die "cannot make the CA"
printf '%s\n' basicConstraints=CA:false keyUsage=critical,digitalSignature \
    extendedKeyUsage=codeSigning >ext
issue() {
    openssl x509 -req -in "$1" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$2" -days 2 \
        -extfile ext 2>/dev/null
}
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
    -subj "/CN=Zelmox Systems Test Signer" 2>/dev/null || die "cannot make the request"
issue signer.csr signer.pem || die "cannot issue the signing certificate"

# A signed program verified against the throwaway authority: check_signed EXE SIGNER
check_signed() {
    osslsigncode verify -in "$1" -CAfile ca.pem >verify.txt 2>&1 &&
        grep -q 'Signature verification: ok' verify.txt || {
        cat verify.txt
        fail "$1: the signature does not verify against the throwaway authority"
    }
    grep -q "$2" verify.txt || fail "$1: not signed by $2"
    python3 "$root/tests/static/check_pe.py" "$1" >/dev/null ||
        fail "$1: the signed program fails its static checks"
}

if [ "$part" = pem ]; then
    echo "=== the demo folder, compressed and signed"
    "$root/tools/package.sh" --drivers "$root/demo" --out "$work/release" --compress \
        --cert signer.pem --key signer.key --ca ca.pem --check-state "$work/checks" ||
        fail "package.sh refused the demo folder"
    release=$work/release
    for name in drvsetup_x64 drvsetup_x86; do
        check_signed "$release/$name/$name.exe" "Zelmox Systems Test Signer"
        # Compressed where it shrinks (J71.DLL), keeping its time, left plain where it would not
        # (UNIDRV.DLL); the setup information file always plain.
        [ "$(head -c 4 "$release/$name/J71.DLL")" = SZDD ] ||
            fail "$name: J71.DLL is not compressed"
        [ "$(stat -c %Y "$release/$name/J71.DLL")" = "$(stat -c %Y "$root/demo/J71.DLL")" ] ||
            fail "$name: J71.DLL lost its time"
        cmp -s "$release/$name/UNIDRV.DLL" "$root/demo/UNIDRV.DLL" ||
            fail "$name: UNIDRV.DLL changed"
        cmp -s "$release/$name/J71.INF" "$root/demo/J71.INF" || fail "$name: J71.INF changed"
    done
    (cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
    for name in drvsetup_x64 drvsetup_x86; do
        grep -q " $name/$name.exe\$" "$release/SHA256SUMS" || fail "SHA256SUMS lacks $name.exe"
        grep -q " $name.zip\$" "$release/SHA256SUMS" || fail "SHA256SUMS lacks $name.zip"
    done
    ls -l "$release" "$release"/drvsetup_x64

    echo "=== the x64 package installed unattended from its unzipped folder"
    mkdir unzipped && (cd unzipped && unzip -q "$release/drvsetup_x64.zip") || fail "cannot unzip"
    log=$work/unzipped/install.log
    (cd unzipped/drvsetup_x64 && "$root/tests/harness/wine-run.sh" "$state" \
        "$work/unzipped/drvsetup_x64/drvsetup_x64.exe" /quiet /model "Zelmox J71 Laser" \
        /port LPT1: /log "Z:${log//\//\\}" >/dev/null 2>&1)
    status=$?
    grep -E 'expanded|end ' "$log"
    [ $status -eq 0 ] && grep -q 'installed; exit code 0' "$log" ||
        fail "the unzipped package did not install (exit $status)"
    grep -q 'J71.DLL -> .*: expanded' "$log" || fail "the compressed J71.DLL was not expanded"
fi

if [ "$part" = token ]; then
    echo "=== a key generated in a token, the PIN in SIGN_PIN, J71.DLL shipped as J71.DL_"
    export SOFTHSM2_CONF=$work/softhsm2.conf GNUTLS_PIN=pin-$RANDOM$RANDOM
    echo "directories.tokendir = $work" >"$SOFTHSM2_CONF"
    module=/usr/lib/softhsm/libsofthsm2.so token="pkcs11:token=Zelmox%20Release"
    printf 'cn = "Zelmox Systems Token Signer"\n' >request.tmpl
    { softhsm2-util --init-token --free --label "Zelmox Release" --so-pin 0000 \
        --pin "$GNUTLS_PIN" &&
        p11tool --provider $module --login --generate-privkey=rsa --label=release --id=01 \
            "$token" &&
        certtool --generate-request --provider $module --template request.tmpl \
            --load-privkey "$token;object=release;type=private" --outfile token.csr &&
        issue token.csr token.pem &&
        p11tool --provider $module --login --write --load-certificate token.pem --label release \
            --id 01 "$token"; } >/dev/null 2>&1 || die "cannot make the token's key and certificate"
    p11tool --provider $module --login --list-all "$token;type=private" |
        grep -q CKA_NEVER_EXTRACTABLE || fail "the token's key could leave it"
    pin=$GNUTLS_PIN && unset GNUTLS_PIN
    # The signer as others see it: its command line and environment, as /proc shows them.
    mkdir shim
    printf '#!/bin/sh\n{ printf "%%s\\n" "$@"; env; } >>"%s/signer.txt"\nexec %s "$@"\n' "$work" \
        "$(command -v osslsigncode)" >shim/osslsigncode && chmod +x shim/osslsigncode
    mkdir dated && cp "$root"/demo/* dated/ && mscompress dated/J71.DLL && rm dated/J71.DLL &&
        mv dated/J71.DLL_ dated/J71.DL_ || die "cannot make J71.DL_"
    touch -d '2011-03-14 12:00:00 UTC' dated/*
    SIGN_PIN=$pin PATH=$work/shim:$PATH "$root/tools/package.sh" --drivers dated --out token \
        --compress --key "$token;object=release" --pkcs11-module $module --ca ca.pem \
        --check-state "$work/checks" >token.txt 2>&1 ||
        fail "package.sh refused the token's key"
    cat token.txt
    for name in drvsetup_x64 drvsetup_x86; do
        check_signed "token/$name/$name.exe" "Zelmox Systems Token Signer"
    done
    grep -qx "$token;object=release" signer.txt || fail "the signer was not seen"
    ! grep -rqF -- "$pin" token.txt signer.txt token ||
        fail "the PIN shows in the output, the signer's command line or environment, or the package"

    echo "=== the token's x64 package unzipped, a driver file changed, installed by the test build"
    mkdir unzipped-token && (cd unzipped-token && TZ=UTC unzip -q ../token/drvsetup_x64.zip)
    folder=$work/unzipped-token/drvsetup_x64
    printf X | dd of="$folder/UNIDRV.DLL" bs=1 seek=64 conv=notrunc 2>/dev/null
    (cd unzipped-token && grep ' drvsetup_x64/' ../token/SHA256SUMS | sha256sum --quiet -c) \
        >/dev/null 2>&1 && fail "the checksums did not see the changed UNIDRV.DLL"
    cp "$bin/drvsetup_x64_t.exe" "$folder/"
    (cd "$folder" && DRVSETUP_DRIVER_LOG="Z:${work//\//\\}\\driver.log" \
        "$root/tests/harness/wine-run.sh" "$state" "$folder/drvsetup_x64_t.exe" /quiet \
        /model "Zelmox J71 Laser" /port LPT1: >/dev/null 2>&1) ||
        fail "the token's package did not install"
    date=129445776000000000 # 14 March 2011, 12:00 UTC, as a FILETIME
    tr -d '\r' <driver.log | grep -x "ftDriverDate=$((date >> 32)),$((date & 0xffffffff))" ||
        fail "the driver is not dated by J71.DL_"
fi

if [ "$part" = pem ]; then
    echo "=== a driver folder with a model's file missing"
    mkdir drivers && cp "$root"/demo/* drivers/ && rm drivers/J71LASER.INI
    "$root/tools/package.sh" --drivers drivers --out "$work/bad" --check-state "$work/checks" \
        >bad.txt 2>&1
    status=$?
    cat bad.txt
    [ $status -ne 0 ] || fail "a folder with a missing file was packaged"
    grep -q 'model "Zelmox J71 Laser", file J71LASER.INI: missing from the setup folder' bad.txt ||
        fail "the refusal does not name the missing file"
    leftovers=$(ls -A "$work/bad" 2>/dev/null)
    [ -z "$leftovers" ] || fail "a refused package left: $leftovers"
fi

[ $failed -eq 0 ] && echo "package test ($part): passed"
exit $failed
