// Finding and removing an earlier installation, against Wine's real spooler; refusals
// the spooler never makes come through the test seams.
#include "install/install.h"
#include "res/resource.h"
#include "shell/session.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const char kX64[] = "Windows x64";
const char kX86[] = "Windows NT x86";

// Registers a driver without files (Wine accepts that) for one environment.
bool AddTestDriver(const char *name, const char *environment) {
    DRIVER_INFO_6A driver = {};
    driver.cVersion = 3;
    driver.pName = (LPSTR)name;
    driver.pEnvironment = (LPSTR)environment;
    driver.pDriverPath = (LPSTR) "UNIDRV.DLL";
    driver.pDataFile = (LPSTR) "J71.GPD";
    driver.pConfigFile = (LPSTR) "UNIDRVUI.DLL";
    return AddPrinterDriverA(NULL, 6, (LPBYTE)&driver) != FALSE;
}

bool AddTestPrinter(const char *name, const char *driverName) {
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = (LPSTR)name;
    printer.pPortName = (LPSTR) "LPT1:";
    printer.pDriverName = (LPSTR)driverName;
    printer.pPrintProcessor = (LPSTR) "WinPrint";
    printer.pDatatype = (LPSTR) "RAW";
    HANDLE handle = AddPrinterA(NULL, 2, (LPBYTE)&printer);
    if (!handle)
        return false;
    ClosePrinter(handle);
    return true;
}

bool PrinterExists(const char *name) {
    HANDLE handle;
    if (!OpenPrinterA((LPSTR)name, &handle, NULL))
        return false;
    ClosePrinter(handle);
    return true;
}

bool DriverExists(const char *name, const char *environment) {
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(NULL, (LPSTR)environment, 1, NULL, 0, &needed, &count);
    if (needed == 0)
        return false;
    std::vector<BYTE> block(needed);
    if (!EnumPrinterDriversA(NULL, (LPSTR)environment, 1, block.data(), needed, &needed, &count))
        return false;
    for (DWORD i = 0; i < count; i++)
        if (strcmp(((DRIVER_INFO_1A *)block.data())[i].pName, name) == 0)
            return true;
    return false;
}

class Removal : public ::testing::Test {
  protected:
    HWND page = NULL;
    HWND list = NULL;

    void SetUp() override {
        memset(&g_session, 0, sizeof g_session);
        g_session.environment = g_profile.environment;
        ASSERT_STREQ(g_session.environment, kX64);
        // The model page's list, as the removal operations find it.
        page = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
        list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_HASSTRINGS, 0, 0, 100, 100, page,
                               (HMENU)(INT_PTR)IDC_MODEL_LIST, NULL, NULL);
        ASSERT_TRUE(list);
    }

    void TearDown() override {
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
        DestroyWindow(page);
    }

    void Select(const char *model) {
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "Another model");
        LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)model);
        SendMessageA(list, LB_SETCURSEL, at, 0);
    }
};

} // namespace

TEST_F(Removal, InstalledDriverLetsTheModelPageDeleteThePrinter) {
    ASSERT_TRUE(AddTestDriver("Other driver", kX64));
    ASSERT_TRUE(AddTestDriver("J71 Installed", kX64));
    ASSERT_TRUE(AddTestPrinter("J71 Installed", "J71 Installed"));
    Select("J71 Installed");

    EXPECT_EQ(IsDriverInstalled(page), 1);
    EXPECT_STREQ(g_session.modelName, "J71 Installed");
    DeletePrinterOfModel(page);
    EXPECT_FALSE(PrinterExists("J71 Installed"));
    // The model page leaves the driver to the port page.
    EXPECT_TRUE(DriverExists("J71 Installed", kX64));
}

TEST_F(Removal, OnlyAnExactNameForTheBuildsEnvironmentCounts) {
    ASSERT_TRUE(AddTestDriver("J71 Elsewhere", kX86));
    ASSERT_TRUE(DriverExists("J71 Elsewhere", kX86));
    Select("J71 Elsewhere");
    EXPECT_EQ(IsDriverInstalled(page), 0);

    ASSERT_TRUE(AddTestDriver("J71 CASE", kX64));
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    Select("J71 Case");
    EXPECT_EQ(IsDriverInstalled(page), 0);
    EXPECT_STREQ(g_session.modelName, "J71 Case");

    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    Select("J71 Never Registered");
    EXPECT_EQ(IsDriverInstalled(page), 0);
}

TEST_F(Removal, NoSelectionLeavesEverything) {
    ASSERT_TRUE(AddTestDriver("J71 Kept", kX64));
    ASSERT_TRUE(AddTestPrinter("J71 Kept", "J71 Kept"));
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "J71 Kept");
    strcpy(g_session.modelName, "J71 Kept");
    EXPECT_EQ(IsDriverInstalled(page), 0);
    strcpy(g_session.modelName, "Before");
    EXPECT_EQ(IsDriverInstalled(page), 0);
    DeletePrinterOfModel(page);
    EXPECT_STREQ(g_session.modelName, "Before");
    EXPECT_TRUE(PrinterExists("J71 Kept"));
}

TEST_F(Removal, PrinterThatCannotBeDeletedStaysUnreported) {
    ASSERT_TRUE(AddTestDriver("J71 Held", kX64));
    ASSERT_TRUE(AddTestPrinter("J71 Held", "J71 Held"));
    Select("J71 Held");
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "DeletePrinter=5");
    DeletePrinterOfModel(page);
    EXPECT_TRUE(PrinterExists("J71 Held"));
    // A printer that does not exist: nothing to do.
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    Select("J71 No Printer");
    DeletePrinterOfModel(page);
}

TEST_F(Removal, WithoutAPrinterTheDriverStays) {
    ASSERT_TRUE(AddTestDriver("J71 Driver Only", kX64));
    strcpy(g_session.modelName, "J71 Driver Only");
    EXPECT_EQ(RemovePreviousInstallation(), 1);
    EXPECT_TRUE(DriverExists("J71 Driver Only", kX64));
}

TEST_F(Removal, PrinterAndDriverBothGo) {
    ASSERT_TRUE(AddTestDriver("J71 Both", kX64));
    ASSERT_TRUE(AddTestPrinter("J71 Both", "J71 Both"));
    strcpy(g_session.modelName, "J71 Both");
    EXPECT_EQ(RemovePreviousInstallation(), 1);
    EXPECT_FALSE(PrinterExists("J71 Both"));
    EXPECT_FALSE(DriverExists("J71 Both", kX64));
}

TEST_F(Removal, RefusedDriverDeletionFails) {
    ASSERT_TRUE(AddTestDriver("J71 In Use", kX64));
    ASSERT_TRUE(AddTestPrinter("J71 In Use", "J71 In Use"));
    strcpy(g_session.modelName, "J71 In Use");
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "DeletePrinterDriver=5");
    EXPECT_EQ(RemovePreviousInstallation(), 0);
    EXPECT_FALSE(PrinterExists("J71 In Use"));
    EXPECT_TRUE(DriverExists("J71 In Use", kX64));
}

TEST_F(Removal, RefusedPrinterDeletionFailsButTheDriverIsStillTried) {
    ASSERT_TRUE(AddTestDriver("J71 Busy", kX64));
    ASSERT_TRUE(AddTestPrinter("J71 Busy", "J71 Busy"));
    strcpy(g_session.modelName, "J71 Busy");
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "DeletePrinter=5");
    EXPECT_EQ(RemovePreviousInstallation(), 0);
    EXPECT_TRUE(PrinterExists("J71 Busy"));
    // Wine lets a driver in use go, which shows the driver deletion still ran.
    EXPECT_FALSE(DriverExists("J71 Busy", kX64));
}
