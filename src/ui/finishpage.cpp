// The last page: the outcome, the copyright line and, after success, the offer to make
// the new printer the default printer.
#include "install/install.h"
#include "res/resource.h"
#include "shell/sequencer.h"
#include "shell/session.h"
#include "ui/pages.h"

// Outcome the finish page reports: OUTCOME_INSTALLED, or anything else for failure.
static short g_outcome;

static void OpenFinishPage(HWND page) {
    char result[TEXT_BUFFER_SIZE] = "";
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

// OK writes the default printer when asked; Esc closes the page without touching it.
static int OnFinishCommand(HWND page, WPARAM command, LPARAM) {
    if (command != IDOK && command != IDCANCEL)
        return 0;
    if (command == IDOK && g_outcome == OUTCOME_INSTALLED &&
        IsDlgButtonChecked(page, IDC_EXIT_DEFAULT) == BST_CHECKED)
        MakeDefaultPrinter(g_session.modelName);
    EndDialog(page, 1);
    return 1;
}

static const PageParts kFinishPage = {0, NULL, OpenFinishPage, OnFinishCommand};

INT_PTR CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return PageMessage(&kFinishPage, page, message, wParam, lParam);
}

int RunFinishPage(HWND owner, int outcome) {
    g_outcome = (short)outcome;
    DialogBoxParamA(g_instance, "IDD_EXIT", owner, FinishPageProc, 0);
    return 1;
}
