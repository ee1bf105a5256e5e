// Arithmetic of the page artwork's size.
#include "ui/artworksize.h"

// The largest factor either way a page may have grown by; beyond it the units are taken
// for nonsense and the picture is left as it is.
static const long long kLargestFactor = 8;
// The longest side a scaled picture may have, in pixels (the platform's coordinates are
// 16-bit in places); a longer one is not made.
static const long long kLongestSide = 32767;

FontUnits UnitsFromLetters(long lettersWidth, long height) {
    if (lettersWidth <= 0 || height <= 0)
        return {0, 0};
    return {(lettersWidth / 26 + 1) / 2, height};
}

// One side: size * now / at96 rounded half up, as the platform's MulDiv does for
// positive numbers; 0 when a number, the factor or the result is out of bounds. Sizes and
// units beyond the longest side are nonsense, which also keeps every product small.
static long ScaleSide(long size, long now, long at96) {
    if (size <= 0 || now <= 0 || at96 <= 0 || size > kLongestSide || now > kLongestSide ||
        at96 > kLongestSide)
        return 0;
    if (now > at96 * kLargestFactor || now * kLargestFactor < at96)
        return 0;
    long long scaled = ((long long)size * now + at96 / 2) / at96;
    return scaled <= kLongestSide ? (long)scaled : 0;
}

int ScaledArtworkSize(long width, long height, FontUnits now, FontUnits at96, long *scaledWidth,
                      long *scaledHeight) {
    long cx = ScaleSide(width, now.x, at96.x);
    long cy = ScaleSide(height, now.y, at96.y);
    if (cx <= 0 || cy <= 0 || (cx == width && cy == height))
        return 0;
    *scaledWidth = cx;
    *scaledHeight = cy;
    return 1;
}
