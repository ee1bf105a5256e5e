// The page artwork at the screen's resolution. Above 96 dpi the platform grows a page with
// its font while the artwork keeps its pixels; each page therefore swaps in a copy of the
// artwork grown as the page did when it opens, and swaps the original back when it closes.
#include "ui/artworksize.h"
#include "ui/pages.h"

// Window property of a page holding the artwork its template gave it while a scaled copy
// is shown instead.
static const char kTemplateArtwork[] = "DrvsetupTemplateArtwork";

// The page's background: its first control, a static showing a bitmap; NULL when the
// page has none.
static HWND PageBackground(HWND page) {
    HWND first = GetWindow(page, GW_CHILD);
    char className[16] = "";
    if (!first || !GetClassNameA(first, className, sizeof className) ||
        lstrcmpiA(className, "Static") != 0)
        return NULL;
    if ((GetWindowLongA(first, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
        return NULL;
    return first;
}

// The base units the page's own font has at 96 dpi, measured as the dialog manager
// measures a dialog's font: the same face and weight, at the pixel height its point size
// has at 96 dpi. {0, 0} when the page has no font or it cannot be measured.
static FontUnits UnitsAt96(HWND page, HDC dc) {
    HFONT pageFont = (HFONT)SendMessageA(page, WM_GETFONT, 0, 0);
    LOGFONTA logfont;
    if (!pageFont || GetObjectA(pageFont, sizeof logfont, &logfont) != (int)sizeof logfont)
        return {0, 0};
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpi <= 0)
        return {0, 0};
    // The dialog manager asks for -MulDiv(points, dpi, 72): the point size comes back
    // rounded to the nearest whole point.
    if (logfont.lfHeight < 0)
        logfont.lfHeight = -MulDiv(MulDiv(-logfont.lfHeight, 72, dpi), 96, 72);
    else
        logfont.lfHeight = MulDiv(logfont.lfHeight, 96, dpi);
    HFONT font = CreateFontIndirectA(&logfont);
    if (!font)
        return {0, 0};
    HGDIOBJ kept = SelectObject(dc, font);
    SIZE letters = {0, 0};
    TEXTMETRICA metrics;
    FontUnits units = {0, 0};
    if (GetTextExtentPoint32A(dc, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52,
                              &letters) &&
        GetTextMetricsA(dc, &metrics))
        units = UnitsFromLetters(letters.cx, metrics.tmHeight);
    SelectObject(dc, kept);
    DeleteObject(font);
    return units;
}

// A copy of `original` (width x height) stretched to cx x cy, smoothed; NULL on failure.
static HBITMAP StretchedCopy(HDC screen, HBITMAP original, long width, long height, long cx,
                             long cy) {
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, (int)cx, (int)cy);
    BOOL drawn = FALSE;
    if (from && to && copy) {
        HGDIOBJ keptFrom = SelectObject(from, original);
        HGDIOBJ keptTo = SelectObject(to, copy);
        // Halftone averages the pixels each one stands for instead of repeating or dropping
        // whole rows and columns of the pictures.
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, NULL);
        drawn =
            StretchBlt(to, 0, 0, (int)cx, (int)cy, from, 0, 0, (int)width, (int)height, SRCCOPY);
        SelectObject(from, keptFrom);
        SelectObject(to, keptTo);
    }
    if (from)
        DeleteDC(from);
    if (to)
        DeleteDC(to);
    if (copy && !drawn) {
        DeleteObject(copy);
        copy = NULL;
    }
    return copy;
}

// ScalePageArtwork: called as a page opens. When the page has grown with its font (a
// resolution above 96 dpi), shows a copy of its artwork grown by as much, so that the
// artwork covers the page and its light panel lies under the page's texts and lists as at
// 96 dpi. At 96 dpi, or when anything fails, the page keeps the artwork it has.
void ScalePageArtwork(HWND page) {
    HWND background = PageBackground(page);
    if (!background || GetPropA(page, kTemplateArtwork))
        return;
    HBITMAP original = (HBITMAP)SendMessageA(background, STM_GETIMAGE, IMAGE_BITMAP, 0);
    BITMAP info;
    if (!original || GetObjectA(original, sizeof info, &info) != (int)sizeof info)
        return;
    RECT units = {0, 0, 4, 8};
    if (!MapDialogRect(page, &units))
        return;
    HDC screen = GetDC(page);
    if (!screen)
        return;
    FontUnits now = {units.right, units.bottom};
    long cx = 0, cy = 0;
    HBITMAP copy = NULL;
    if (ScaledArtworkSize(info.bmWidth, info.bmHeight, now, UnitsAt96(page, screen), &cx, &cy))
        copy = StretchedCopy(screen, original, info.bmWidth, info.bmHeight, cx, cy);
    ReleaseDC(page, screen);
    if (!copy)
        return;
    if (!SetPropA(page, kTemplateArtwork, original)) {
        DeleteObject(copy);
        return;
    }
    SendMessageA(background, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)copy);
}

// FreePageArtwork: called as a page closes. Gives the background the artwork of its
// template back and deletes the scaled copy, if the page showed one.
void FreePageArtwork(HWND page) {
    HBITMAP original = (HBITMAP)RemovePropA(page, kTemplateArtwork);
    HWND background = PageBackground(page);
    if (!original || !background)
        return;
    HBITMAP copy = (HBITMAP)SendMessageA(background, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)original);
    if (copy && copy != original)
        DeleteObject(copy);
}
