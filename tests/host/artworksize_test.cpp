// The page artwork's size at the page's resolution.
#include "ui/artworksize.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

struct Scaled {
    int changed;
    long cx, cy;
};

Scaled Scale(long width, long height, FontUnits now, FontUnits at96) {
    Scaled s = {0, -1, -1};
    s.changed = ScaledArtworkSize(width, height, now, at96, &s.cx, &s.cy);
    return s;
}

// Arial 8 pt: 6 x 12 at 96 dpi; 8 x 15 at 120 (the width grows by a third, not a quarter,
// and the height by a quarter); 9 x 17 at 144.
TEST(ScaledArtworkSize, GrowsEachSideAsThePageDid) {
    Scaled at120 = Scale(497, 309, {8, 15}, {6, 12});
    EXPECT_EQ(1, at120.changed);
    EXPECT_EQ(663, at120.cx); // 662.67
    EXPECT_EQ(386, at120.cy); // 386.25
    Scaled at144 = Scale(497, 309, {9, 17}, {6, 12});
    EXPECT_EQ(746, at144.cx);                             // 745.5 rounds up
    EXPECT_EQ(438, at144.cy);                             // 437.75
    EXPECT_EQ(464, Scale(497, 309, {9, 18}, {6, 12}).cy); // 463.5 rounds up
}

TEST(ScaledArtworkSize, TheSameUnitsLeaveThePictureAlone) {
    Scaled same = Scale(497, 309, {6, 12}, {6, 12});
    EXPECT_EQ(0, same.changed);
    EXPECT_EQ(-1, same.cx) << "nothing written";
    // Units that differ too little to move a side by half a pixel.
    EXPECT_EQ(0, Scale(3, 3, {601, 1200}, {600, 1200}).changed);
    // One side alone may change.
    Scaled wider = Scale(497, 309, {8, 12}, {6, 12});
    EXPECT_EQ(1, wider.changed);
    EXPECT_EQ(309, wider.cy);
}

TEST(ScaledArtworkSize, ShrinksToo) {
    Scaled smaller = Scale(497, 309, {5, 10}, {6, 12});
    EXPECT_EQ(1, smaller.changed);
    EXPECT_EQ(414, smaller.cx); // 414.17
    EXPECT_EQ(258, smaller.cy); // 257.5
}

TEST(ScaledArtworkSize, NonsenseLeavesThePictureAlone) {
    const FontUnits base = {6, 12};
    for (FontUnits bad : {FontUnits{0, 12}, FontUnits{6, 0}, FontUnits{-6, 12}, FontUnits{6, -1},
                          FontUnits{LONG_MIN, LONG_MIN}}) {
        EXPECT_EQ(0, Scale(497, 309, bad, base).changed) << bad.x << " " << bad.y;
        EXPECT_EQ(0, Scale(497, 309, base, bad).changed) << bad.x << " " << bad.y;
    }
    EXPECT_EQ(0, Scale(0, 309, {8, 15}, base).changed);
    EXPECT_EQ(0, Scale(497, -1, {8, 15}, base).changed);
    // Eight times either way is the limit.
    EXPECT_EQ(1, Scale(497, 309, {48, 96}, base).changed);
    EXPECT_EQ(0, Scale(497, 309, {49, 96}, base).changed);
    EXPECT_EQ(0, Scale(497, 309, {6, 12}, {6, 97}).changed);
    // Sides beyond 32767 pixels are not made, nor do huge numbers overflow.
    EXPECT_EQ(1, Scale(4095, 4095, {48, 96}, base).changed);
    EXPECT_EQ(0, Scale(4096, 4096, {48, 96}, base).changed);
    EXPECT_EQ(
        0, Scale(LONG_MAX, LONG_MAX, {LONG_MAX, LONG_MAX}, {LONG_MAX / 2, LONG_MAX / 2}).changed);
}

TEST(UnitsFromLetters, HalfTheAverageLetterRoundedUp) {
    // 52 letters of Arial 8 pt at 96 dpi are 289 pixels: 11.1 / 2 -> 6.
    EXPECT_EQ(6, UnitsFromLetters(289, 12).x);
    EXPECT_EQ(12, UnitsFromLetters(289, 12).y);
    EXPECT_EQ(5, UnitsFromLetters(259, 12).x); // 9 / 2 + 1/2 -> 5
    EXPECT_EQ(4, UnitsFromLetters(233, 12).x); // 8 -> 4
    EXPECT_EQ(0, UnitsFromLetters(0, 12).x);
    EXPECT_EQ(0, UnitsFromLetters(289, 0).y);
    EXPECT_EQ(0, UnitsFromLetters(-5, 12).x);
}

} // namespace
