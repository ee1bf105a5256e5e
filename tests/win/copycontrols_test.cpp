// The copy page keeps the controls it looks up after every file: what it keeps must never
// outlive the window it names, or the next page's texts and bar would go to a dead or
// foreign window.
#include <gtest/gtest.h>

#include "install/install.h"
#include "res/resource.h"
#include "shell/session.h"

namespace {

HWND MakeChild(HWND page, int id) {
    return CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 10, page,
                         (HMENU)(INT_PTR)id, g_instance, NULL);
}

// A page with the file text and the bar, like the copy page's.
HWND MakePage() {
    HWND page =
        CreateWindowA("STATIC", "page", WS_POPUP, 0, 0, 200, 100, NULL, NULL, g_instance, NULL);
    MakeChild(page, IDC_COPY_FILE);
    MakeChild(page, IDC_COPY_BAR);
    return page;
}

TEST(CopyPageControlTest, FollowsTheControlsOfThePageAsTheyAreNow) {
    g_instance = GetModuleHandleA(NULL);
    HWND first = MakePage();
    HWND file = GetDlgItem(first, IDC_COPY_FILE);
    ASSERT_TRUE(file);
    EXPECT_EQ(file, CopyPageControl(first, IDC_COPY_FILE));
    EXPECT_EQ(GetDlgItem(first, IDC_COPY_BAR), CopyPageControl(first, IDC_COPY_BAR));
    EXPECT_EQ(file, CopyPageControl(first, IDC_COPY_FILE));

    // The control replaced on the same page.
    DestroyWindow(file);
    HWND replaced = MakeChild(first, IDC_COPY_FILE);
    EXPECT_EQ(replaced, CopyPageControl(first, IDC_COPY_FILE));

    // A control that no longer bears the identifier.
    HWND bar = GetDlgItem(first, IDC_COPY_BAR);
    SetWindowLongPtrA(bar, GWLP_ID, IDC_COPY_BAR + 1000);
    EXPECT_EQ(NULL, CopyPageControl(first, IDC_COPY_BAR));

    // The page closed and another opened.
    DestroyWindow(first);
    HWND second = MakePage();
    EXPECT_EQ(GetDlgItem(second, IDC_COPY_FILE), CopyPageControl(second, IDC_COPY_FILE));
    EXPECT_EQ(GetDlgItem(second, IDC_COPY_BAR), CopyPageControl(second, IDC_COPY_BAR));

    // A page without the control.
    HWND empty =
        CreateWindowA("STATIC", "empty", WS_POPUP, 0, 0, 200, 100, NULL, NULL, g_instance, NULL);
    EXPECT_EQ(NULL, CopyPageControl(empty, IDC_COPY_FILE));
    EXPECT_EQ(GetDlgItem(second, IDC_COPY_FILE), CopyPageControl(second, IDC_COPY_FILE));
    DestroyWindow(empty);
    DestroyWindow(second);
}

} // namespace
