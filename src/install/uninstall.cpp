// Removal of an installed model for deployment tools: its printer, its driver for the
// build's environment and the driver files no other driver of that environment uses.
#include "install/install.h"

#include "install/copyerrors.h"
#include "install/seam.h"
#include "shell/cmdline.h"
#include "shell/log.h"
#include "shell/session.h"

#include <stdio.h>
#include <string.h>

// 1 when a driver other than modelName names `name` among its driver, data,
// configuration, help or dependent files; its name then goes to the log.
static int NamedByAnotherDriver(const DRIVER_INFO_3A *drivers, DWORD count, const char *name) {
    for (DWORD i = 0; i < count; i++) {
        const DRIVER_INFO_3A *driver = &drivers[i];
        if (!driver->pName || strcmp(driver->pName, g_session.modelName) == 0)
            continue;
        if (DriverFileNamed(driver, name)) {
            LogLine("remove", "%s is kept: driver \"%s\" uses it too", name, driver->pName);
            return 1;
        }
    }
    return 0;
}

// Names in the log every printer but the model's own that uses the model's driver; 1
// when there is one, or when the spooler cannot say.
static int OtherPrintersUseDriver() {
    DWORD count;
    int failed;
    PRINTER_INFO_2A *printers = ReadPrinterList(&count, &failed);
    if (failed) {
        LogLine("remove", "EnumPrinters: failed, error %lu; the driver is kept",
                (unsigned long)GetLastError());
        return 1;
    }
    int used = 0;
    for (DWORD i = 0; i < count; i++) {
        const PRINTER_INFO_2A *printer = &printers[i];
        if (printer->pDriverName && strcmp(printer->pDriverName, g_session.modelName) == 0 &&
            printer->pPrinterName && strcmp(printer->pPrinterName, g_session.modelName) != 0) {
            LogLine("remove", "printer \"%s\" uses driver \"%s\"; both are kept",
                    printer->pPrinterName, g_session.modelName);
            used = 1;
        }
    }
    if (printers)
        LocalFree(printers);
    return used;
}

// Outcome of one file's deletion.
enum { FILE_GONE, FILE_AT_RESTART, FILE_KEPT };

// A file in use goes at the next restart. It is renamed aside in its own folder first, so
// that what the restart deletes is this file alone: an installation made before the
// restart (this model again, another program's Unidrv printer) writes its own file under
// the name, and the restart must not take that one with it. Windows renames a loaded
// driver DLL; only where even the rename is refused is the name itself scheduled.
static int DeleteAtRestart(const char *path) {
    char folder[TEXT_BUFFER_SIZE], aside[MAX_PATH + 16];
    strcpy(folder, path);
    char *slash = strrchr(folder, '\\');
    const char *scheduled = path;
    if (slash && (*slash = '\0', GetTempFileNameA(folder, "j71", 0, aside))) {
        if (LogCall("remove", MoveFileExA(path, aside, MOVEFILE_REPLACE_EXISTING),
                    "MoveFileEx %s to %s (renamed aside)", path, aside))
            scheduled = aside;
        else
            DeleteFileA(aside);
    }
    if (LogCall("remove", MoveFileExA(scheduled, NULL, MOVEFILE_DELAY_UNTIL_REBOOT),
                "MoveFileEx %s (deleted at the next restart)", scheduled))
        return FILE_AT_RESTART;
    if (scheduled != path)
        MoveFileExA(scheduled, path, 0);
    return FILE_KEPT;
}

// Deletes one driver file; one in use is deleted at the next restart instead.
static int DeleteDriverFile(const char *path) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return FILE_GONE;
    if (LogCall("remove", SeamDeleteFile(path), "DeleteFile %s", path))
        return FILE_GONE;
    DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
        error != ERROR_LOCK_VIOLATION && error != ERROR_USER_MAPPED_FILE)
        return FILE_KEPT;
    return DeleteAtRestart(path);
}

// Deletes the model's files, but those another driver names: each where the spooler keeps
// it (read before the driver went), and the copy this program put in the driver directory,
// which Wine's spooler leaves there and Windows' moves away. Without the driver's record,
// where the copy engine put it. The worst outcome of any file.
static int DeleteModelFiles(const ModelDriver *driver) {
    if (driver->failed) {
        LogLine("remove", "EnumPrinterDrivers: failed; every file is kept");
        return FILE_KEPT;
    }
    int worst = FILE_GONE;
    for (int i = 0; i < g_session.fileCount; i++) {
        const char *name = FindCopyName(i);
        const char *kept = name && driver->record ? DriverFileNamed(driver->record, name) : NULL;
        char copied[TEXT_BUFFER_SIZE], versioned[TEXT_BUFFER_SIZE] = "";
        if (!DriverFilePath(name, 0, copied, sizeof copied) ||
            (!kept && g_session.driverVersion >= 2 &&
             !DriverFilePath(name, g_session.driverVersion, versioned, sizeof versioned))) {
            LogLine("remove", "file %d \"%s\": not a name in %s, left alone", i,
                    name ? name : "(none)", g_session.driverDirectory);
            continue;
        }
        if (NamedByAnotherDriver(driver->list, driver->count, name))
            continue;
        const char *paths[] = {kept ? kept : versioned, copied};
        for (const char *path : paths) {
            int outcome = *path ? DeleteDriverFile(path) : FILE_GONE;
            worst = outcome > worst ? outcome : worst;
        }
    }
    return worst;
}

// The removal of what UninstallModel found: the opened printer (NULL when there is none),
// then the driver, then the files; the run's exit code.
static int RemoveInstalled(HANDLE printer, const ModelDriver *driver) {
    if (!printer && !driver->record)
        return EXIT_NOT_INSTALLED;
    int printerDeleted = 0;
    if (printer) {
        printerDeleted = LogCall("remove", SeamDeletePrinter(printer), "DeletePrinter \"%s\"",
                                 g_session.modelName);
        ClosePrinter(printer);
        if (!printerDeleted)
            return EXIT_INSTALL_FAILED;
    }
    if (driver->record) {
        if (OtherPrintersUseDriver())
            return EXIT_INSTALL_FAILED;
        if (!DeleteModelDriver(printerDeleted ? SeamWaitLimit("DriverInUseWait", 10000) : 0))
            return EXIT_INSTALL_FAILED;
    }
    switch (DeleteModelFiles(driver)) {
    case FILE_GONE:
        return EXIT_INSTALLED;
    case FILE_AT_RESTART:
        return EXIT_RESTART_NEEDED;
    }
    return EXIT_INSTALL_FAILED;
}

// UninstallModel: the printer first, as the driver cannot go while a printer uses it;
// then the driver, waiting up to 10 s for the deleted printer to let go of it; then the
// files. Nothing at all is present: 1605 and nothing touched.
int UninstallModel() {
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE printer = NULL;
    int printerPresent = LogCall("remove", OpenPrinterA(g_session.modelName, &printer, &defaults),
                                 "OpenPrinter \"%s\" (all access)", g_session.modelName);
    ModelDriver driver;
    int driverPresent = ReadModelDriver(&driver);
    LogLine("remove", "driver \"%s\" for %s: %s", g_session.modelName, g_session.environment,
            driverPresent ? "installed" : "not installed");
    int code = RemoveInstalled(printerPresent ? printer : NULL, &driver);
    FreeModelDriver(&driver);
    return code;
}
