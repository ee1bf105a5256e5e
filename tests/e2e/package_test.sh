#!/bin/bash
# The release command end to end: the demo folder packaged, compressed and signed with a
# throwaway certificate authority's code-signing certificate; the signatures verified
# against that authority, the resources of the signed programs checked field by field, the
# checksums checked, and the x64 package installed unattended from its unzipped folder.
# Then a driver folder with a model's file missing: refused, the file named, no package.
#   package_test.sh STATE_DIR (the Wine fixture's, for the installation)
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/tests/harness/common.sh"

[ $# -eq 1 ] || die "usage: package_test.sh STATE_DIR"
state=$(cd "$1" && pwd) || die "no state directory $1"
work=$(mktemp -d) || die "cannot make a work folder"
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

# A throwaway authority and a code-signing certificate it issued.
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=Throwaway Test CA" -addext basicConstraints=critical,CA:true \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null || die "cannot make the CA"
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
    -subj "/CN=Zelmox Systems Test Signer" 2>/dev/null || die "cannot make the request"
printf 'basicConstraints=CA:false\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out signer.pem \
    -days 2 -extfile ext 2>/dev/null || die "cannot issue the signing certificate"

echo "=== the demo folder, compressed and signed"
"$root/tools/package.sh" --drivers "$root/demo" --out "$work/release" --compress \
    --cert signer.pem --key signer.key --ca ca.pem || fail "package.sh refused the demo folder"
release=$work/release
for name in drvsetup_x64 drvsetup_x86; do
    exe=$release/$name/$name.exe
    osslsigncode verify -in "$exe" -CAfile ca.pem >verify.txt 2>&1 &&
        grep -q 'Signature verification: ok' verify.txt || {
        cat verify.txt
        fail "$name.exe: the signature does not verify against the throwaway authority"
    }
    grep -q 'Zelmox Systems Test Signer' verify.txt || fail "$name.exe: not signed by the signer"
    python3 "$root/tests/static/check_pe.py" "$exe" >/dev/null ||
        fail "$name.exe: the signed program fails its static checks"
    # Compressed where it shrinks (J71.DLL), left plain where it would not (UNIDRV.DLL);
    # the setup information file always plain.
    [ "$(head -c 4 "$release/$name/J71.DLL")" = SZDD ] || fail "$name: J71.DLL is not compressed"
    cmp -s "$release/$name/UNIDRV.DLL" "$root/demo/UNIDRV.DLL" || fail "$name: UNIDRV.DLL changed"
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

echo "=== a driver folder with a model's file missing"
mkdir drivers && cp "$root"/demo/* drivers/ && rm drivers/J71LASER.INI
"$root/tools/package.sh" --drivers drivers --out "$work/bad" >bad.txt 2>&1
status=$?
cat bad.txt
[ $status -ne 0 ] || fail "a folder with a missing file was packaged"
grep -q 'model "Zelmox J71 Laser", file J71LASER.INI: missing from the setup folder' bad.txt ||
    fail "the refusal does not name the missing file"
leftovers=$(ls -A "$work/bad" 2>/dev/null)
[ -z "$leftovers" ] || fail "a refused package left: $leftovers"

[ $failed -eq 0 ] && echo "package test: passed"
exit $failed
