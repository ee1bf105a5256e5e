// Centring every dialog of the program over its parent.
#include "ui/pages.h"

// Centres the dialog's window rectangle on its parent's, keeping its size, and brings it
// to the foreground. Over the desktop-sized main window this centres it on the screen.
void CentreOverParent(HWND dialog) {
    RECT parent, own;
    // A dialog with no owner (shown before any window of the program) centres on the screen.
    HWND over = GetParent(dialog);
    GetWindowRect(over ? over : GetDesktopWindow(), &parent);
    GetWindowRect(dialog, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = parent.left + ((parent.right - parent.left) - width) / 2;
    int y = parent.top + ((parent.bottom - parent.top) - height) / 2;
    MoveWindow(dialog, x, y, width, height, TRUE);
    SetForegroundWindow(dialog);
}
