// The program's message, status and page dialogs opened from their real templates.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "shell/session.h"
#include "ui/pages.h"
#include "win/dialog_driver.h"

namespace {

// What a driver saw of one message dialog before pressing a button in it.
struct Seen {
    std::string caption;
    std::string text;
    HICON icon = NULL;
    bool buttons[8] = {};
};

Seen g_seen;

INT_PTR ShowAndPress(WORD style, int button) {
    g_seen = Seen();
    return drive::WhileDriving(
        [&] { return (INT_PTR)ShowMessageDialog(NULL, "Some text", "Some caption", style); },
        [&](DWORD thread) {
            HWND dialog = drive::WaitForDialog(thread, IDC_MSG_TEXT);
            if (!dialog)
                return;
            g_seen.caption = drive::WindowText(dialog);
            g_seen.text = drive::ControlText(dialog, IDC_MSG_TEXT);
            g_seen.icon = (HICON)SendDlgItemMessageA(dialog, IDC_MSG_ICON, STM_GETICON, 0, 0);
            for (int id = 1; id < 8; id++)
                g_seen.buttons[id] = GetDlgItem(dialog, id) != NULL;
            drive::Press(dialog, button);
        });
}

class MessageDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        g_instance = GetModuleHandleA(NULL);
    }
};

TEST_F(MessageDialog, StyleChoosesButtonsAndIcon) {
    struct Case {
        WORD style;
        int buttons[3];
        LPCSTR icon;
    } cases[] = {
        {0x24, {IDYES, IDNO}, IDI_QUESTION},
        {0x10, {IDOK}, IDI_HAND},
        {0x00, {IDOK}, IDI_APPLICATION},
        {0x31, {IDOK, IDCANCEL}, IDI_EXCLAMATION},
        {0x43, {IDYES, IDNO, IDCANCEL}, IDI_ASTERISK},
        {0x05, {IDRETRY, IDCANCEL}, IDI_APPLICATION},
        {0x02, {IDOK}, IDI_APPLICATION},
        {0x5F, {IDOK}, IDI_APPLICATION},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.style);
        // Each button the style asks for, pressed as a person would (the driver refuses a
        // button that is not there, hidden or disabled), ends the dialog with its own answer.
        for (int pressed : c.buttons) {
            if (!pressed)
                continue;
            SCOPED_TRACE(pressed);
            EXPECT_EQ(pressed, ShowAndPress(c.style, pressed));
            EXPECT_EQ("Some caption", g_seen.caption);
            EXPECT_EQ("Some text", g_seen.text);
            EXPECT_EQ(LoadIconA(NULL, c.icon), g_seen.icon);
            for (int id = 1; id < 8; id++) {
                bool expected = false;
                for (int b : c.buttons)
                    expected = expected || b == id;
                EXPECT_EQ(expected, g_seen.buttons[id]) << "button " << id;
            }
        }
    }
}

TEST_F(MessageDialog, EscapeEndsWithCancelEvenWithoutCancelButton) {
    INT_PTR result =
        drive::WhileDriving([&] { return (INT_PTR)ShowMessageDialog(NULL, "t", "c", 0x10); },
                            [&](DWORD thread) {
                                HWND dialog = drive::WaitForDialog(thread, IDC_MSG_TEXT);
                                HWND focus = GetDlgItem(dialog, IDOK);
                                PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                            });
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(MessageDialog, CancelQuestionComesFromTheStringTable) {
    INT_PTR result = drive::WhileDriving([&] { return (INT_PTR)AskCancel(NULL); },
                                         [&](DWORD thread) {
                                             HWND dialog =
                                                 drive::WaitForDialog(thread, IDC_MSG_TEXT);
                                             g_seen.caption = drive::WindowText(dialog);
                                             g_seen.text = drive::ControlText(dialog, IDC_MSG_TEXT);
                                             drive::Press(dialog, IDYES);
                                         });
    EXPECT_EQ(IDYES, result);
    EXPECT_EQ("Question", g_seen.caption);
    EXPECT_EQ("Are you sure you want to cancel TQL driver installation?", g_seen.text);
}

TEST_F(MessageDialog, MissingStringsGiveEmptyTexts) {
    g_seen = Seen();
    drive::WhileDriving([&] { return (INT_PTR)ShowMessageFromStrings(NULL, 3999, 3998, 0x10); },
                        [&](DWORD thread) {
                            HWND dialog = drive::WaitForDialog(thread, IDC_MSG_TEXT);
                            g_seen.caption = drive::WindowText(dialog);
                            g_seen.text = drive::ControlText(dialog, IDC_MSG_TEXT);
                            drive::Press(dialog, IDOK);
                        });
    EXPECT_EQ("", g_seen.caption);
    EXPECT_EQ("", g_seen.text);
}

// A stand-in for the hidden main window: as large as the desktop.
HWND DesktopSizedOwner() {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    return CreateWindowExA(0, "STATIC", "owner", WS_POPUP, desktop.left, desktop.top, desktop.right,
                           desktop.bottom, NULL, NULL, NULL, NULL);
}

TEST(StatusDialog, ShowsItsStringCentredOnTheScreen) {
    g_instance = GetModuleHandleA(NULL);
    HWND owner = DesktopSizedOwner();
    HWND status = OpenStatusDialog(owner, IDS_READING_SETUP);
    ASSERT_TRUE(status);
    EXPECT_FALSE(IsWindowVisible(status)) << "the caller shows it";
    EXPECT_EQ("Reading setup information...", drive::ControlText(status, IDC_STATUS_TEXT));

    RECT screen, box;
    GetWindowRect(GetDesktopWindow(), &screen);
    GetWindowRect(status, &box);
    EXPECT_EQ(screen.left + ((screen.right - screen.left) - (box.right - box.left)) / 2, box.left);
    EXPECT_EQ(screen.top + ((screen.bottom - screen.top) - (box.bottom - box.top)) / 2, box.top);
    DestroyWindow(status);
    DestroyWindow(owner);
}

TEST(CentreOverParent, RoundsTowardZero) {
    HWND parent =
        CreateWindowExA(0, "STATIC", "p", WS_POPUP, 10, 20, 101, 101, NULL, NULL, NULL, NULL);
    HWND child =
        CreateWindowExA(0, "STATIC", "c", WS_POPUP, 500, 500, 50, 50, parent, NULL, NULL, NULL);
    CentreOverParent(child);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(10 + 25, r.left);
    EXPECT_EQ(20 + 25, r.top);
    EXPECT_EQ(50, r.right - r.left);
    DestroyWindow(child);
    DestroyWindow(parent);
}

} // namespace
