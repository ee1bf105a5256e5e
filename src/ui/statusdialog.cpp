// The caption-less box that says what the wizard is busy with.
#include "res/resource.h"
#include "shell/session.h"
#include "ui/pages.h"

// String shown by the next status box, held until its WM_INITDIALOG.
static WORD g_statusStringId;

static void InitStatusDialog(HWND dialog) {
    char text[TEXT_BUFFER_SIZE] = "";
    CentreOverParent(dialog);
    LoadStringA(g_instance, g_statusStringId, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_STATUS_TEXT, text);
}

INT_PTR CALLBACK StatusDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG)
        InitStatusDialog(dialog);
    return 0;
}

HWND OpenStatusDialog(HWND owner, WORD stringId) {
    g_statusStringId = stringId;
    return CreateDialogParamA(g_instance, "IDD_STATUS", owner, StatusDialogProc, 0);
}
