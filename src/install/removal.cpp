// Finding and removing what an earlier installation of the same model left with the
// local spooler: a driver and a printer that both bear the model's name.
#include "install/install.h"

#include "install/seam.h"
#include "res/resource.h"
#include "shell/log.h"
#include "shell/session.h"
#include "ui/iconlist.h"

#include <string.h>

// Copies the model selected on the model page into modelName. Returns 0, leaving
// modelName as it was, when nothing is selected (or the entry could not fit).
static int TakeSelectedModel(HWND page) {
    return GetSelectedListText(page, IDC_MODEL_LIST, g_session.modelName,
                               sizeof g_session.modelName);
}

// IsModelDriverInstalled: 1 when the spooler holds, for the build's environment, a driver
// named exactly like modelName (letter case included).
int IsModelDriverInstalled() {
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

// IsDriverInstalled: takes the selected model, then asks as above.
int IsDriverInstalled(HWND page) {
    if (!TakeSelectedModel(page))
        return 0;
    return LogDriverInstalled();
}

// LogDriverInstalled: asks as above and logs the answer.
int LogDriverInstalled() {
    int installed = IsModelDriverInstalled();
    LogLine("remove", "driver \"%s\" for %s: %s", g_session.modelName, g_session.environment,
            installed ? "installed, so a printer of its name goes first" : "not installed");
    return installed;
}

// DeleteModelPrinter: deletes the printer named modelName, opened with the spooler's
// default access. Whatever fails is left as it is, unreported.
void DeleteModelPrinter() {
    HANDLE printer;
    if (!LogCall("remove", OpenPrinterA(g_session.modelName, &printer, NULL),
                 "OpenPrinter \"%s\" (default access)", g_session.modelName))
        return;
    LogCall("remove", SeamDeletePrinter(printer), "DeletePrinter \"%s\"", g_session.modelName);
    ClosePrinter(printer);
}

// DeletePrinterOfModel: takes the selected model, then deletes its printer as above.
void DeletePrinterOfModel(HWND page) {
    if (!TakeSelectedModel(page))
        return;
    DeleteModelPrinter();
}

// RemovePreviousInstallation: when a printer of the model's name exists, deletes it and
// then the driver of that name for the build's environment. Returns 0 when either
// deletion is refused, 1 otherwise; with no such printer nothing is deleted, not even a
// driver of that name.
int RemovePreviousInstallation() {
    int result = 1;
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE printer;
    if (!LogCall("remove", OpenPrinterA(g_session.modelName, &printer, &defaults),
                 "OpenPrinter \"%s\" (all access)", g_session.modelName))
        return 1;
    if (!LogCall("remove", SeamDeletePrinter(printer), "DeletePrinter \"%s\"", g_session.modelName))
        result = 0;
    ClosePrinter(printer);
    if (!LogCall("remove", SeamDeletePrinterDriver(g_session.environment, g_session.modelName),
                 "DeletePrinterDriver \"%s\" for %s", g_session.modelName, g_session.environment))
        result = 0;
    return result;
}
