// Finding and removing what an earlier installation of the same model left with the
// local spooler: a driver and a printer that both bear the model's name.
#include "install/install.h"

#include "install/report.h"
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
    DWORD count;
    int failed;
    DRIVER_INFO_1A *drivers = (DRIVER_INFO_1A *)ReadDriverList(1, &count, &failed);
    int installed = 0;
    for (DWORD i = 0; i < count && !installed; i++)
        installed = drivers[i].pName && strcmp(drivers[i].pName, g_session.modelName) == 0;
    if (drivers)
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

// DeleteModelDriver: deletes the driver of modelName for the build's environment. While
// the spooler answers 3001 (driver in use) it is asked again, every 250 ms for up to
// `patienceMs`: on Windows a printer that something still holds open (the printers
// folder, a queue window) is deleted only when that handle closes, and its driver stays
// in use until then. The wizard keeps answering meanwhile. Returns the last answer.
int DeleteModelDriver(DWORD patienceMs) {
    DWORD started = GetTickCount();
    int waited = 0;
    for (;;) {
        if (LogCall("remove", SeamDeletePrinterDriver(g_session.environment, g_session.modelName),
                    "DeletePrinterDriver \"%s\" for %s", g_session.modelName,
                    g_session.environment))
            return 1;
        DWORD error = GetLastError();
        if (error != ERROR_PRINTER_DRIVER_IN_USE || GetTickCount() - started >= patienceMs)
            return 0;
        if (!waited++)
            LogLine("remove", "the driver is still in use; asking again for up to %lu s",
                    (unsigned long)(patienceMs / 1000));
        g_reporter->pause(250);
    }
}

// Removes the printer of the model's name and then its driver, the driver deleted as
// DeleteModelDriver does with `patienceMs`.
static int RemoveModel(DWORD patienceMs) {
    int result = 1;
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE printer;
    if (!LogCall("remove", OpenPrinterA(g_session.modelName, &printer, &defaults),
                 "OpenPrinter \"%s\" (all access)", g_session.modelName))
        return 1;
    int printerDeleted =
        LogCall("remove", SeamDeletePrinter(printer), "DeletePrinter \"%s\"", g_session.modelName);
    if (!printerDeleted)
        result = 0;
    ClosePrinter(printer);
    // Only a printer really deleted can be what holds the driver.
    if (!DeleteModelDriver(printerDeleted ? patienceMs : 0))
        result = 0;
    return result;
}

// RemovePreviousInstallation: when a printer of the model's name exists, deletes it and
// then the driver of that name for the build's environment. Returns 0 when either
// deletion is refused, 1 otherwise; with no such printer nothing is deleted, not even a
// driver of that name.
int RemovePreviousInstallation() {
    return RemoveModel(0);
}

// RemoveBeforeCopy: the same removal before the files are copied, waiting up to 10 s for
// a deleted printer to let go of its driver; nothing has been copied yet, so the wait
// costs only time.
int RemoveBeforeCopy() {
    return RemoveModel(SeamWaitLimit("DriverInUseWait", 10000));
}
