// The platform check on the Windows version the test prefix is set to (Windows 7).
#include <gtest/gtest.h>

#include "shell/session.h"

#include <stdio.h>

TEST(CheckPlatform, AcceptsWindows7AsTheFourthRow) {
    g_session.osIndex = -1;
    g_session.driverVersion = 0;
    ASSERT_EQ(1, CheckPlatform());
    EXPECT_EQ(3, g_session.osIndex);
    EXPECT_EQ(3, g_session.driverVersion);
    EXPECT_STREQ("J71.INF", OsTable[g_session.osIndex].infFileName);
    EXPECT_STREQ("ZelmoxSystems", OsTable[g_session.osIndex].vendorSection);
}

// A 32-bit program on 64-bit Windows (WoW64, which no Wine here makes for it) is refused;
// the test itself runs natively, as IsWow64Process looked up at run time says.
TEST(CheckPlatform, RefusesA32BitProgramOn64BitWindows) {
    EXPECT_EQ(0, RunsUnderWow64());
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "Wow64=1");
    int accepted = CheckPlatform();
    SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
    EXPECT_EQ(0, accepted);
    EXPECT_EQ(1, CheckPlatform());
}

// The wizard tells the system it draws itself at the screen's resolution. Wine makes every
// process DPI-aware by itself unless HKCU\Control Panel\Desktop DpiScalingVer is set (as
// Windows 7 sets it); so a second run of this test, started with it set, begins unaware
// and must be aware after the call.
TEST(DeclareDpiAware, MakesTheProcessDpiAware) {
    char child[8] = "";
    if (GetEnvironmentVariableA("DPIAWARE_CHILD", child, sizeof child)) {
        EXPECT_FALSE(IsProcessDPIAware()) << "the process was aware before the call";
        DeclareDpiAware();
        EXPECT_TRUE(IsProcessDPIAware());
        return;
    }
    HKEY desktop;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0,
                                           KEY_SET_VALUE, &desktop));
    DWORD scaling = 0x1000;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(desktop, "DpiScalingVer", 0, REG_DWORD,
                                            (const BYTE *)&scaling, sizeof scaling));
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    char line[2 * MAX_PATH];
    snprintf(line, sizeof line, "\"%s\" --gtest_filter=DeclareDpiAware.*", self);
    SetEnvironmentVariableA("DPIAWARE_CHILD", "1");
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process);
    SetEnvironmentVariableA("DPIAWARE_CHILD", NULL);
    DWORD code = 1;
    if (started) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    RegDeleteValueA(desktop, "DpiScalingVer");
    RegCloseKey(desktop);
    ASSERT_TRUE(started);
    EXPECT_EQ(0u, code) << "the second run found the process unaware after the call";
}
