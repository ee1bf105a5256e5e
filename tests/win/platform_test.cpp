// The platform check on the Windows version the test prefix is set to (Windows 7).
#include <gtest/gtest.h>

#include "shell/session.h"

TEST(CheckPlatform, AcceptsWindows7AsTheFourthRow) {
    g_session.osIndex = -1;
    g_session.driverVersion = 0;
    ASSERT_EQ(1, CheckPlatform());
    EXPECT_EQ(3, g_session.osIndex);
    EXPECT_EQ(3, g_session.driverVersion);
    EXPECT_STREQ("J71.INF", OsTable[g_session.osIndex].infFileName);
    EXPECT_STREQ("ZelmoxSystems", OsTable[g_session.osIndex].vendorSection);
}
