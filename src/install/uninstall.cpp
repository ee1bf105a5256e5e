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

// The part of a path after its last backslash.
static const char *BaseName(const char *path) {
    const char *slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

static int SameFile(const char *path, const char *name) {
    return path && lstrcmpiA(BaseName(path), name) == 0;
}

// 1 when a driver other than modelName names `name` among its driver, data,
// configuration, help or dependent files; its name then goes to the log.
static int NamedByAnotherDriver(const DRIVER_INFO_3A *drivers, DWORD count, const char *name) {
    for (DWORD i = 0; i < count; i++) {
        const DRIVER_INFO_3A *driver = &drivers[i];
        if (!driver->pName || strcmp(driver->pName, g_session.modelName) == 0)
            continue;
        int named = SameFile(driver->pDriverPath, name) || SameFile(driver->pDataFile, name) ||
                    SameFile(driver->pConfigFile, name) || SameFile(driver->pHelpFile, name);
        for (const char *file = driver->pDependentFiles; !named && file && *file;
             file += strlen(file) + 1)
            named = SameFile(file, name);
        if (named) {
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
    if (LogCall("remove", MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT),
                "MoveFileEx %s (deleted at the next restart)", path))
        return FILE_AT_RESTART;
    return FILE_KEPT;
}

// Deletes the model's files from the driver directory and its version directory, but
// those another driver names. The worst outcome of any file.
static int DeleteModelFiles() {
    DWORD count;
    int failed;
    DRIVER_INFO_3A *drivers = (DRIVER_INFO_3A *)ReadDriverList(3, &count, &failed);
    if (failed) {
        LogLine("remove", "EnumPrinterDrivers: failed, error %lu; every file is kept",
                (unsigned long)GetLastError());
        return FILE_KEPT;
    }
    int worst = FILE_GONE;
    for (int i = 0; i < g_session.fileCount; i++) {
        const char *name = FindCopyName(i);
        char path[TEXT_BUFFER_SIZE], versioned[TEXT_BUFFER_SIZE] = "";
        if (!DriverFilePath(name, 0, path, sizeof path) ||
            (g_session.driverVersion >= 2 &&
             !DriverFilePath(name, g_session.driverVersion, versioned, sizeof versioned))) {
            LogLine("remove", "file %d \"%s\": not a name in %s, left alone", i,
                    name ? name : "(none)", g_session.driverDirectory);
            continue;
        }
        if (NamedByAnotherDriver(drivers, count, name))
            continue;
        int outcome = DeleteDriverFile(path);
        if (versioned[0]) {
            int second = DeleteDriverFile(versioned);
            outcome = second > outcome ? second : outcome;
        }
        worst = outcome > worst ? outcome : worst;
    }
    if (drivers)
        LocalFree(drivers);
    return worst;
}

// UninstallModel: the printer first, as the driver cannot go while a printer uses it;
// then the driver, waiting up to 10 s for the deleted printer to let go of it; then the
// files. Nothing at all is present: 1605 and nothing touched.
int UninstallModel() {
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE printer = NULL;
    int printerPresent = LogCall("remove", OpenPrinterA(g_session.modelName, &printer, &defaults),
                                 "OpenPrinter \"%s\" (all access)", g_session.modelName);
    int driverPresent = IsModelDriverInstalled();
    LogLine("remove", "driver \"%s\" for %s: %s", g_session.modelName, g_session.environment,
            driverPresent ? "installed" : "not installed");
    if (!printerPresent && !driverPresent)
        return EXIT_NOT_INSTALLED;

    int printerDeleted = 0;
    if (printerPresent) {
        printerDeleted = LogCall("remove", SeamDeletePrinter(printer), "DeletePrinter \"%s\"",
                                 g_session.modelName);
        ClosePrinter(printer);
        if (!printerDeleted)
            return EXIT_INSTALL_FAILED;
    }
    if (driverPresent) {
        if (OtherPrintersUseDriver())
            return EXIT_INSTALL_FAILED;
        if (!DeleteModelDriver(printerDeleted ? SeamWaitLimit("DriverInUseWait", 10000) : 0))
            return EXIT_INSTALL_FAILED;
    }
    switch (DeleteModelFiles()) {
    case FILE_GONE:
        return EXIT_INSTALLED;
    case FILE_AT_RESTART:
        return EXIT_RESTART_NEEDED;
    }
    return EXIT_INSTALL_FAILED;
}
