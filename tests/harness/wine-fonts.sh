#!/bin/bash
# Makes Wine's own fonts (package fonts-wine) visible in the prefix named by WINEPREFIX, by
# linking them into its C:\windows\Fonts. Run it once a prefix is booted, before the
# processes that are to see the fonts start a wineserver of their own (a running one keeps
# the font list it has cached).
#   WINEPREFIX=dir wine-fonts.sh
#   WINE_FONT_DIR=dir  where Wine's font files are (default /usr/share/wine/fonts)
#
# Debian's Wine 8 (8.0~repack-4) looks for them in "\??\Z:\usr\share\wine\../fonts": its
# font directory is computed relative to a data directory one level off, and an NT path
# with ".." in it opens nothing (STATUS_OBJECT_NAME_INVALID). So every prefix lacks Marlett,
# which draws the caption buttons (the close box comes out as the letter "r"), Tahoma
# ("MS Shell Dlg"), MS Sans Serif and the System font. C:\windows\Fonts is the other place
# Wine reads: it loads the scalable fonts there and finds the bitmap fonts the registry
# names (vgasys.fon, sserife.fon, ...) there first.
set -u

fonts=${WINE_FONT_DIR:-/usr/share/wine/fonts}
[ -n "${WINEPREFIX:-}" ] || { echo "wine-fonts.sh: WINEPREFIX is not set" >&2; exit 1; }
target=$WINEPREFIX/drive_c/windows/Fonts
[ -d "$target" ] || { echo "wine-fonts.sh: no $target (boot the prefix first)" >&2; exit 1; }
[ -f "$fonts/marlett.ttf" ] || { echo "wine-fonts.sh: no Wine fonts in $fonts (fonts-wine)" >&2; exit 1; }

# Links, not copies: copies of the prefix stay small and use the installed files.
for font in "$fonts"/*; do
    [ -e "$target/$(basename "$font")" ] || ln -s "$font" "$target/" || exit 1
done
exit 0
