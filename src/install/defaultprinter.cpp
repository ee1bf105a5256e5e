// Making a printer the user's default printer through the profile entry that names it.
#include <string.h>

#include "install/install.h"
#include "install/seam.h"
#include "shell/log.h"

// Writes "name,driver,port" as the "device" entry of section "windows", the driver and
// port as the spooler reports them now, and tells every top-level window. 1 on success;
// 0 with nothing written on any failure.
int MakeDefaultPrinter(const char *name) {
    if (!name)
        return 0;
    HANDLE printer = NULL;
    if (!LogCall("default", OpenPrinterA((LPSTR)name, &printer, NULL) && printer,
                 "OpenPrinter \"%s\"", name))
        return 0;

    int result = 0;
    PRINTER_INFO_2A *record = ReadPrinterRecord(printer);
    if (record && record->pDriverName && record->pPortName) {
        size_t size = strlen(name) + strlen(record->pDriverName) + strlen(record->pPortName) + 3;
        char *device = (char *)LocalAlloc(LPTR, size);
        if (device) {
            strcpy(device, name);
            strcat(device, ",");
            strcat(device, record->pDriverName);
            strcat(device, ",");
            strcat(device, record->pPortName);
            if (LogCall("default", SeamWriteProfileString("windows", "device", device),
                        "WriteProfileString windows device=\"%s\"", device)) {
                SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, 0, SMTO_NORMAL, 1000, NULL);
                result = 1;
            }
            LocalFree(device);
        }
    } else
        LogLine("default", "GetPrinter \"%s\": no driver or port to name", name);
    if (record)
        LocalFree(record);
    ClosePrinter(printer);
    return result;
}
