// Owner-drawn list boxes that show an icon beside each entry: filling them without
// repeats, giving each entry room for a 32-pixel icon, and drawing an entry.
#include "ui/iconlist.h"

#include "shell/session.h"

#include <string.h>

// Height of an entry: a 32-pixel icon with a pixel above and below it.
enum { ICON_ENTRY_HEIGHT = 34 };

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
    if (item->itemHeight < ICON_ENTRY_HEIGHT)
        item->itemHeight = ICON_ENTRY_HEIGHT;
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
    text[0] = '\0';
    UINT getLength = LB_GETTEXTLEN;
    UINT getText = LB_GETTEXT;
    if (item->CtlType == ODT_COMBOBOX) {
        getLength = CB_GETLBTEXTLEN;
        getText = CB_GETLBTEXT;
    }
    LRESULT length = SendMessageA(item->hwndItem, getLength, item->itemID, 0);
    if (length >= 0 && length < TEXT_BUFFER_SIZE)
        SendMessageA(item->hwndItem, getText, item->itemID, (LPARAM)text);
    text[sizeof text - 1] = '\0';

    ExtTextOutA(dc, 2 * baseUnit + 32, textTop, ETO_OPAQUE | ETO_CLIPPED, r, text,
                (UINT)strlen(text), NULL);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);

    chooser(text, text);
    HICON icon = LoadIconA(g_instance, text);
    DrawIcon(dc, baseUnit, r->top + 1, icon);

    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(dc, r);
}

// GetSelectedListText: the selected entry's text, refused rather than cut when it would
// not fit, so a page never takes a name other than the one the user chose.
int GetSelectedListText(HWND dialog, WORD listId, char *text, size_t size) {
    HWND list = GetDlgItem(dialog, listId);
    LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return 0;
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)selected, 0);
    if (length == LB_ERR || (size_t)length >= size)
        return 0;
    SendMessageA(list, LB_GETTEXT, (WPARAM)selected, (LPARAM)text);
    return 1;
}
