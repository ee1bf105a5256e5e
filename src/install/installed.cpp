// Whether the model stands installed: its printer on the port with its driver, the driver
// registered for the build's environment, and each of its files where the spooler keeps
// it. Windows' spooler moves a driver's files from the driver directory into its version
// directory when it adds the driver (print servers that emulate it rename them there), so
// where they are is asked of the spooler (level 3: full paths), never assumed.
#include "install/install.h"

#include "install/seam.h"
#include "setupinfo/setupinfo.h"
#include "shell/log.h"
#include "shell/session.h"

#include <io.h>
#include <lzexpand.h>
#include <string.h>

// ReadModelDriver: the level-3 records of the environment's drivers, the model's among them.
int ReadModelDriver(ModelDriver *driver) {
    driver->list = (DRIVER_INFO_3A *)ReadDriverList(3, &driver->count, &driver->failed);
    driver->record = NULL;
    for (DWORD i = 0; i < driver->count && !driver->record; i++)
        if (driver->list[i].pName && strcmp(driver->list[i].pName, g_session.modelName) == 0)
            driver->record = &driver->list[i];
    return driver->record != NULL;
}

void FreeModelDriver(ModelDriver *driver) {
    if (driver->list)
        LocalFree(driver->list);
    driver->list = NULL;
    driver->count = 0;
    driver->record = NULL;
}

static const char *BaseName(const char *path) {
    const char *slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

// DriverFileNamed: letter case aside, as the file system compares names.
const char *DriverFileNamed(const DRIVER_INFO_3A *record, const char *name) {
    const char *single[] = {record->pDriverPath, record->pDataFile, record->pConfigFile,
                            record->pHelpFile};
    for (const char *path : single)
        if (path && lstrcmpiA(BaseName(path), name) == 0)
            return path;
    for (const char *file = record->pDependentFiles; file && *file; file += strlen(file) + 1)
        if (lstrcmpiA(BaseName(file), name) == 0)
            return file;
    return NULL;
}

// What keeps the model's printer from standing as asked, for the log; NULL when it is on
// portName with the model's driver. A printer pending deletion (jobs still queued when it
// was deleted) takes no new jobs and does not count.
static const char *PrinterProblem() {
    HANDLE printer = NULL;
    if (!OpenPrinterA(g_session.modelName, &printer, NULL))
        return "does not exist";
    PRINTER_INFO_2A *record = ReadPrinterRecord(printer);
    const char *problem = NULL;
    if (!record)
        problem = "cannot be read";
    else if (!record->pPortName || lstrcmpiA(record->pPortName, g_session.portName) != 0)
        problem = "is on another port";
    else if (!record->pDriverName || strcmp(record->pDriverName, g_session.modelName) != 0)
        problem = "uses another driver";
    else if (SeamPrinterStatus(record->Status) & PRINTER_STATUS_PENDING_DELETION)
        problem = "is pending deletion";
    if (record)
        LocalFree(record);
    ClosePrinter(printer);
    return problem;
}

// Both sides of a comparison are read in blocks of this size.
enum { COMPARED_BLOCK = 64 * 1024 };

// 1 when the file at `path` holds exactly what the setup folder's file of that name
// expands to. A compressed file announces its size, so a file of another size is told
// apart without being read.
static int SameAsSetupFile(const char *name, const char *path) {
    static char expanded[COMPARED_BLOCK], installed[COMPARED_BLOCK];
    char source[TEXT_BUFFER_SIZE], opened[TEXT_BUFFER_SIZE];
    if (!SetupFilePath(name, source, sizeof source))
        return 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    SourceHeader header;
    INT expanding = OpenSetupSource(source, opened, &header);
    int same = 0;
    if (expanding >= 0) {
        DWORD high = 0, size = GetFileSize(file, &high);
        for (same = high == 0 && (!header.compressed || size == header.announced); same;) {
            INT got = LZRead(expanding, expanded, COMPARED_BLOCK);
            DWORD read = 0;
            if (got < 0 || !ReadFile(file, installed, got ? (DWORD)got : 1, &read, NULL))
                same = 0;
            else if (got == 0) {
                same = read == 0;
                break;
            } else
                same = read == (DWORD)got && memcmp(expanded, installed, read) == 0;
        }
        LZClose(expanding);
    }
    CloseHandle(file);
    return same;
}

// CheckInstalled: the success check of an unattended installation. Every problem is logged.
int CheckInstalled() {
    int installed = 1;
    if (const char *problem = PrinterProblem()) {
        LogLine("check", "printer \"%s\" %s (asked: on %s with its driver)", g_session.modelName,
                problem, g_session.portName);
        installed = 0;
    }
    ModelDriver driver;
    if (!ReadModelDriver(&driver)) {
        LogLine("check", "no driver \"%s\" for %s", g_session.modelName, g_session.environment);
        installed = 0;
    }
    for (int i = 0; driver.record && i < g_session.fileCount; i++) {
        const char *name = FindCopyName(i);
        const char *path = name ? DriverFileNamed(driver.record, name) : NULL;
        if (!path || _access(path, 0) != 0) {
            LogLine("check", "%s is not where the spooler keeps the driver's files (%s)",
                    name ? name : "(none)", path ? path : "not named by the driver");
            installed = 0;
        }
    }
    if (installed)
        LogLine("check",
                "printer \"%s\" on %s, driver for %s, its %d files where the spooler "
                "keeps them",
                g_session.modelName, g_session.portName, g_session.environment,
                g_session.fileCount);
    FreeModelDriver(&driver);
    return installed;
}

// IsAlreadyInstalled: stops at the first difference, which it logs.
int IsAlreadyInstalled() {
    if (const char *problem = PrinterProblem()) {
        LogLine("check", "printer \"%s\" %s: to be installed", g_session.modelName, problem);
        return 0;
    }
    ModelDriver driver;
    if (!ReadModelDriver(&driver)) {
        LogLine("check", "no driver \"%s\" for %s: to be installed", g_session.modelName,
                g_session.environment);
        FreeModelDriver(&driver);
        return 0;
    }
    int whole = 1;
    for (int i = 0; whole && i < g_session.fileCount; i++) {
        const char *name = FindCopyName(i);
        const char *path = name ? DriverFileNamed(driver.record, name) : NULL;
        whole = path && SameAsSetupFile(name, path);
        if (!whole)
            LogLine("check",
                    "%s differs from the setup folder's or is missing (%s): to be "
                    "installed",
                    name ? name : "(none)", path ? path : "not named by the driver");
    }
    if (whole)
        LogLine("check",
                "printer \"%s\" on %s, driver for %s and its %d files as the setup "
                "folder has them: already installed",
                g_session.modelName, g_session.portName, g_session.environment,
                g_session.fileCount);
    FreeModelDriver(&driver);
    return whole;
}
