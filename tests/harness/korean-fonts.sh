#!/bin/bash
# The font settings under which the Korean build's pages keep the metrics they have on
# Korean Windows, for the prefix named by WINEPREFIX:
#   WINEPREFIX=dir [WINE="wine command"] korean-fonts.sh
#     WINE  the Wine loader of the prefix, split at spaces (default /usr/lib/wine/wine64;
#           for a 32-bit prefix the 32-bit loader, /usr/lib/wine/wine)
# Sourced instead, it only defines korean_fonts, which takes the command that runs a Wine
# program in the prefix as its arguments (a shell function will do, such as common.sh's
# registry_file PREFIX, which writes the prefix's registry file itself):
#   . korean-fonts.sh; korean_fonts /usr/lib/wine/wine64
# Like every registry change, it takes effect in the next processes of the prefix.
#
# Why: the pages' font is "Arial" 8 pt, which the dialog manager asks for with
# DEFAULT_CHARSET. Wine looks for the face by name first; without an "Arial" it falls back
# to a face of the code page's character set, under code page 949 a Korean font, whose
# average width (7 pixels instead of 6) makes every page 583 pixels wide instead of 500.
# Korean Windows keeps Arial, and so its metrics, and draws Hangul from a linked font.
# These settings give the prefix the two faces that takes:
#   - "Arial" = Liberation Sans, made to Arial's metrics (fonts-liberation);
#   - "Gulim" = NanumGothic (fonts-nanum), the Korean face Wine's own defaults for code
#     page 949 link to: "MS Shell Dlg" is Gulim there, Tahoma, Microsoft Sans Serif and
#     Lucida Sans Unicode link to Gulim first, and under a double-byte code page every
#     face borrows the glyphs it lacks from Microsoft Sans Serif's links. So Arial, MS Sans
#     Serif and the rest draw Hangul with NanumGothic and keep their own metrics.
# Both are Wine's family replacements (HKCU\Software\Wine\Fonts\Replacements): a name that
# maps onto a whole family, unless a real face of that name is installed. They leave the
# faces of other code pages as they are, so English runs draw and measure the same.

korean_fonts() {
    local key='HKCU\Software\Wine\Fonts\Replacements'
    "$@" reg add "$key" /v Arial /d "Liberation Sans" /f >/dev/null 2>&1 &&
        "$@" reg add "$key" /v Gulim /d NanumGothic /f >/dev/null 2>&1
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -u
    [ -n "${WINEPREFIX:-}" ] || { echo "korean-fonts.sh: WINEPREFIX is not set" >&2; exit 1; }
    read -r -a wine <<<"${WINE:-/usr/lib/wine/wine64}"
    korean_fonts "${wine[@]}" || { echo "korean-fonts.sh: cannot set the fonts" >&2; exit 1; }
fi
