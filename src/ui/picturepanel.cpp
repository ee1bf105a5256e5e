// The picture panel of the wizard pages: bitmap 2039 stretched into a sunken frame.
#include "ui/iconlist.h"

#include "res/resource.h"
#include "shell/session.h"

// DrawPicturePanel: frames the control's rectangle less two pixels a side and stretches
// the bitmap into it. The bitmap is loaded for each draw; without it, its size or a
// memory context, nothing at all is drawn.
void DrawPicturePanel(const DRAWITEMSTRUCT *item) {
    if (item->itemID == (UINT)-1)
        return;
    HBITMAP bitmap = LoadBitmapA(g_instance, MAKEINTRESOURCEA(IDB_PICTURE));
    if (!bitmap)
        return;
    BITMAP info;
    if (GetObjectA(bitmap, sizeof info, &info) != (int)sizeof info) {
        DeleteObject(bitmap);
        return;
    }
    HDC memory = CreateCompatibleDC(item->hDC);
    if (!memory) {
        DeleteObject(bitmap);
        return;
    }
    RECT inner = item->rcItem;
    inner.left += 2;
    inner.top += 2;
    inner.right -= 2;
    inner.bottom -= 2;
    DrawSunkenFrame(&inner, item->hDC);

    HGDIOBJ kept = SelectObject(memory, bitmap);
    StretchBlt(item->hDC, inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top,
               memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, kept);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

// DrawSunkenFrame: a two-pixel sunken border round `inner`, whose inside is filled with
// the shadow colour: shadow outside and black inside along the top and left, highlight
// two pixels out along the right and bottom. LineTo leaves its end point unpainted.
void DrawSunkenFrame(const RECT *inner, HDC dc) {
    const RECT r = *inner;
    HBRUSH shadowBrush = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
    HPEN highlightPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HPEN shadowPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));

    FillRect(dc, &r, shadowBrush);

    HGDIOBJ keptPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    MoveToEx(dc, r.left - 1, r.bottom - 1, NULL);
    LineTo(dc, r.left - 1, r.top - 1);
    LineTo(dc, r.right, r.top - 1);

    SelectObject(dc, highlightPen);
    MoveToEx(dc, r.right + 1, r.top - 2, NULL);
    LineTo(dc, r.right + 1, r.bottom + 1);
    LineTo(dc, r.left - 3, r.bottom + 1);

    SelectObject(dc, shadowPen);
    MoveToEx(dc, r.right, r.top - 2, NULL);
    LineTo(dc, r.left - 2, r.top - 2);
    LineTo(dc, r.left - 2, r.bottom + 1);

    SelectObject(dc, keptPen);
    DeleteObject(shadowBrush);
    DeleteObject(highlightPen);
    DeleteObject(shadowPen);
}
