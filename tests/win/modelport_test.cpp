// The model and port pages opened from their real templates over a real INF file and
// Wine's real spooler, driven by posted messages from a second thread. The driving
// thread only records what it sees; the checks run on the test's own thread.
#include "install/install.h"
#include "res/resource.h"
#include "setupinfo/setupinfo.h"
#include "shell/session.h"
#include "ui/pages.h"
#include "e2e/windows_or_wine.h"
#include "win/dialog_driver.h"
#include "win/session_fixture.h"
#include "win/spooler_fixture.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const char kInf[] = "[ZelmoxSystems]\r\n"
                    "\"J71 Laser\"=J71LASER,USBPRINT\\ZelmoxJ71_Laser\r\n"
                    "\"J71 Color\"=J71COLOR\r\n"
                    "\"J71 Mono\"=J71LASER\r\n"
                    "[J71LASER]\r\n"
                    "CopyFiles=@J71.GPD,@UNIDRV.DLL\r\n"
                    "DataSection=DATA\r\n"
                    "[DATA]\r\n"
                    "DefaultDataType=NT EMF 1.008\r\n"
                    "[J71COLOR]\r\n"
                    "CopyFiles=COLOR.GPD\r\n";

// What the driving thread saw of a page and its messages.
struct Seen {
    bool found = false;
    std::string caption;
    std::vector<std::string> entries;
    LRESULT selected = -2;
    LRESULT itemHeight = 0;
    bool focusInList = false;
    std::vector<std::string> messages; // "caption|text" of each message dialog
    bool openAfterNotification = false;
    bool openAfterWarning = false;
    bool openAfterNo = false;
    bool rescued = false;
};

Seen g_seen;

// A top-level window of the thread with this exact caption (the system message box).
HWND FindWindowTitled(DWORD thread, const char *title) {
    struct Search {
        const char *title;
        HWND found;
    } search = {title, NULL};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM param) -> BOOL {
            Search *search = (Search *)param;
            if (IsWindowVisible(window) && drive::WindowText(window) == search->title) {
                search->found = window;
                return FALSE;
            }
            return TRUE;
        },
        (LPARAM)&search);
    return search.found;
}

// Waits until no message dialog of the thread is open.
void WaitForMessageToClose(DWORD thread) {
    for (int i = 0; i < 250 && drive::FindDialogWithControl(thread, IDC_MSG_TEXT); i++)
        Sleep(20);
}

// Reads the open message dialog, records it and presses `button`.
bool AnswerMessage(DWORD thread, int button) {
    HWND box = drive::WaitForDialog(thread, IDC_MSG_TEXT);
    if (!box)
        return false;
    g_seen.messages.push_back(drive::WindowText(box) + "|" + drive::ControlText(box, IDC_MSG_TEXT));
    drive::Press(box, button);
    WaitForMessageToClose(thread);
    return true;
}

// Reads the page's list, selection and focus.
void ReadPage(DWORD thread, HWND page, int listId) {
    g_seen.found = true;
    g_seen.caption = drive::WindowText(page);
    HWND list = GetDlgItem(page, listId);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        char text[1024] = "";
        SendMessageA(list, LB_GETTEXT, i, (LPARAM)text);
        g_seen.entries.push_back(text);
    }
    g_seen.selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    g_seen.itemHeight = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(thread, &info);
    g_seen.focusInList = info.hwndFocus == list;
}

// Ends whatever is still open once the page has had time to close by itself, so that a
// step that went wrong fails the test instead of hanging it.
void Rescue(DWORD thread, HWND page) {
    for (int i = 0; i < 150 && IsWindow(page); i++)
        Sleep(20);
    if (!IsWindow(page))
        return;
    g_seen.rescued = true;
    for (int i = 0; i < 100 && IsWindow(page); i++) {
        if (HWND box = drive::FindDialogWithControl(thread, IDC_MSG_TEXT))
            drive::Press(box, IDYES);
        else if (HWND system = FindWindowTitled(thread, g_profile.removalFailedCaption))
            drive::Press(system, IDOK);
        else
            drive::Press(page, IDCANCEL);
        Sleep(50);
    }
}

// Port management through the local port monitor, as an infrared driver would do it.
bool LocalPortCommand(const wchar_t *command, const wchar_t *port) {
    HANDLE monitor;
    PRINTER_DEFAULTSW defaults = {NULL, NULL, SERVER_ACCESS_ADMINISTER};
    if (!OpenPrinterW((LPWSTR)L",XcvMonitor Local Port", &monitor, &defaults))
        return false;
    DWORD needed = 0, status = 0;
    BOOL done = XcvDataW(monitor, command, (BYTE *)port, (DWORD)(wcslen(port) + 1) * 2, NULL, 0,
                         &needed, &status);
    ClosePrinter(monitor);
    return done && status == ERROR_SUCCESS;
}

std::vector<std::string> SpoolerPorts() {
    DWORD needed = 0, count = 0;
    EnumPortsA(NULL, 1, NULL, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    std::vector<std::string> ports;
    if (needed && EnumPortsA(NULL, 1, block.data(), needed, &needed, &count))
        for (DWORD i = 0; i < count; i++)
            ports.push_back(((PORT_INFO_1A *)block.data())[i].pName);
    return ports;
}

class Pages : public ::testing::Test {
  protected:
    char folder[MAX_PATH] = "";
    HWND owner = NULL;

    void SetUp() override {
        memset(&g_session, 0, sizeof g_session);
        g_session.environment = g_profile.environment;
        g_session.driverVersion = 3;
        g_instance = GetModuleHandleA(NULL);
        g_seen = Seen();
        ASSERT_NO_FATAL_FAILURE(fixture::MakeInfFolder(folder, "pages"));
        // A hidden desktop-sized owner, as the main window is.
        owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN), NULL, NULL, NULL, NULL);
        ASSERT_TRUE(owner);
    }

    void TearDown() override {
        EXPECT_FALSE(g_seen.rescued) << "the page stayed open and had to be closed";
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
        DestroyWindow(owner);
        DeleteFileA(g_session.infPath);
        RemoveDirectoryA(folder);
    }

    void WriteInf(const char *text) {
        FILE *file = fopen(g_session.infPath, "wb");
        ASSERT_TRUE(file);
        fputs(text, file);
        fclose(file);
    }

    INT_PTR ModelPage(const std::function<void(DWORD, HWND)> &drive) {
        HWND owner = this->owner;
        return drive::WhileDriving([owner] { return (INT_PTR)RunModelPage(owner); },
                                   [&drive](DWORD thread) {
                                       HWND page = drive::WaitForDialog(thread, IDC_MODEL_LIST);
                                       if (!page)
                                           return;
                                       ReadPage(thread, page, IDC_MODEL_LIST);
                                       drive(thread, page);
                                       Rescue(thread, page);
                                   });
    }

    INT_PTR PortPage(const std::function<void(DWORD, HWND)> &drive) {
        HWND owner = this->owner;
        return drive::WhileDriving([owner] { return (INT_PTR)RunPortPage(owner); },
                                   [&drive](DWORD thread) {
                                       HWND page = drive::WaitForDialog(thread, IDC_PORT_LIST);
                                       if (!page)
                                           return;
                                       ReadPage(thread, page, IDC_PORT_LIST);
                                       drive(thread, page);
                                       Rescue(thread, page);
                                   });
    }
};

using V = std::vector<std::string>;

} // namespace

TEST_F(Pages, ModelPageOpensOnTheFirstModel) {
    WriteInf(kInf);
    INT_PTR result = ModelPage([](DWORD, HWND page) {
        // A double click's notification is not a command the page acts on.
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_MODEL_LIST, LBN_DBLCLK),
                     (LPARAM)GetDlgItem(page, IDC_MODEL_LIST));
        // Nor is anything whose upper half is not zero, whatever its identifier.
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_NEXT, 1), 0);
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_BACK, BN_DOUBLECLICKED), 0);
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDCANCEL, 1), 0);
        Sleep(200);
        g_seen.openAfterNotification = IsWindowVisible(page);
        drive::Press(page, IDC_BACK);
    });
    EXPECT_EQ(result, IDC_BACK);
    ASSERT_TRUE(g_seen.found);
    EXPECT_EQ(g_seen.caption, "Zelmox Printer Driver Install Wizard");
    EXPECT_EQ(g_seen.entries, (V{"J71 Laser", "J71 Color", "J71 Mono"}));
    EXPECT_EQ(g_seen.selected, 0);
    EXPECT_TRUE(g_seen.focusInList);
    EXPECT_EQ(g_seen.itemHeight, 34);
    EXPECT_TRUE(g_seen.openAfterNotification);
    // Back reads nothing.
    EXPECT_STREQ(g_session.modelName, "");
    EXPECT_EQ(g_session.fileCount, 0);
    EXPECT_EQ(g_seen.messages, V{});
}

TEST_F(Pages, ModelPageNextReadsTheChosenModel) {
    WriteInf(kInf);
    INT_PTR result = ModelPage([](DWORD, HWND page) {
        SendDlgItemMessageA(page, IDC_MODEL_LIST, LB_SETCURSEL, 2, 0);
        drive::Press(page, IDC_NEXT);
    });
    EXPECT_EQ(result, IDC_NEXT);
    EXPECT_STREQ(g_session.modelName, "J71 Mono");
    EXPECT_EQ(g_session.fileCount, 2);
    EXPECT_EQ(memcmp(g_session.copyList, "J71.GPD\0UNIDRV.DLL\0\0", 20), 0);
    EXPECT_STREQ(g_session.defaultDataType, "NT EMF 1.008");
    EXPECT_NE(g_session.driverDirectory[0], '\0');

    // Opened again, the page starts from the first model whatever was chosen before.
    result = ModelPage([](DWORD, HWND page) { drive::Press(page, IDC_BACK); });
    EXPECT_EQ(g_seen.selected, 0);
    EXPECT_STREQ(g_session.modelName, "J71 Mono");
}

TEST_F(Pages, ModelPageEnterActsAsNext) {
    WriteInf(kInf);
    INT_PTR result = ModelPage([](DWORD, HWND page) {
        HWND list = GetDlgItem(page, IDC_MODEL_LIST);
        PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(list, WM_KEYUP, VK_RETURN, 0xC0000001);
    });
    EXPECT_EQ(result, IDC_NEXT);
    EXPECT_STREQ(g_session.modelName, "J71 Laser");
}

TEST_F(Pages, ModelPageWarnsWithoutASelectionAndOnlyYesCancels) {
    WriteInf(kInf);
    INT_PTR result = ModelPage([](DWORD thread, HWND page) {
        SendDlgItemMessageA(page, IDC_MODEL_LIST, LB_SETCURSEL, (WPARAM)-1, 0);
        drive::Press(page, IDC_NEXT);
        if (!AnswerMessage(thread, IDOK))
            return;
        g_seen.openAfterWarning = IsWindowVisible(page);
        drive::Press(page, IDCANCEL);
        if (!AnswerMessage(thread, IDNO))
            return;
        g_seen.openAfterNo = IsWindowVisible(page);
        // Esc asks too.
        PostMessageA(GetDlgItem(page, IDC_MODEL_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
        AnswerMessage(thread, IDYES);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(g_seen.messages,
              (V{"Warinig|Select printer model to install.",
                 "Question|Are you sure you want to cancel TQL driver installation?",
                 "Question|Are you sure you want to cancel TQL driver installation?"}));
    EXPECT_TRUE(g_seen.openAfterWarning);
    EXPECT_TRUE(g_seen.openAfterNo);
    EXPECT_STREQ(g_session.modelName, "");
}

TEST_F(Pages, ModelPageWithoutSetupInformation) {
    // No file at all: an empty list, no selection, Next warns and Back leads away.
    INT_PTR result = ModelPage([](DWORD thread, HWND page) {
        drive::Press(page, IDC_NEXT);
        AnswerMessage(thread, IDOK);
        drive::Press(page, IDC_BACK);
    });
    EXPECT_EQ(result, IDC_BACK);
    EXPECT_EQ(g_seen.entries, V{});
    EXPECT_EQ(g_seen.selected, LB_ERR);
    EXPECT_EQ(g_seen.messages, V{"Warinig|Select printer model to install."});
}

TEST_F(Pages, ModelPageNextDeletesThePrinterOfAnInstalledDriver) {
    WriteInf(kInf);
    ASSERT_TRUE(spool::AddTestDriver("J71 Laser"));
    ASSERT_TRUE(spool::AddPrinterOn("J71 Laser", "J71 Laser", "LPT1:"));
    // A printer of the second model's name on a driver of another name stays.
    ASSERT_TRUE(spool::AddTestDriver("J71 Other"));
    ASSERT_TRUE(spool::AddPrinterOn("J71 Other", "J71 Other", "LPT1:"));
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = (LPSTR) "J71 Color";
    printer.pPortName = (LPSTR) "LPT1:";
    printer.pDriverName = (LPSTR) "J71 Other";
    printer.pPrintProcessor = (LPSTR) "WinPrint";
    printer.pDatatype = (LPSTR) "RAW";
    HANDLE handle = AddPrinterA(NULL, 2, (LPBYTE)&printer);
    ASSERT_TRUE(handle) << GetLastError();
    ClosePrinter(handle);

    EXPECT_EQ(ModelPage([](DWORD, HWND page) { drive::Press(page, IDC_NEXT); }), IDC_NEXT);
    // The page deletes through a handle of the spooler's default access: Windows refuses
    // that and the printer stays (the port page's removal takes it), Wine grants it.
    EXPECT_TRUE(WindowsOrWine(spool::PrinterExists("J71 Laser"), true, false));

    EXPECT_EQ(ModelPage([](DWORD, HWND page) {
                  SendDlgItemMessageA(page, IDC_MODEL_LIST, LB_SETCURSEL, 1, 0);
                  drive::Press(page, IDC_NEXT);
              }),
              IDC_NEXT);
    EXPECT_STREQ(g_session.modelName, "J71 Color");
    EXPECT_TRUE(spool::PrinterExists("J71 Color"));
}

TEST_F(Pages, PortPagePrefersCom1WithoutAnInfraredPort) {
    strcpy(g_session.portName, "Earlier");
    INT_PTR result = PortPage([](DWORD, HWND page) { drive::Press(page, IDC_BACK); });
    EXPECT_EQ(result, IDC_BACK);
    V ports = SpoolerPorts();
    EXPECT_EQ(g_seen.entries, ports);
    ASSERT_GE(g_seen.selected, 0);
    ASSERT_LT(g_seen.selected, (LRESULT)ports.size());
    EXPECT_EQ(g_seen.entries[g_seen.selected], "COM1:");
    EXPECT_TRUE(g_seen.focusInList);
    EXPECT_EQ(g_seen.itemHeight, 34);
    EXPECT_EQ(g_seen.caption, "Zelmox Printer Driver Install Wizard");
    EXPECT_STREQ(g_session.portName, "Earlier");
}

TEST_F(Pages, PortPagePrefersAnInfraredPort) {
    ASSERT_TRUE(LocalPortCommand(L"AddPort", L"IR:"));
    INT_PTR result = PortPage([](DWORD, HWND page) { drive::Press(page, IDC_NEXT); });
    LocalPortCommand(L"DeletePort", L"IR:");
    EXPECT_EQ(result, IDC_NEXT);
    ASSERT_GE(g_seen.selected, 0);
    EXPECT_EQ(g_seen.entries[g_seen.selected], "IR:");
    // COM1: stands before IR: in the spooler's order, yet IR: is chosen.
    EXPECT_EQ(g_seen.entries[0], "COM1:");
    EXPECT_STREQ(g_session.portName, "IR:");
}

TEST_F(Pages, PortPageWarnsWithoutASelectionThenStoresThePort) {
    strcpy(g_session.modelName, "J71 Nowhere");
    INT_PTR result = PortPage([](DWORD thread, HWND page) {
        HWND list = GetDlgItem(page, IDC_PORT_LIST);
        SendMessageA(list, LB_SETCURSEL, (WPARAM)-1, 0);
        drive::Press(page, IDC_NEXT);
        if (!AnswerMessage(thread, IDOK))
            return;
        g_seen.openAfterWarning = IsWindowVisible(page);
        LRESULT lpt1 = SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "LPT1:");
        SendMessageA(list, LB_SETCURSEL, lpt1, 0);
        drive::Press(page, IDC_NEXT);
    });
    EXPECT_EQ(result, IDC_NEXT);
    EXPECT_EQ(g_seen.messages, V{"Warinig|Select printer port to connect."});
    EXPECT_TRUE(g_seen.openAfterWarning);
    EXPECT_STREQ(g_session.portName, "LPT1:");
}

TEST_F(Pages, PortPageEndsWhenTheEarlierDriverCannotGo) {
    ASSERT_TRUE(spool::AddTestDriver("J71 Laser"));
    ASSERT_TRUE(spool::AddPrinterOn("J71 Laser", "J71 Laser", "LPT1:"));
    strcpy(g_session.modelName, "J71 Laser");
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "DeletePrinterDriver=5");
    std::string text;
    INT_PTR result = PortPage([&text](DWORD thread, HWND page) {
        drive::Press(page, IDC_NEXT);
        HWND box = NULL;
        for (int i = 0; i < 250 && !box; i++, Sleep(20))
            box = FindWindowTitled(thread, "Setup error");
        if (!box)
            return;
        text = drive::ControlText(box, 0xFFFF);
        drive::Press(box, IDOK);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(text, "Previous verion driver is currently used by an application.\nTerminate all "
                    "applications. And then delete previous version driver from printer "
                    "folderand retry.");
    // The port was stored before the removal was tried.
    EXPECT_STREQ(g_session.portName, "COM1:");
    EXPECT_FALSE(spool::PrinterExists("J71 Laser"));
}

TEST_F(Pages, PortPageCancelAsksFirst) {
    INT_PTR result = PortPage([](DWORD thread, HWND page) {
        drive::Press(page, IDCANCEL);
        if (!AnswerMessage(thread, IDNO))
            return;
        g_seen.openAfterNo = IsWindowVisible(page);
        drive::Press(page, IDCANCEL);
        AnswerMessage(thread, IDYES);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(g_seen.openAfterNo);
    EXPECT_EQ(g_seen.messages.size(), 2u);
    EXPECT_STREQ(g_session.portName, "");
}
