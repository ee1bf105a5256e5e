// The few platform calls that tests must be able to make fail on demand: Wine's spooler
// never refuses a driver or a deletion, and its LZ library never produces some codes.
// The shipped programs forward each straight to the platform; test builds may inject a
// failure through the environment (see seam_test.cpp).
#pragma once

#include <windows.h>

BOOL SeamAddPrinterDriver(DRIVER_INFO_6A *driver);
HANDLE SeamAddPrinter(PRINTER_INFO_2A *printer);
BOOL SeamDeletePrinter(HANDLE printer);
BOOL SeamDeletePrinterDriver(const char *environment, const char *driverName);
INT SeamCopyLZFile(INT source, INT destination);
// The user's default printer entry; Windows refuses it where the profile is read-only.
BOOL SeamWriteProfileString(const char *section, const char *key, const char *value);

// The local spooler's ports at level 1; the test builds count the enumerations.
BOOL SeamEnumPorts(LPBYTE ports, DWORD size, DWORD *needed, DWORD *returned);
