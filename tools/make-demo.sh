#!/bin/bash
# Regenerates demo/: a setup folder for trying the wizard, with J71.INF and made-up
# driver files (placeholders, no real driver). Some files are SZDD-compressed with
# mscompress, as driver disks ship them, so the copy step has something to expand.
#   tools/make-demo.sh [TARGET_DIR]      (default: demo/ of the source tree)
set -euo pipefail

target=${1:-$(cd "$(dirname "$0")/.." && pwd)/demo}
command -v mscompress >/dev/null || { echo "make-demo.sh: mscompress is missing" >&2; exit 1; }
mkdir -p "$target"
cd "$target"
rm -f J71.INF UNIDRV.DLL UNIDRVUI.DLL UNIDRV.HLP J71.GPD J71.DLL J71LASER.INI J71COLOR.INI \
    J71NET.INI ./*_

# Every placeholder starts with "ZELMOX DEMO FILE <NAME>" so a copy can be recognised
# after expansion; the repeated lines make compression worth its while.
placeholder() {
    local name=$1 lines=$2
    for i in $(seq "$lines"); do
        printf 'ZELMOX DEMO FILE %s line %03d - a placeholder, not a driver.\r\n' "$name" "$i"
    done >"$name"
}

placeholder UNIDRV.DLL 60
placeholder UNIDRVUI.DLL 40
placeholder UNIDRV.HLP 12
placeholder J71.GPD 30
placeholder J71.DLL 20
placeholder J71LASER.INI 5
placeholder J71COLOR.INI 5
placeholder J71NET.INI 5

# Compressed on the disk: written as NAME_ by mscompress, shipped under the bare name.
for name in UNIDRV.DLL UNIDRVUI.DLL J71.GPD J71COLOR.INI; do
    mscompress "$name"
    mv "${name}_" "$name"
done

# J71.DLL dates the driver: a fixed time, so regenerating changes nothing.
touch -d '2011-03-14 09:26:00 UTC' ./*

printf '%s\r\n' \
    '; Zelmox J71 printer family: demo setup information.' \
    '[Version]' \
    'Signature="$Windows NT$"' \
    'Class=Printer' \
    'Provider=%Zelmox%' \
    'DriverVer=03/14/2011,3.1.0.0' \
    '' \
    '[Manufacturer]' \
    '"Zelmox Systems"=ZelmoxSystems' \
    '' \
    '[ZelmoxSystems]' \
    '"Zelmox J71 Laser"=J71_LASER,ZELMOXJ71_LASER_0D3A' \
    '"Zelmox J71 Color"=J71_COLOR,ZELMOXJ71_COLOR_51B7' \
    '"Zelmox J71 Network"=J71_NET' \
    '' \
    '[J71_LASER]' \
    'CopyFiles=@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@J71.GPD,@J71.DLL,@J71LASER.INI' \
    'DataSection=UNIDRV_DATA' \
    '' \
    '[J71_COLOR]' \
    'CopyFiles=@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@J71.GPD,@J71.DLL,@J71COLOR.INI' \
    'DataSection=EMF_DATA' \
    '' \
    '[J71_NET]' \
    'CopyFiles=@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@J71.GPD,@J71.DLL,@J71NET.INI' \
    '' \
    '[UNIDRV_DATA]' \
    'DriverFile=UNIDRV.DLL' \
    'ConfigFile=UNIDRVUI.DLL' \
    'HelpFile=UNIDRV.HLP' \
    'DefaultDataType=RAW' \
    '' \
    '[EMF_DATA]' \
    'DriverFile=UNIDRV.DLL' \
    'ConfigFile=UNIDRVUI.DLL' \
    'HelpFile=UNIDRV.HLP' \
    'DefaultDataType=NT EMF 1.008' \
    '' \
    '[Strings]' \
    'Zelmox="Zelmox Systems"' >J71.INF
touch -d '2011-03-14 09:26:00 UTC' J71.INF
ls -l "$target"
