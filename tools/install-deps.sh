#!/usr/bin/env bash
# Installs what building, running and testing the wizard need on Debian 12, as root or
# through sudo. Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build python3
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    googletest clang libclang-rt-14-dev
    wine64 xvfb xauth x11-utils imagemagick
    mscompress fonts-wine fonts-liberation fonts-nanum locales
    # tools/package.sh: Authenticode signing, checksums' companions and the zips; keys in
    # tokens and HSMs through OpenSSL's PKCS#11 engine; for its test a software token
    # (SoftHSM2) and the tools that make a key inside it and write its certificate there.
    osslsigncode openssl zip unzip libengine-pkcs11-openssl softhsm2 gnutls-bin
    # The 32-bit platform (tools/x86/prepare.sh) is built in a chroot of its own; on the
    # host it needs only wget for debootstrap, which it unpacks itself (never installed).
    wget
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

# Korean runs need code page 949, which Wine takes from a Korean locale.
if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
    $sudo localedef -i ko_KR -f UTF-8 ko_KR.UTF-8
fi
