// The page artwork and the icon lists at the screen resolution the harness set (this test
// runs at 96, 120 and 144 dpi): a page grows its artwork as the page grew with its font and
// frees the copy when it closes; at 96 dpi the artwork stays the template's own; an icon
// list entry holds the system's icon with its text beside it.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "shell/session.h"
#include "ui/iconlist.h"
#include "ui/pages.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const char *const kPages[] = {"IDD_WELCOME", "IDD_GETMODEL", "IDD_GETPORT", "IDD_EXIT"};

int ScreenDpi() {
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    return dpi;
}

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

// The base units of the pages' font, Arial 8 pt, at 96 dpi (11 pixels high), measured as the
// dialog manager measures a dialog's font.
POINT ArialUnitsAt96() {
    LOGFONTA logfont = {};
    logfont.lfHeight = -11;
    logfont.lfWeight = FW_NORMAL;
    logfont.lfCharSet = DEFAULT_CHARSET;
    strcpy(logfont.lfFaceName, "Arial");
    HDC screen = GetDC(NULL);
    HFONT font = CreateFontIndirectA(&logfont);
    HGDIOBJ kept = SelectObject(screen, font);
    SIZE letters;
    TEXTMETRICA metrics;
    GetTextExtentPoint32A(screen, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52,
                          &letters);
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, kept);
    DeleteObject(font);
    ReleaseDC(NULL, screen);
    return {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

SIZE ImageSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

HBITMAP ShownArtwork(HWND page) {
    return (HBITMAP)SendMessageA(GetWindow(page, GW_CHILD), STM_GETIMAGE, IMAGE_BITMAP, 0);
}

// The colour of a bitmap's pixel.
COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ kept = SelectObject(dc, bitmap);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, kept);
    DeleteDC(dc);
    return colour;
}

bool IsPanel(COLORREF c) {
    return GetRValue(c) >= 250 && GetGValue(c) >= 240 && GetBValue(c) >= 200;
}

class Artwork : public ::testing::TestWithParam<const char *> {
  protected:
    HWND owner = NULL;
    void SetUp() override {
        g_instance = GetModuleHandleA(NULL);
        owner =
            CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, g_instance, NULL);
        ASSERT_TRUE(owner);
        char requested[16] = "";
        GetEnvironmentVariableA("WINE_RUN_DPI", requested, sizeof requested);
        ASSERT_EQ(ScreenDpi(), requested[0] ? atoi(requested) : 96)
            << "the harness did not set the resolution";
    }
    void TearDown() override {
        DestroyWindow(owner);
    }
};

// Each page shows its artwork grown by its base units against those at 96 dpi (at 96 dpi
// the template's own bitmap, untouched), with the light panel and the dark picture column
// where they were; opening it again changes nothing more; closing gives the static its
// own bitmap back and frees the copy.
TEST_P(Artwork, GrowsWithThePageAndIsFreedWhenItCloses) {
    HWND page = CreateDialogParamA(g_instance, GetParam(), owner, Inert, 0);
    ASSERT_TRUE(page);
    HBITMAP original = ShownArtwork(page);
    ASSERT_EQ(ImageSize(original).cx, 497);
    ASSERT_EQ(ImageSize(original).cy, 309);

    ScalePageArtwork(page);
    HBITMAP shown = ShownArtwork(page);
    RECT units = {0, 0, 4, 8};
    MapDialogRect(page, &units);
    POINT at96 = ArialUnitsAt96();
    SIZE expected = {MulDiv(497, units.right, at96.x), MulDiv(309, units.bottom, at96.y)};
    EXPECT_EQ(ImageSize(shown).cx, expected.cx) << units.right << " against " << at96.x;
    EXPECT_EQ(ImageSize(shown).cy, expected.cy) << units.bottom << " against " << at96.y;
    if (ScreenDpi() == 96) {
        EXPECT_EQ(shown, original) << "at 96 dpi the page keeps its template's artwork";
    } else {
        EXPECT_NE(shown, original);
        // Where the panel's middle and the picture column's edge were, scaled.
        EXPECT_TRUE(IsPanel(PixelOf(shown, MulDiv(335, expected.cx, 497), expected.cy / 2)));
        EXPECT_FALSE(IsPanel(PixelOf(shown, MulDiv(100, expected.cx, 497), expected.cy / 2)));
    }
    ScalePageArtwork(page);
    EXPECT_EQ(ShownArtwork(page), shown) << "a second call makes no second copy";

    FreePageArtwork(page);
    EXPECT_EQ(ShownArtwork(page), original);
    if (shown != original)
        EXPECT_EQ(GetObjectType(shown), 0u) << "the scaled copy was not freed";
    FreePageArtwork(page);
    EXPECT_EQ(ShownArtwork(page), original);
    DestroyWindow(page);
}

INSTANTIATE_TEST_SUITE_P(Pages, Artwork, ::testing::ValuesIn(kPages),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param).substr(4);
                         });

// ---- Icon lists ----

void NoIcon(const char *, char *out) {
    strcpy(out, "IDI_NOTHING");
}

void PrinterIcon(const char *, char *out) {
    strcpy(out, "IDI_PRINTER");
}

// Leftmost and rightmost columns, and the lowest row, with a pixel other than `back`.
struct Extent {
    int left = INT_MAX, right = -1, bottom = -1;
};

Extent Drawn(HDC dc, int width, int height, COLORREF back) {
    Extent extent;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if (GetPixel(dc, x, y) != back) {
                extent.left = x < extent.left ? x : extent.left;
                extent.right = x > extent.right ? x : extent.right;
                extent.bottom = y;
            }
    return extent;
}

// An entry is as tall as the system's icon and a pixel above and below it (at least 34),
// the icon lies inside the entry and the text starts right of it.
TEST_F(Artwork, IconListEntriesHoldTheSystemsIcon) {
    MEASUREITEMSTRUCT measure = {};
    measure.itemHeight = 16;
    MeasureIconListItem(&measure);
    const int icon = GetSystemMetrics(SM_CYICON);
    EXPECT_GE((int)measure.itemHeight, icon + 2);
    EXPECT_GE(measure.itemHeight, 34u);

    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_HASSTRINGS | LBS_OWNERDRAWFIXED, 0,
                                0, 300, 200, owner, (HMENU)2035, g_instance, NULL);
    ASSERT_TRUE(list);
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "Zelmox J71 Laser");
    const int width = 400, height = (int)measure.itemHeight;
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(NULL, screen);
    HGDIOBJ kept = SelectObject(dc, canvas);
    COLORREF back = GetSysColor(COLOR_WINDOW);

    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = 2035;
    item.itemID = 0;
    item.hwndItem = list;
    item.hDC = dc;
    item.rcItem = {0, 0, width, height};
    const int hb = (short)LOWORD(GetDialogBaseUnits());

    DrawIconListItem(&item, NoIcon); // the text alone
    Extent text = Drawn(dc, width, height, back);
    ASSERT_GE(text.right, 0) << "no text drawn";
    EXPECT_GE(text.left, hb + GetSystemMetrics(SM_CXICON)) << "the text runs under the icon";

    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "");
    DrawIconListItem(&item, PrinterIcon); // the icon alone
    Extent drawn = Drawn(dc, width, height, back);
    ASSERT_GE(drawn.right, 0) << "no icon drawn";
    EXPECT_GE(drawn.left, hb);
    EXPECT_LT(drawn.bottom, height - 1) << "the icon reaches the next entry";

    SelectObject(dc, kept);
    DeleteObject(canvas);
    DeleteDC(dc);
    DestroyWindow(list);
}

} // namespace
