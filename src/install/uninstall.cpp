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

// A spooler list at `level` in a zero-filled block to free with LocalFree, its entries in
// *count; NULL with *count 0 when the list is empty, NULL with *failed set when the
// spooler or the memory fails.
typedef BOOL (*SpoolerList)(DWORD level, LPBYTE buffer, DWORD size, DWORD *needed, DWORD *returned);

static BOOL ListPrinters(DWORD level, LPBYTE buffer, DWORD size, DWORD *needed, DWORD *returned) {
    return EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, level, buffer, size, needed, returned);
}

static BOOL ListDrivers(DWORD level, LPBYTE buffer, DWORD size, DWORD *needed, DWORD *returned) {
    return EnumPrinterDriversA(NULL, (LPSTR)g_session.environment, level, buffer, size, needed,
                               returned);
}

static void *ReadList(SpoolerList list, DWORD level, DWORD *count, int *failed) {
    DWORD needed = 0, returned = 0;
    *count = 0;
    *failed = 0;
    for (int attempt = 0; attempt < 3; attempt++) {
        if (list(level, NULL, 0, &needed, &returned) && needed == 0)
            return NULL;
        if (needed == 0) {
            *failed = 1;
            return NULL;
        }
        BYTE *block = (BYTE *)LocalAlloc(LPTR, needed);
        if (!block) {
            *failed = 1;
            return NULL;
        }
        if (list(level, block, needed, &needed, &returned)) {
            *count = returned;
            return block;
        }
        LocalFree(block);
        // The list grew between the two calls: ask again.
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    *failed = 1;
    return NULL;
}

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
    PRINTER_INFO_2A *printers = (PRINTER_INFO_2A *)ReadList(ListPrinters, 2, &count, &failed);
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
    DRIVER_INFO_3A *drivers = (DRIVER_INFO_3A *)ReadList(ListDrivers, 3, &count, &failed);
    if (failed) {
        LogLine("remove", "EnumPrinterDrivers: failed, error %lu; every file is kept",
                (unsigned long)GetLastError());
        return FILE_KEPT;
    }
    const char *directory = g_session.driverDirectory;
    size_t length = strnlen(directory, sizeof g_session.driverDirectory);
    const char *separator = length && directory[length - 1] == '\\' ? "" : "\\";
    int worst = FILE_GONE;
    for (int i = 0; i < g_session.fileCount; i++) {
        const char *name = FindCopyName(i);
        if (!name || !IsSafeCopyName(name) || length == 0) {
            LogLine("remove", "file %d \"%s\": not a name in %s, left alone", i,
                    name ? name : "(none)", directory);
            continue;
        }
        if (NamedByAnotherDriver(drivers, count, name))
            continue;
        char path[2 * TEXT_BUFFER_SIZE];
        snprintf(path, sizeof path, "%s%s%s", directory, separator, name);
        int outcome = DeleteDriverFile(path);
        if (g_session.driverVersion >= 2) {
            snprintf(path, sizeof path, "%s%s%d\\%s", directory, separator, g_session.driverVersion,
                     name);
            int second = DeleteDriverFile(path);
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
