// What every page of the wizard does alike: it opens centred with its artwork at the
// screen's resolution, draws its picture panel and icon list, asks before it is
// cancelled, goes back on Back and gives its artwork back as it closes. Each page adds its
// own opening and its own commands.
#include "res/resource.h"
#include "ui/pages.h"

// CancelPage: the cancel question over the page; Yes ends the page with IDCANCEL. 1 when
// the page was ended.
int CancelPage(HWND page) {
    if (LOWORD(AskCancel(page)) != IDYES)
        return 0;
    EndDialog(page, IDCANCEL);
    return 1;
}

static void OpenPage(const PageParts *parts, HWND page) {
    CentreOverParent(page);
    ScalePageArtwork(page);
    parts->open(page);
}

static void DrawPageItem(const PageParts *parts, const DRAWITEMSTRUCT *item) {
    if (item->CtlID == IDC_PICTURE)
        DrawPicturePanel(item);
    else if (parts->listId && item->CtlID == parts->listId)
        DrawIconListItem(item, parts->chooseIcon);
}

// The page's own commands first; what it leaves is Cancel, which asks, and Back.
static void OnPageCommand(const PageParts *parts, HWND page, WPARAM command, LPARAM lParam) {
    if (parts->command(page, command, lParam))
        return;
    if (command == IDCANCEL)
        CancelPage(page);
    else if (command == IDC_BACK)
        EndDialog(page, IDC_BACK);
}

// PageMessage: the procedure of every page, given its own parts. Every message is
// answered with 0, the focus being set by hand.
INT_PTR PageMessage(const PageParts *parts, HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OpenPage(parts, page);
        break;
    case WM_COMMAND:
        OnPageCommand(parts, page, wParam, lParam);
        break;
    case WM_MEASUREITEM:
        if (parts->listId)
            MeasureIconListItem((MEASUREITEMSTRUCT *)lParam);
        break;
    case WM_DRAWITEM:
        DrawPageItem(parts, (const DRAWITEMSTRUCT *)lParam);
        break;
    case WM_DESTROY:
        FreePageArtwork(page);
        break;
    }
    return 0;
}
