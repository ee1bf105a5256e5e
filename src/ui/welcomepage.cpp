// The first page: which systems the driver supports; Next or Cancel.
#include <string.h>

#include "res/resource.h"
#include "shell/session.h"
#include "ui/pages.h"

static void OpenWelcomePage(HWND page) {
    SetFocus(GetDlgItem(page, IDC_NEXT));
    // Each build shows the systems of the environment it installs for.
    if (strcmp(g_session.environment, "Windows NT x86") == 0)
        SetDlgItemTextA(page, IDC_WELCOME_SYSTEMS, g_profile.supportedOsX86);
    else if (strcmp(g_session.environment, "Windows x64") == 0)
        SetDlgItemTextA(page, IDC_WELCOME_SYSTEMS, g_profile.supportedOsX64);
}

static int OnWelcomeCommand(HWND page, WPARAM command, LPARAM) {
    if (command != IDC_NEXT)
        return 0;
    EndDialog(page, IDC_NEXT);
    return 1;
}

static const PageParts kWelcomePage = {0, NULL, OpenWelcomePage, OnWelcomeCommand};

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return PageMessage(&kWelcomePage, page, message, wParam, lParam);
}

int RunWelcomePage(HWND owner) {
    return (int)DialogBoxParamA(g_instance, "IDD_WELCOME", owner, WelcomePageProc, 0);
}
