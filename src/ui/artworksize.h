// Arithmetic of the page artwork's size at the screen's resolution, free of the platform.
#pragma once

// A dialog font's base units in pixels: a quarter of x is one horizontal dialog unit, an
// eighth of y one vertical unit.
struct FontUnits {
    long x, y;
};

// The base units of a font as the dialog manager takes them: half the average width of
// the 52 Latin letters, rounded half up, and the font's height. {0, 0} when the width or
// the height is not positive.
FontUnits UnitsFromLetters(long lettersWidth, long height);

// ScaledArtworkSize: a picture of width x height pixels grown as the page it covers grew,
// each side by the page's base units now against those its font has at 96 dpi, rounded to
// the nearest pixel. Returns 1 with the new size when the picture must change, 0 when it
// keeps its own size: the same units, a size or units that are not positive or longer than
// 32767 pixels, a page grown or shrunk beyond eight times, or a side that would be longer
// than 32767 pixels.
int ScaledArtworkSize(long width, long height, FontUnits now, FontUnits at96, long *scaledWidth,
                      long *scaledHeight);
