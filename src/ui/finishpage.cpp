// The last page: the outcome, the copyright line and, after success, the offer to make
// the new printer the default printer.
#include "install/install.h"
#include "res/resource.h"
#include "shell/sequencer.h"
#include "shell/session.h"
#include "ui/iconlist.h"
#include "ui/pages.h"

// Outcome the finish page reports: OUTCOME_INSTALLED, or anything else for failure.
static short g_outcome;

static void InitFinishPage(HWND page) {
    char result[TEXT_BUFFER_SIZE] = "";
    CentreOverParent(page);
    ScalePageArtwork(page);
    SetWindowTextA(page, g_profile.wizardTitle);
    if (g_outcome == OUTCOME_INSTALLED) {
        SendDlgItemMessageA(page, IDC_EXIT_ICON, STM_SETICON, (WPARAM)LoadIconA(NULL, IDI_ASTERISK),
                            0);
        LoadStringA(g_instance, IDS_DONE, result, sizeof result);
        CheckDlgButton(page, IDC_EXIT_DEFAULT, BST_CHECKED);
    } else {
        SendDlgItemMessageA(page, IDC_EXIT_ICON, STM_SETICON, (WPARAM)LoadIconA(NULL, IDI_HAND), 0);
        LoadStringA(g_instance, IDS_FAILED, result, sizeof result);
        ShowWindow(GetDlgItem(page, IDC_EXIT_DEFAULT), SW_HIDE);
    }
    SetDlgItemTextA(page, IDC_EXIT_COPYRIGHT, g_profile.copyrightLine);
    SetDlgItemTextA(page, IDC_EXIT_RESULT, result);
    SetFocus(GetDlgItem(page, IDOK));
}

static void OnFinishCommand(HWND page, WPARAM command) {
    if (command == IDOK) {
        if (g_outcome == OUTCOME_INSTALLED &&
            IsDlgButtonChecked(page, IDC_EXIT_DEFAULT) == BST_CHECKED)
            MakeDefaultPrinter(g_session.modelName);
        EndDialog(page, 1);
    } else if (command == IDCANCEL) {
        // Esc closes the page without touching the default printer.
        EndDialog(page, 1);
    }
}

INT_PTR CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitFinishPage(page);
        break;
    case WM_COMMAND:
        OnFinishCommand(page, wParam);
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

int RunFinishPage(HWND owner, int outcome) {
    g_outcome = (short)outcome;
    DialogBoxParamA(g_instance, "IDD_EXIT", owner, FinishPageProc, 0);
    return 1;
}
