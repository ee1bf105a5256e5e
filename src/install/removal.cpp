// Finding and removing what an earlier installation of the same model left with the
// local spooler: a driver and a printer that both bear the model's name.
#include "install/install.h"

#include "install/seam.h"
#include "res/resource.h"
#include "shell/session.h"
#include "ui/iconlist.h"

#include <string.h>

// Copies the model selected on the model page into modelName. Returns 0, leaving
// modelName as it was, when nothing is selected (or the entry could not fit).
static int TakeSelectedModel(HWND page) {
    return GetSelectedListText(page, IDC_MODEL_LIST, g_session.modelName,
                               sizeof g_session.modelName);
}

// IsDriverInstalled: 1 when the spooler holds, for the build's environment, a driver
// named exactly like the selected model (letter case included).
int IsDriverInstalled(HWND page) {
    if (!TakeSelectedModel(page))
        return 0;
    LPSTR environment = (LPSTR)g_session.environment;
    DWORD needed = 0;
    DWORD returned = 0;
    EnumPrinterDriversA(NULL, environment, 1, NULL, 0, &needed, &returned);
    if (needed == 0)
        return 0;
    DRIVER_INFO_1A *drivers = (DRIVER_INFO_1A *)LocalAlloc(LPTR, needed);
    if (!drivers)
        return 0;
    int installed = 0;
    if (EnumPrinterDriversA(NULL, environment, 1, (LPBYTE)drivers, needed, &needed, &returned)) {
        for (DWORD i = 0; i < returned; i++) {
            if (drivers[i].pName && strcmp(drivers[i].pName, g_session.modelName) == 0) {
                installed = 1;
                break;
            }
        }
    }
    LocalFree(drivers);
    return installed;
}

// DeletePrinterOfModel: deletes the printer named like the selected model, opened with
// the spooler's default access. Whatever fails is left as it is, unreported.
void DeletePrinterOfModel(HWND page) {
    if (!TakeSelectedModel(page))
        return;
    HANDLE printer;
    if (!OpenPrinterA(g_session.modelName, &printer, NULL))
        return;
    SeamDeletePrinter(printer);
    ClosePrinter(printer);
}

// RemovePreviousInstallation: when a printer of the model's name exists, deletes it and
// then the driver of that name for the build's environment. Returns 0 when either
// deletion is refused, 1 otherwise; with no such printer nothing is deleted, not even a
// driver of that name.
int RemovePreviousInstallation() {
    int result = 1;
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE printer;
    if (!OpenPrinterA(g_session.modelName, &printer, &defaults))
        return 1;
    if (!SeamDeletePrinter(printer))
        result = 0;
    ClosePrinter(printer);
    if (!SeamDeletePrinterDriver(g_session.environment, g_session.modelName))
        result = 0;
    return result;
}
