// The welcome and finish pages opened from their real templates and driven by messages.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "shell/sequencer.h"
#include "shell/session.h"
#include "ui/pages.h"
#include "win/dialog_driver.h"
#include "win/spooler_fixture.h"

namespace {

struct PageSeen {
    std::string caption, systems, result, copyright, question;
    HICON icon = NULL;
    bool boxVisible = false;
    UINT boxChecked = 0;
    HWND focus = NULL, next = NULL;
};

PageSeen g_page;

class Pages : public ::testing::Test {
  protected:
    void SetUp() override {
        g_instance = GetModuleHandleA(NULL);
        g_session.environment = g_profile.environment;
        g_page = PageSeen();
    }
};

// Reads the finish page while it is open.
void ReadFinishPage(HWND page) {
    g_page.caption = drive::WindowText(page);
    g_page.result = drive::ControlText(page, IDC_EXIT_RESULT);
    g_page.copyright = drive::ControlText(page, IDC_EXIT_COPYRIGHT);
    g_page.icon = (HICON)SendDlgItemMessageA(page, IDC_EXIT_ICON, STM_GETICON, 0, 0);
    g_page.boxVisible = IsWindowVisible(GetDlgItem(page, IDC_EXIT_DEFAULT));
    g_page.boxChecked = (UINT)SendDlgItemMessageA(page, IDC_EXIT_DEFAULT, BM_GETCHECK, 0, 0);
}

TEST_F(Pages, WelcomeShowsTheBuildsSystemsAndEndsWithNext) {
    INT_PTR result =
        drive::WhileDriving([] { return (INT_PTR)RunWelcomePage(NULL); },
                            [](DWORD thread) {
                                HWND page = drive::WaitForDialog(thread, IDC_WELCOME_SYSTEMS);
                                g_page.systems = drive::ControlText(page, IDC_WELCOME_SYSTEMS);
                                g_page.caption = drive::WindowText(page);
                                drive::Press(page, IDC_NEXT);
                            });
    EXPECT_EQ(IDC_NEXT, result);
    EXPECT_EQ("Zelmox Printer Driver Install Wizard", g_page.caption);
    EXPECT_EQ("Supported operating system:\r\n\tWindows 7 Home x64\r\n\tWindows 7 Professional "
              "x64\r\n\tWindows 7 Ultimate x64\r\n\r\nTerminate all running applications before "
              "installing driver.",
              g_page.systems);
}

TEST_F(Pages, WelcomeCancelAsksAndOnlyYesEndsIt) {
    bool stillOpenAfterNo = false;
    INT_PTR result =
        drive::WhileDriving([] { return (INT_PTR)RunWelcomePage(NULL); },
                            [&](DWORD thread) {
                                HWND page = drive::WaitForDialog(thread, IDC_WELCOME_SYSTEMS);
                                drive::Press(page, IDCANCEL);
                                HWND question = drive::WaitForDialog(thread, IDC_MSG_TEXT);
                                g_page.question = drive::ControlText(question, IDC_MSG_TEXT);
                                drive::Press(question, IDNO);
                                Sleep(300);
                                stillOpenAfterNo = IsWindow(page) && !drive::FindDialogWithControl(
                                                                         thread, IDC_MSG_TEXT);
                                drive::Press(page, IDCANCEL);
                                question = drive::WaitForDialog(thread, IDC_MSG_TEXT);
                                drive::Press(question, IDYES);
                            });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(stillOpenAfterNo);
    EXPECT_EQ("Are you sure you want to cancel TQL driver installation?", g_page.question);
}

TEST_F(Pages, FinishAfterFailureHidesTheDefaultPrinterChoice) {
    ASSERT_TRUE(spool::AddTestPrinter("Finish Failure", "Finish Failure Driver", "LPT1:"));
    lstrcpyA(g_session.modelName, "Finish Failure");
    std::string before = spool::ProfileDevice();
    drive::WhileDriving([] { return (INT_PTR)RunFinishPage(NULL, OUTCOME_FAILED); },
                        [](DWORD thread) {
                            HWND page = drive::WaitForDialog(thread, IDC_EXIT_DEFAULT);
                            ReadFinishPage(page);
                            drive::Press(page, IDOK);
                        });
    EXPECT_EQ("Printer Driver Setup", g_page.caption);
    EXPECT_EQ("The Installation has failed.", g_page.result);
    // The maker's own words, not the build's record of them.
    EXPECT_EQ("Copyright (C) 2010 Zelmox Systems Co., Ltd. All rights reserved.", g_page.copyright);
    EXPECT_EQ(LoadIconA(NULL, IDI_HAND), g_page.icon);
    EXPECT_FALSE(g_page.boxVisible);
    EXPECT_EQ(before, spool::ProfileDevice());
}

TEST_F(Pages, FinishAfterSuccessOffersTheDefaultPrinterTicked) {
    ASSERT_TRUE(spool::AddTestPrinter("Finish Success", "Finish Success Driver", "COM1:"));
    lstrcpyA(g_session.modelName, "Finish Success");
    drive::WhileDriving([] { return (INT_PTR)RunFinishPage(NULL, OUTCOME_INSTALLED); },
                        [](DWORD thread) {
                            HWND page = drive::WaitForDialog(thread, IDC_EXIT_DEFAULT);
                            ReadFinishPage(page);
                            drive::Press(page, IDOK);
                        });
    EXPECT_EQ("The Installation has done successfully.", g_page.result);
    EXPECT_EQ(LoadIconA(NULL, IDI_ASTERISK), g_page.icon);
    EXPECT_TRUE(g_page.boxVisible);
    EXPECT_EQ((UINT)BST_CHECKED, g_page.boxChecked);
    EXPECT_EQ("Finish Success,Finish Success Driver,COM1:", spool::ProfileDevice());
}

TEST_F(Pages, FinishUntickedOrEscapeKeepsTheDefaultPrinter) {
    ASSERT_TRUE(spool::AddTestPrinter("Finish Kept", "Finish Kept Driver", "COM3:"));
    lstrcpyA(g_session.modelName, "Finish Kept");
    std::string before = spool::ProfileDevice();
    drive::WhileDriving([] { return (INT_PTR)RunFinishPage(NULL, OUTCOME_INSTALLED); },
                        [](DWORD thread) {
                            HWND page = drive::WaitForDialog(thread, IDC_EXIT_DEFAULT);
                            SendDlgItemMessageA(page, IDC_EXIT_DEFAULT, BM_SETCHECK, BST_UNCHECKED,
                                                0);
                            drive::Press(page, IDOK);
                        });
    EXPECT_EQ(before, spool::ProfileDevice());
    drive::WhileDriving([] { return (INT_PTR)RunFinishPage(NULL, OUTCOME_INSTALLED); },
                        [](DWORD thread) {
                            HWND page = drive::WaitForDialog(thread, IDC_EXIT_DEFAULT);
                            drive::Escape(page);
                        });
    EXPECT_EQ(before, spool::ProfileDevice());
}

} // namespace
