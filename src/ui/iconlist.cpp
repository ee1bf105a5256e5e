// Owner-drawn list boxes that show an icon beside each entry: filling them without
// repeats, giving each entry room for its icon, and drawing an entry.
#include "ui/iconlist.h"

#include "shell/session.h"

#include <string.h>

// Least height of an entry: a 32-pixel icon with a pixel above and below it.
enum { ICON_ENTRY_HEIGHT = 34 };

// The icons are drawn at the system's icon size: 32 pixels at 96 dpi, more above it (48 at
// 144 dpi), where an entry grows with its icon and the text moves right of it.
static int IconEntryHeight(void) {
    int height = GetSystemMetrics(SM_CYICON) + 2;
    return height > ICON_ENTRY_HEIGHT ? height : ICON_ENTRY_HEIGHT;
}

static int IconWidth(void) {
    int width = GetSystemMetrics(SM_CXICON);
    return width > 32 ? width : 32;
}

// FillIconList: empties the list, then asks the source for `count` texts and adds each
// one the list does not already hold (letter case ignored), at the place of its first
// occurrence. A source that writes nothing leaves the previous text in the buffer, which
// the list then already holds; on the very first call the buffer starts empty.
void FillIconList(HWND dialog, WORD controlId, short count, IconListItemSource source) {
    HWND list = GetDlgItem(dialog, controlId);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (count <= 0)
        return;
    char text[TEXT_BUFFER_SIZE];
    memset(text, 0, sizeof text);
    for (short i = 0; i < count; i++) {
        source((unsigned)i, text);
        text[sizeof text - 1] = '\0';
        if (SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text) != LB_ERR)
            continue;
        short position = (short)SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
        SendMessageA(list, LB_SETITEMDATA, (WPARAM)(LRESULT)position, (LPARAM)position);
    }
}

// MeasureIconListItem: raises an entry's height to fit the icon; taller stays taller.
void MeasureIconListItem(MEASUREITEMSTRUCT *item) {
    UINT least = (UINT)IconEntryHeight();
    if (item->itemHeight < least)
        item->itemHeight = least;
}

// DrawIconListItem: paints one whole entry, whatever the action asked for: background
// and text in the selection's colours, the icon the chooser names, and the focus
// rectangle when the entry has the focus. An empty list (no entry) is left to the list
// box's own background.
void DrawIconListItem(const DRAWITEMSTRUCT *item, IconChooser chooser) {
    if (item->itemID == (UINT)-1)
        return;
    HDC dc = item->hDC;
    int selected = (item->itemState & ODS_SELECTED) != 0;
    COLORREF oldText =
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    COLORREF oldBack = SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    short baseUnit = (short)LOWORD(GetDialogBaseUnits());
    const RECT *r = &item->rcItem;
    short textTop = (short)((r->top + r->bottom - metrics.tmHeight) / 2);

    // The program's lists hold nothing longer than 1023 characters; a longer entry is
    // drawn without text rather than overrunning the buffer.
    char text[TEXT_BUFFER_SIZE];
    int combo = item->CtlType == ODT_COMBOBOX;
    if (!ReadListEntry(item->hwndItem, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN,
                       combo ? CB_GETLBTEXT : LB_GETTEXT, item->itemID, text, sizeof text))
        text[0] = '\0';

    ExtTextOutA(dc, 2 * baseUnit + IconWidth(), textTop, ETO_OPAQUE | ETO_CLIPPED, r, text,
                (UINT)strlen(text), NULL);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);

    chooser(text, text);
    HICON icon = LoadIconA(g_instance, text);
    DrawIcon(dc, baseUnit, r->top + 1, icon);

    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(dc, r);
}

// ReadListEntry: the length a list states for an entry may be more than its real length
// (double-byte text, as the platform documents), never less. An entry stated too long
// for `text` is read whole into a buffer of the stated size, and only the length the
// text really has decides whether it fits.
int ReadListEntry(HWND list, UINT getLength, UINT getText, WPARAM index, char *text, size_t size) {
    LRESULT stated = SendMessageA(list, getLength, index, 0);
    if (stated < 0 || size == 0)
        return 0;
    if ((size_t)stated < size)
        return SendMessageA(list, getText, index, (LPARAM)text) >= 0;
    char *whole = (char *)LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, (SIZE_T)stated + 1);
    if (!whole)
        return 0;
    LRESULT length = SendMessageA(list, getText, index, (LPARAM)whole);
    int fits = length >= 0 && (size_t)length < size;
    if (fits)
        memcpy(text, whole, (size_t)length + 1);
    LocalFree(whole);
    return fits;
}

// GetSelectedListText: the selected entry's text, refused rather than cut when it would
// not fit, so a page never takes a name other than the one the user chose.
int GetSelectedListText(HWND dialog, WORD listId, char *text, size_t size) {
    HWND list = GetDlgItem(dialog, listId);
    LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return 0;
    return ReadListEntry(list, LB_GETTEXTLEN, LB_GETTEXT, (WPARAM)selected, text, size);
}
