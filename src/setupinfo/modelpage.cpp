// The model page: the printer models of the setup information file, each with the
// printer icon. Next clears a printer left by an earlier installation of the model and
// reads the model's install data.
#include "install/install.h"
#include "res/resource.h"
#include "setupinfo/setupinfo.h"
#include "shell/cmdline.h"
#include "shell/session.h"
#include "shell/singlerun.h"
#include "ui/iconlist.h"
#include "ui/pages.h"

#include <string.h>

// ChooseModelIcon: every model shows the printer icon.
void ChooseModelIcon(const char *, char *out) {
    strcpy(out, "IDI_PRINTER");
}

// RunModelPage: shows the page modally over the main window and returns how it ended:
// 2001 Next, 2000 Back, 2 Cancel, -1 when it could not be shown.
int RunModelPage(HWND owner) {
    return (int)DialogBoxParamA(g_instance, "IDD_GETMODEL", owner, ModelPageProc, 0);
}

// Lists the models in file order, selects the one the command line names (else the
// first) and puts the focus in the list.
static void OpenModelPage(HWND page) {
    FillIconList(page, IDC_MODEL_LIST, (short)CountModels(), GetModelName);
    LRESULT chosen = LB_ERR;
    if (g_arguments.model[0])
        chosen = SendDlgItemMessageA(page, IDC_MODEL_LIST, LB_FINDSTRINGEXACT, (WPARAM)-1,
                                     (LPARAM)g_arguments.model);
    SendDlgItemMessageA(page, IDC_MODEL_LIST, LB_SETCURSEL, chosen == LB_ERR ? 0 : chosen, 0);
    SetFocus(GetDlgItem(page, IDC_MODEL_LIST));
}

// Next: the first step that may change the machine, so it takes the machine's lock (the
// page stays while another installation holds it); then a printer of the model's name goes
// when a driver of that name is installed, so the new one can take its place; then the
// model's data are read.
static int OnModelPageCommand(HWND page, WPARAM command, LPARAM) {
    if (command != IDC_NEXT)
        return 0;
    if (!WizardMayRun(page))
        return 1;
    if (IsDriverInstalled(page))
        DeletePrinterOfModel(page);
    if (!LoadModelInstallData(page)) {
        ShowMessageFromStrings(page, IDS_SELECT_MODEL, IDS_CAPTION_WARNING, MB_OK | MB_ICONHAND);
        return 1;
    }
    EndDialog(page, IDC_NEXT);
    return 1;
}

static const PageParts kModelPage = {IDC_MODEL_LIST, ChooseModelIcon, OpenModelPage,
                                     OnModelPageCommand};

INT_PTR CALLBACK ModelPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return PageMessage(&kModelPage, page, message, wParam, lParam);
}
