// Registration of the Unidrv-based driver of the chosen model with the local spooler,
// and of a local printer of the same name on the chosen port.
#include "install/install.h"
#include "install/report.h"
#include "install/seam.h"
#include "setupinfo/setupinfo.h"
#include "shell/log.h"
#include "shell/session.h"

#include <string.h>

// The file whose last-write time dates the driver.
static const char DATING_FILE[] = "J71.DLL";

// Last-write time of the dating file, opened as the copy engine opens a driver file: by
// its full path in the setup folder, else under its compressed name, sharing it with other
// readers. 0 when neither can be opened or read, or the time read is no time at all.
static int ReadLastWriteTime(const char *path, FILETIME *lastWrite) {
    char opened[TEXT_BUFFER_SIZE];
    HANDLE file = OpenSetupFile(path, opened);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    FILETIME created, accessed;
    BOOL ok = GetFileTime(file, &created, &accessed, lastWrite);
    CloseHandle(file);
    return ok != 0 && (lastWrite->dwHighDateTime != 0 || lastWrite->dwLowDateTime != 0);
}

// The driver's date: "J71.DLL" in the setup folder (or "J71.DL_", as it ships compressed),
// never one of the current directory (under a deployment tool that is the system folder);
// failing that, or when it cannot be read, now. A zero date would show as the year 1601.
static FILETIME DriverDate() {
    FILETIME date = {0, 0};
    char path[TEXT_BUFFER_SIZE];
    if (SetupFilePath(DATING_FILE, path, sizeof path) && ReadLastWriteTime(path, &date))
        return date;
    GetSystemTimeAsFileTime(&date);
    return date;
}

// The previous-names list of the driver: the model name alone, then the empty name.
// The model name never exceeds its own buffer, so the list always fits.
static void BuildPreviousNames(char *list, size_t size) {
    size_t length = strnlen(g_session.modelName, sizeof g_session.modelName);
    if (length + 2 > size)
        length = size - 2;
    memcpy(list, g_session.modelName, length);
    list[length] = 0;
    list[length + 1] = 0;
}

// RegisterDriverAndPrinter: registers the driver of modelName at level 6, then creates
// the printer of that name on portName. Returns 1 only when the printer was created;
// a refused driver is reported, a refused printer is not.
int RegisterDriverAndPrinter() {
    char driverPath[] = "UNIDRV.DLL";
    char dataFile[] = "J71.GPD";
    char configFile[] = "UNIDRVUI.DLL";
    char helpFile[] = "UNIDRV.HLP";
    char emptyUrl[] = "";
    char printProcessor[] = "WinPrint";
    char previousNames[TEXT_BUFFER_SIZE + 1];
    BuildPreviousNames(previousNames, sizeof previousNames);

    DRIVER_INFO_6A driver;
    memset(&driver, 0, sizeof driver);
    driver.cVersion = (DWORD)g_session.driverVersion;
    driver.pName = g_session.modelName;
    driver.pEnvironment = (LPSTR)g_session.environment;
    driver.pDriverPath = driverPath;
    driver.pDataFile = dataFile;
    driver.pConfigFile = configFile;
    driver.pHelpFile = helpFile;
    driver.pDependentFiles = g_session.copyList;
    driver.pMonitorName = NULL;
    driver.pDefaultDataType = g_session.defaultDataType;
    driver.pszzPreviousNames = previousNames;
    driver.ftDriverDate = DriverDate();
    driver.dwlDriverVersion = 0;
    driver.pszMfgName = NULL;
    driver.pszOEMUrl = emptyUrl;
    driver.pszHardwareID = (LPSTR)GetHardwareId(g_session.modelName);
    driver.pszProvider = (LPSTR)g_profile.makerName;
    if (!LogCall("register", SeamAddPrinterDriver(&driver), "AddPrinterDriver \"%s\" for %s",
                 driver.pName, driver.pEnvironment)) {
        g_reporter->showDriverRefused(GetLastError());
        return 0;
    }

    PRINTER_INFO_2A printer;
    memset(&printer, 0, sizeof printer);
    printer.pPrinterName = g_session.modelName;
    printer.pPortName = g_session.portName;
    printer.pDriverName = g_session.modelName;
    printer.pPrintProcessor = printProcessor;
    printer.pDatatype = g_session.defaultDataType;
    printer.Attributes = PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST;
    HANDLE created = SeamAddPrinter(&printer);
    if (!LogCall("register", created != NULL, "AddPrinter \"%s\" on %s", printer.pPrinterName,
                 printer.pPortName))
        return 0; // silent: the result alone tells, and the driver stays registered

    ClosePrinter(created);
    return 1;
}
