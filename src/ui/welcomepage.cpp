// The first page: which systems the driver supports; Next or Cancel.
#include <string.h>

#include "res/resource.h"
#include "shell/session.h"
#include "ui/iconlist.h"
#include "ui/pages.h"

static void InitWelcomePage(HWND page) {
    CentreOverParent(page);
    ScalePageArtwork(page);
    SetFocus(GetDlgItem(page, IDC_NEXT));
    // Each build shows the systems of the environment it installs for.
    if (strcmp(g_session.environment, "Windows NT x86") == 0)
        SetDlgItemTextA(page, IDC_WELCOME_SYSTEMS, g_profile.supportedOsX86);
    else if (strcmp(g_session.environment, "Windows x64") == 0)
        SetDlgItemTextA(page, IDC_WELCOME_SYSTEMS, g_profile.supportedOsX64);
}

static void OnWelcomeCommand(HWND page, WPARAM command) {
    if (command == IDCANCEL) {
        if (LOWORD(AskCancel(page)) == IDYES)
            EndDialog(page, IDCANCEL);
    } else if (command == IDC_NEXT) {
        EndDialog(page, IDC_NEXT);
    }
}

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitWelcomePage(page);
        break;
    case WM_COMMAND:
        OnWelcomeCommand(page, wParam);
        break;
    case WM_DRAWITEM:
        if (wParam == IDC_PICTURE)
            DrawPicturePanel((const DRAWITEMSTRUCT *)lParam);
        break;
    case WM_DESTROY:
        FreePageArtwork(page);
        break;
    }
    return 0;
}

int RunWelcomePage(HWND owner) {
    return (int)DialogBoxParamA(g_instance, "IDD_WELCOME", owner, WelcomePageProc, 0);
}
