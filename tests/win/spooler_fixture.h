// Printers and drivers made in Wine's real spooler for a test.
#pragma once

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

namespace spool {

// Registers a driver without files (Wine accepts that) for one environment; at level 6
// as the program registers, or at level 3, which reads only the leading fields.
inline bool AddTestDriver(const char *name, const char *environment = "Windows x64",
                          DWORD level = 6) {
    DRIVER_INFO_6A driver = {};
    driver.cVersion = 3;
    driver.pName = (LPSTR)name;
    driver.pEnvironment = (LPSTR)environment;
    driver.pDriverPath = (LPSTR) "UNIDRV.DLL";
    driver.pDataFile = (LPSTR) "J71.GPD";
    driver.pConfigFile = (LPSTR) "UNIDRVUI.DLL";
    return AddPrinterDriverA(NULL, level, (LPBYTE)&driver) != FALSE;
}

// Adds a printer on a driver already registered.
inline bool AddPrinterOn(const char *printerName, const char *driverName, const char *port) {
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

// Registers a driver (at level 3) and a printer using it.
inline bool AddTestPrinter(const char *printerName, const char *driverName, const char *port,
                           const char *environment = "Windows x64") {
    return AddTestDriver(driverName, environment, 3) && AddPrinterOn(printerName, driverName, port);
}

inline bool PrinterExists(const char *name) {
    HANDLE handle;
    if (!OpenPrinterA((LPSTR)name, &handle, NULL))
        return false;
    ClosePrinter(handle);
    return true;
}

// Whether the spooler lists a driver of exactly this name for the environment.
inline bool DriverExists(const char *name, const char *environment = "Windows x64") {
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(NULL, (LPSTR)environment, 1, NULL, 0, &needed, &count);
    if (needed == 0)
        return false;
    std::vector<BYTE> block(needed);
    if (!EnumPrinterDriversA(NULL, (LPSTR)environment, 1, block.data(), needed, &needed, &count))
        return false;
    for (DWORD i = 0; i < count; i++)
        if (strcmp(((DRIVER_INFO_1A *)block.data())[i].pName, name) == 0)
            return true;
    return false;
}

inline std::string ProfileDevice() {
    char device[1024] = "";
    GetProfileStringA("windows", "device", "", device, sizeof device);
    return device;
}

} // namespace spool
