// Percentage and split of the copy page's progress bar.
#include "install/progress.h"

#include <climits>

#include <gtest/gtest.h>

TEST(CopyPercent, ThreeFilesRoundToNearest) {
    EXPECT_EQ(0, CopyPercent(0, 3));
    EXPECT_EQ(33, CopyPercent(1, 3));
    EXPECT_EQ(67, CopyPercent(2, 3));
    EXPECT_EQ(100, CopyPercent(3, 3));
}

TEST(CopyPercent, HalvesRoundUp) {
    EXPECT_EQ(100, CopyPercent(199, 200)); // 99.5
    EXPECT_EQ(1, CopyPercent(1, 200));     // 0.5
    EXPECT_EQ(0, CopyPercent(1, 201));     // 0.4975...
    EXPECT_EQ(50, CopyPercent(1, 2));
}

TEST(CopyPercent, FollowsThePlatformOutsideTheUsualRange) {
    EXPECT_EQ(-1, CopyPercent(0, 0));
    EXPECT_EQ(-1, CopyPercent(5, 0));
    EXPECT_EQ(-1, CopyPercent(-1, 200)); // -0.5 rounds away from zero
    EXPECT_EQ(-50, CopyPercent(1, -2));
    EXPECT_EQ(-1, CopyPercent(INT_MAX, 1)); // out of range
    EXPECT_EQ(100, CopyPercent(INT_MAX, INT_MAX));
}

TEST(ProgressSplit, HalfOfA201PixelBar) {
    EXPECT_EQ(100, ProgressSplit(50, 0, 201));
    EXPECT_EQ(200, ProgressSplit(50, 100, 301));
}

TEST(ProgressSplit, FullBarEndsAtTheRightEdge) {
    EXPECT_EQ(301, ProgressSplit(100, 100, 301));
    EXPECT_EQ(7, ProgressSplit(100, 7, 7));
    EXPECT_EQ(100, ProgressSplit(0, 100, 301));
}

// The double product times 0.01 never falls a pixel short of the exact quotient for
// the percentages and widths a bar can have.
TEST(ProgressSplit, DoubleRuleEqualsExactQuotient) {
    for (int p = 0; p < 100; p++)
        for (int width = 0; width < 65536; width++)
            ASSERT_EQ(p * width / 100, ProgressSplit(p, 0, width)) << p << " " << width;
}

TEST(ProgressSplit, KeepsOnlyTheLow16Bits) {
    // 99 * 70000 / 100 = 69300 wraps to 3764.
    EXPECT_EQ(10 + 3764, ProgressSplit(99, 10, 70010));
}
