// The wizard at the screen resolution the harness set (WINE_RUN_DPI: 96, 120 or 144, as
// Windows 7 at 100, 125 and 150 %), driven through every page and dialog of one whole
// installation and read from the screen as a person sees it: on each page the artwork
// covers the page and the texts, icons and lists lie on its light panel; no control of a
// page or dialog is cut off by it; the icon lists' entries are as tall as their icons.
#pragma once

#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace dpi {

// The 497-pixel artwork leaves three pixels of the 500-pixel page bare at 96 dpi (the
// platform sizes the static to the picture, its sunken edge included); the scaled artwork
// may leave as much at the right and bottom, with a pixel for rounding.
const int kBareMost = 4;
// How far outside a control its surroundings are read, in pixels.
const int kRing[] = {2, 3};

// The resolution the harness was asked for; 96 when it was asked for none.
inline int RequestedDpi() {
    char value[16] = "";
    GetEnvironmentVariableA("WINE_RUN_DPI", value, sizeof value);
    return value[0] ? atoi(value) : 96;
}

inline int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

inline std::string Rgb(DWORD pixel) {
    char text[32];
    snprintf(text, sizeof text, "(%lu, %lu, %lu)", (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF,
             pixel & 0xFF);
    return text;
}

// The artwork's light panel shades from cream (255, 247, 218) at its left to white; the
// dialog's own face and the artwork's dark ground are neither.
inline bool IsPanel(DWORD pixel) {
    int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r >= 250 && g >= 240 && b >= 200 && b <= g;
}

// The dialog face colour as the screen pictures hold it (0x00RRGGBB).
inline DWORD Face() {
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    return ((DWORD)GetRValue(face) << 16) | ((DWORD)GetGValue(face) << 8) | GetBValue(face);
}

// A control's window rectangle in its dialog's client coordinates.
inline RECT InDialog(HWND dialog, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, (POINT *)&rect, 2);
    return rect;
}

inline bool Inside(const RECT &r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The visible controls of a dialog but a page's background (its first control, a bitmap
// static, which may reach past the page: it is drawn clipped).
inline std::vector<HWND> VisibleControls(HWND dialog) {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        bool background = child == GetWindow(dialog, GW_CHILD) &&
                          (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
                          robot::ClassOf(child) == "Static";
        if (IsWindowVisible(child) && !background)
            controls.push_back(child);
    }
    return controls;
}

// Nothing of a page or dialog is cut off: every visible control lies inside its client area.
inline void ExpectWhole(HWND dialog, const std::string &what) {
    ASSERT_TRUE(dialog) << what << " did not show";
    RECT client;
    GetClientRect(dialog, &client);
    for (HWND control : VisibleControls(dialog)) {
        RECT r = InDialog(dialog, control);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                    r.bottom <= client.bottom)
            << what << ": control " << GetDlgCtrlID(control) << " (" << robot::ClassOf(control)
            << ") at " << r.left << "," << r.top << "-" << r.right << "," << r.bottom
            << " is cut off by the client area " << client.right << " x " << client.bottom;
    }
}

// The artwork covers the page: of the dialog's face, no more than kBareMost columns show
// at the right edge (read down the page above its buttons) and no more than kBareMost rows at the
// bottom (read across the picture column at the left).
inline void ExpectArtworkCovers(const robot::ClientPicture &page, const std::string &what) {
    const DWORD face = Face();
    auto bareColumn = [&](int x) {
        for (int y = page.height / 10; y < page.height * 8 / 10; y += 5)
            if (page.At(x, y) != face)
                return false;
        return true;
    };
    auto bareRow = [&](int y) {
        for (int x = 2; x < page.width / 4; x += 5)
            if (page.At(x, y) != face)
                return false;
        return true;
    };
    int right = 0, bottom = 0;
    while (right < page.width && bareColumn(page.width - 1 - right))
        right++;
    while (bottom < page.height && bareRow(page.height - 1 - bottom))
        bottom++;
    EXPECT_LE(right, kBareMost) << what << ": " << right << " bare columns at the right of "
                                << page.width;
    EXPECT_LE(bottom, kBareMost) << what << ": " << bottom << " bare rows at the bottom of "
                                 << page.height;
}

// The controls a person reads on a page: texts, icons, lists and the check box.
inline bool IsReadControl(HWND control) {
    std::string kind = robot::ClassOf(control);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (kind == "Static")
        return (style & SS_TYPEMASK) == SS_LEFT || (style & SS_TYPEMASK) == SS_ICON;
    if (kind == "ListBox")
        return true;
    return kind == "Button" && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
}

// Each text, icon, list and check box of a page lies on the artwork's light panel: the
// pixels just outside it, wherever no other control lies, are cream to white.
inline void ExpectOnPanel(HWND page, const robot::ClientPicture &picture, const std::string &what) {
    std::vector<HWND> controls = VisibleControls(page);
    std::vector<RECT> placed;
    for (HWND control : controls)
        placed.push_back(InDialog(page, control));
    int checkedControls = 0;
    for (size_t i = 0; i < controls.size(); i++) {
        if (!IsReadControl(controls[i]))
            continue;
        const RECT &r = placed[i];
        int read = 0, off = 0;
        std::string first;
        auto look = [&](int x, int y) {
            if (x < 0 || y < 0 || x >= picture.width || y >= picture.height)
                return;
            for (const RECT &other : placed)
                if (Inside(other, x, y))
                    return;
            read++;
            DWORD pixel = picture.At(x, y);
            if (!IsPanel(pixel) && off++ == 0)
                first = Rgb(pixel) + " at " + std::to_string(x) + "," + std::to_string(y);
        };
        for (int ring : kRing) {
            for (int x = r.left - ring; x < r.right + ring; x += 3) {
                look(x, r.top - 1 - ring);
                look(x, r.bottom + ring);
            }
            for (int y = r.top - ring; y < r.bottom + ring; y += 3) {
                look(r.left - 1 - ring, y);
                look(r.right + ring, y);
            }
        }
        std::string name =
            std::to_string(GetDlgCtrlID(controls[i])) + " (" + robot::ClassOf(controls[i]) + ")";
        EXPECT_GE(read, 8) << what << ": too little to read round control " << name;
        EXPECT_EQ(off, 0) << what << ": round control " << name << ", " << off << " of " << read
                          << " pixels are off the light panel, the first " << first;
        checkedControls++;
    }
    EXPECT_GE(checkedControls, 3) << what;
}

// Every entry of an icon list holds its icon, drawn at the system's icon size, with a pixel
// above and below it.
inline void ExpectEntriesHoldIcons(HWND page, int listId, const std::string &what) {
    LRESULT height = SendMessageA(GetDlgItem(page, listId), LB_GETITEMHEIGHT, 0, 0);
    EXPECT_GE(height, GetSystemMetrics(SM_CYICON) + 2) << what;
    EXPECT_GE(height, 34) << what;
}

// The window once it has painted: three pictures a third of a second apart alike (a
// program under emulation takes seconds to paint its lists and buttons). False when it has
// not settled within `timeoutMs` or is gone.
inline bool CapturePainted(HWND page, robot::ClientPicture *picture, DWORD timeoutMs) {
    robot::ClientPicture before;
    if (!robot::CaptureClient(page, &before))
        return false;
    int alike = 0;
    for (ULONGLONG end = robot::Now() + timeoutMs; robot::Now() < end; before = *picture) {
        robot::Pump(330);
        if (!robot::CaptureClient(page, picture))
            return false;
        alike = picture->pixels == before.pixels ? alike + 1 : 0;
        if (alike == 2)
            return true;
    }
    return false;
}

// One page: covered by its artwork, its texts and lists on the panel, nothing cut off.
inline void ExpectPage(HWND page, const std::string &what) {
    ASSERT_TRUE(page) << what << " did not show";
    robot::ClientPicture picture;
    ASSERT_TRUE(CapturePainted(page, &picture, 30000)) << what << " did not settle";
    e2e::KeepPicture(page, what);
    ExpectWhole(page, what);
    ExpectArtworkCovers(picture, what);
    ExpectOnPanel(page, picture, what);
}

inline void ExpectDialog(HWND dialog, const std::string &what) {
    ASSERT_TRUE(dialog) << what << " did not show";
    ExpectWhole(dialog, what);
    // A moment to paint, for the picture kept: status boxes and the copy page soon go.
    robot::ClientPicture picture;
    CapturePainted(dialog, &picture, 1000);
    e2e::KeepPicture(dialog, what, false);
}

// The road's hook (road.h) that reads each page and dialog from the screen as above; the
// pictures kept are named `name`-DPI-stop.
inline e2e::RoadHook Checks(const std::string &name) {
    const std::string shot = name + "-" + std::to_string(ScreenDpi()) + "-";
    return [shot](e2e::Stop stop, HWND window) {
        const std::string what = shot + e2e::NameOf(stop);
        switch (stop) {
        case e2e::Stop::kWelcome:
        case e2e::Stop::kFinish:
            ExpectPage(window, what);
            break;
        case e2e::Stop::kModel:
        case e2e::Stop::kPort:
            ExpectPage(window, what);
            ExpectEntriesHoldIcons(
                window, stop == e2e::Stop::kModel ? robot::kModelList : robot::kPortList, what);
            break;
        default:
            ExpectDialog(window, what);
        }
    };
}

} // namespace dpi
