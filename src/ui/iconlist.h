// Owner-drawn list boxes with an icon beside each entry, and the picture panel.
#pragma once

#include <windows.h>

// Writes entry `index` into a 1024-byte buffer; may write nothing.
typedef void (*IconListItemSource)(unsigned index, char *text);
// Writes the name of one of the program's icons for `text` into `out`, which may be
// the same buffer as `text`.
typedef void (*IconChooser)(const char *text, char *out);

void FillIconList(HWND dialog, WORD controlId, short count, IconListItemSource source);
void MeasureIconListItem(MEASUREITEMSTRUCT *item);
void DrawIconListItem(const DRAWITEMSTRUCT *item, IconChooser chooser);
void DrawPicturePanel(const DRAWITEMSTRUCT *item);
void DrawSunkenFrame(const RECT *inner, HDC dc);

// Copies entry `index` of a list into `text` (`size` bytes) with the list's own length and
// text messages (LB_ or CB_). Returns 0, writing nothing, when the entry would not fit.
int ReadListEntry(HWND list, UINT getLength, UINT getText, WPARAM index, char *text, size_t size);

// Copies the text of the entry selected in list `listId` into `text` (`size` bytes).
// Returns 0, with `text` untouched, when nothing is selected or the text would not fit.
int GetSelectedListText(HWND dialog, WORD listId, char *text, size_t size);
