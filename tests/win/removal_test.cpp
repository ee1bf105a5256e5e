// Finding and removing an earlier installation, against Wine's real spooler; refusals
// the spooler never makes come through the test seams.
#include "install/install.h"
#include "install/report.h"
#include "res/resource.h"
#include "shell/log.h"
#include "shell/session.h"
#include "win/dialog_driver.h"
#include "win/session_fixture.h"
#include "win/spooler_fixture.h"

#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const char kX64[] = "Windows x64";
const char kX86[] = "Windows NT x86";

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
        CloseLog();
        if (!logPath.empty())
            DeleteFileA(logPath.c_str());
    }

    // What the operations asked of the spooler, as their log lines tell it: Windows and
    // Wine differ in what they grant, never in what was asked.
    std::string logPath;
    void StartLog() {
        logPath = fixture::TempFolderName("removal") + ".log";
        ASSERT_TRUE(OpenLog(logPath.c_str()));
    }
    std::string Asked() {
        CloseLog();
        return fixture::ReadBytes(logPath);
    }

    void Select(const char *model) {
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "Another model");
        LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)model);
        SendMessageA(list, LB_SETCURSEL, at, 0);
    }
};

} // namespace

// The model page asks for the printer to be deleted through a handle opened with the
// spooler's default access. Windows grants no deletion on such a handle and Wine does, so
// only the asking is checked here; the port page's removal, with full access, is what
// removes the printer on both.
TEST_F(Removal, InstalledDriverLetsTheModelPageAskForThePrinterToGo) {
    ASSERT_TRUE(spool::AddTestDriver("Other driver", kX64));
    ASSERT_TRUE(spool::AddTestDriver("J71 Installed", kX64));
    ASSERT_TRUE(spool::AddPrinterOn("J71 Installed", "J71 Installed", "LPT1:"));
    Select("J71 Installed");
    ASSERT_NO_FATAL_FAILURE(StartLog());

    EXPECT_EQ(IsDriverInstalled(page), 1);
    EXPECT_STREQ(g_session.modelName, "J71 Installed");
    DeletePrinterOfModel(page);
    std::string asked = Asked();
    EXPECT_NE(asked.find("OpenPrinter \"J71 Installed\" (default access): ok"), std::string::npos)
        << asked;
    EXPECT_NE(asked.find("DeletePrinter \"J71 Installed\": "), std::string::npos) << asked;
    // The model page leaves the driver to the port page.
    EXPECT_EQ(asked.find("DeletePrinterDriver"), std::string::npos) << asked;
    EXPECT_TRUE(spool::DriverExists("J71 Installed", kX64));
}

TEST_F(Removal, OnlyAnExactNameForTheBuildsEnvironmentCounts) {
    ASSERT_TRUE(spool::AddTestDriver("J71 Elsewhere", kX86));
    ASSERT_TRUE(spool::DriverExists("J71 Elsewhere", kX86));
    Select("J71 Elsewhere");
    EXPECT_EQ(IsDriverInstalled(page), 0);

    ASSERT_TRUE(spool::AddTestDriver("J71 CASE", kX64));
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    Select("J71 Case");
    EXPECT_EQ(IsDriverInstalled(page), 0);
    EXPECT_STREQ(g_session.modelName, "J71 Case");

    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    Select("J71 Never Registered");
    EXPECT_EQ(IsDriverInstalled(page), 0);
}

TEST_F(Removal, NoSelectionLeavesEverything) {
    ASSERT_TRUE(spool::AddTestDriver("J71 Kept", kX64));
    ASSERT_TRUE(spool::AddPrinterOn("J71 Kept", "J71 Kept", "LPT1:"));
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "J71 Kept");
    strcpy(g_session.modelName, "J71 Kept");
    EXPECT_EQ(IsDriverInstalled(page), 0);
    strcpy(g_session.modelName, "Before");
    EXPECT_EQ(IsDriverInstalled(page), 0);
    DeletePrinterOfModel(page);
    EXPECT_STREQ(g_session.modelName, "Before");
    EXPECT_TRUE(spool::PrinterExists("J71 Kept"));
}

// Any window the operation shows on this thread while it runs, answered with Escape so
// that a box cannot hang the test; returns the captions seen.
static std::vector<std::string> WindowsShownBy(const std::function<void()> &operation) {
    static std::vector<std::string> seen;
    seen.clear();
    drive::WhileAnswering(
        [&] {
            operation();
            return (INT_PTR)0;
        },
        [](DWORD thread) {
            HWND shown = NULL;
            EnumThreadWindows(
                thread,
                [](HWND window, LPARAM found) -> BOOL {
                    if (!IsWindowVisible(window))
                        return TRUE;
                    *(HWND *)found = window;
                    return FALSE;
                },
                (LPARAM)&shown);
            return shown;
        },
        [](HWND shown) {
            seen.push_back(drive::WindowText(shown));
            drive::Escape(shown);
            PostMessageA(shown, WM_CLOSE, 0, 0);
        });
    return seen;
}

TEST_F(Removal, PrinterThatCannotBeDeletedStaysUnreported) {
    ASSERT_TRUE(spool::AddTestDriver("J71 Held", kX64));
    ASSERT_TRUE(spool::AddPrinterOn("J71 Held", "J71 Held", "LPT1:"));
    Select("J71 Held");
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "DeletePrinter=5");
    ASSERT_NO_FATAL_FAILURE(StartLog());
    std::vector<std::string> shown = WindowsShownBy([&] { DeletePrinterOfModel(page); });
    std::string asked = Asked();
    EXPECT_TRUE(spool::PrinterExists("J71 Held"));
    // The refusal happened, and nothing was shown of it.
    EXPECT_NE(asked.find("DeletePrinter \"J71 Held\": failed, error 5"), std::string::npos)
        << asked;
    EXPECT_TRUE(shown.empty()) << "shown: " << shown.front();
    EXPECT_STREQ(g_session.modelName, "J71 Held");

    // A printer that does not exist: nothing to do, nothing shown, nothing deleted.
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    Select("J71 No Printer");
    ASSERT_NO_FATAL_FAILURE(StartLog());
    shown = WindowsShownBy([&] { DeletePrinterOfModel(page); });
    asked = Asked();
    EXPECT_NE(asked.find("OpenPrinter \"J71 No Printer\" (default access): failed"),
              std::string::npos)
        << asked;
    EXPECT_EQ(asked.find("DeletePrinter "), std::string::npos) << asked;
    EXPECT_TRUE(shown.empty()) << "shown: " << shown.front();
    EXPECT_TRUE(spool::PrinterExists("J71 Held"));
}

TEST_F(Removal, WithoutAPrinterTheDriverStays) {
    ASSERT_TRUE(spool::AddTestDriver("J71 Driver Only", kX64));
    strcpy(g_session.modelName, "J71 Driver Only");
    EXPECT_EQ(RemovePreviousInstallation(), 1);
    EXPECT_TRUE(spool::DriverExists("J71 Driver Only", kX64));
}

TEST_F(Removal, PrinterAndDriverBothGo) {
    ASSERT_TRUE(spool::AddTestDriver("J71 Both", kX64));
    ASSERT_TRUE(spool::AddPrinterOn("J71 Both", "J71 Both", "LPT1:"));
    strcpy(g_session.modelName, "J71 Both");
    EXPECT_EQ(RemovePreviousInstallation(), 1);
    EXPECT_FALSE(spool::PrinterExists("J71 Both"));
    EXPECT_FALSE(spool::DriverExists("J71 Both", kX64));
}

TEST_F(Removal, RefusedDriverDeletionFails) {
    ASSERT_TRUE(spool::AddTestDriver("J71 In Use", kX64));
    ASSERT_TRUE(spool::AddPrinterOn("J71 In Use", "J71 In Use", "LPT1:"));
    strcpy(g_session.modelName, "J71 In Use");
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "DeletePrinterDriver=5");
    EXPECT_EQ(RemovePreviousInstallation(), 0);
    EXPECT_FALSE(spool::PrinterExists("J71 In Use"));
    EXPECT_TRUE(spool::DriverExists("J71 In Use", kX64));
}

TEST_F(Removal, RefusedPrinterDeletionFailsButTheDriverIsStillTried) {
    ASSERT_TRUE(spool::AddTestDriver("J71 Busy", kX64));
    ASSERT_TRUE(spool::AddPrinterOn("J71 Busy", "J71 Busy", "LPT1:"));
    strcpy(g_session.modelName, "J71 Busy");
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "DeletePrinter=5");
    ASSERT_NO_FATAL_FAILURE(StartLog());
    EXPECT_EQ(RemovePreviousInstallation(), 0);
    EXPECT_TRUE(spool::PrinterExists("J71 Busy"));
    // Whether a driver still in use may go is the spooler's to decide (Windows refuses,
    // Wine lets it); the deletion is asked for all the same.
    std::string asked = Asked();
    EXPECT_NE(asked.find("DeletePrinter \"J71 Busy\": failed, error 5"), std::string::npos)
        << asked;
    EXPECT_NE(asked.find("DeletePrinterDriver \"J71 Busy\" for Windows x64: "), std::string::npos)
        << asked;
}

// The wizard's wait for a driver that a deleted printer still holds: its windows answer
// what is sent to them meanwhile, with the mouse captured under the wait cursor.
TEST_F(Removal, TheWizardsWaitForAHeldDriverKeepsAnswering) {
    ASSERT_TRUE(spool::AddTestDriver("J71 Held Driver", kX64));
    ASSERT_TRUE(spool::AddPrinterOn("J71 Held Driver", "J71 Held Driver", "LPT1:"));
    strcpy(g_session.modelName, "J71 Held Driver");
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "DeletePrinterDriver=3001*8");
    ShowWindow(page, SW_SHOW);
    SetActiveWindow(page);
    static struct { int answered, waitCursor, captured; } seen;
    seen = {};
    SetWindowLongPtrA(
        page, GWLP_WNDPROC, (LONG_PTR)(WNDPROC)[](HWND window, UINT message, WPARAM w, LPARAM l) {
            if (message != WM_APP)
                return DefWindowProcA(window, message, w, l);
            seen.answered++;
            seen.waitCursor += GetCursor() == LoadCursorA(NULL, IDC_WAIT);
            seen.captured += GetCapture() == window;
            return (LRESULT)0;
        });
    HANDLE asker = CreateThread(
        NULL, 0,
        [](void *window) -> DWORD {
            Sleep(600);
            DWORD_PTR result;
            SendMessageTimeoutA((HWND)window, WM_APP, 0, 0, SMTO_BLOCK, 1000, &result);
            return 0;
        },
        page, 0, NULL);
    g_reporter = &g_wizardReporter;
    EXPECT_EQ(RemoveBeforeCopy(), 1);
    WaitForSingleObject(asker, INFINITE);
    CloseHandle(asker);
    EXPECT_EQ(seen.answered, 1) << "a message sent during the wait was not answered in time";
    EXPECT_EQ(seen.waitCursor, 1);
    EXPECT_EQ(seen.captured, 1);
    EXPECT_EQ(GetCapture(), (HWND)NULL) << "the capture is released after the wait";
}
