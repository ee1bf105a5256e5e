// Printers and drivers made in Wine's real spooler for a test.
#pragma once

#include <windows.h>

#include <string>

namespace spool {

// Registers a driver (Wine accepts one whose files are missing) and a printer using it.
inline bool AddTestPrinter(const char *printerName, const char *driverName, const char *port,
                           const char *environment = "Windows x64") {
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = (LPSTR)driverName;
    driver.pEnvironment = (LPSTR)environment;
    driver.pDriverPath = (LPSTR) "UNIDRV.DLL";
    driver.pDataFile = (LPSTR) "J71.GPD";
    driver.pConfigFile = (LPSTR) "UNIDRVUI.DLL";
    if (!AddPrinterDriverA(NULL, 3, (LPBYTE)&driver))
        return false;
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = (LPSTR)printerName;
    printer.pPortName = (LPSTR)port;
    printer.pDriverName = (LPSTR)driverName;
    printer.pPrintProcessor = (LPSTR) "WinPrint";
    printer.pDatatype = (LPSTR) "RAW";
    HANDLE handle = AddPrinterA(NULL, 2, (LPBYTE)&printer);
    if (!handle)
        return false;
    ClosePrinter(handle);
    return true;
}

inline bool PrinterExists(const char *name) {
    HANDLE handle;
    if (!OpenPrinterA((LPSTR)name, &handle, NULL))
        return false;
    ClosePrinter(handle);
    return true;
}

inline std::string ProfileDevice() {
    char device[1024] = "";
    GetProfileStringA("windows", "device", "", device, sizeof device);
    return device;
}

} // namespace spool
