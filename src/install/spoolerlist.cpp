// Reading what the local spooler lists (ports, drivers, printers) or holds for one printer:
// asked for the size first, then into a zero-filled block of that size, and asked again
// when the list grew in between, as it may while another program adds to it.
#include "install/install.h"

#include "install/seam.h"
#include "shell/session.h"

// One spooler call that fills a block at a level, as the Enum functions do.
typedef BOOL (*SpoolerQuery)(const void *subject, DWORD level, LPBYTE buffer, DWORD size,
                             DWORD *needed, DWORD *returned);

// The answer in a block to free with LocalFree, its entries in *count. An empty answer is
// NULL with *count 0; NULL with *failed set when the spooler or the memory fails.
static void *ReadSpoolerAnswer(SpoolerQuery query, const void *subject, DWORD level, DWORD *count,
                               int *failed) {
    DWORD needed = 0, returned = 0;
    *count = 0;
    *failed = 0;
    for (int attempt = 0; attempt < 3; attempt++) {
        if (query(subject, level, NULL, 0, &needed, &returned) && needed == 0)
            return NULL;
        if (needed == 0)
            break;
        BYTE *block = (BYTE *)LocalAlloc(LPTR, needed);
        if (!block)
            break;
        if (query(subject, level, block, needed, &needed, &returned)) {
            *count = returned;
            return block;
        }
        LocalFree(block);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    *failed = 1;
    return NULL;
}

static BOOL QueryPorts(const void *, DWORD, LPBYTE buffer, DWORD size, DWORD *needed,
                       DWORD *returned) {
    return SeamEnumPorts(buffer, size, needed, returned);
}

static BOOL QueryDrivers(const void *, DWORD level, LPBYTE buffer, DWORD size, DWORD *needed,
                         DWORD *returned) {
    return EnumPrinterDriversA(NULL, (LPSTR)g_session.environment, level, buffer, size, needed,
                               returned);
}

static BOOL QueryPrinters(const void *, DWORD level, LPBYTE buffer, DWORD size, DWORD *needed,
                          DWORD *returned) {
    return EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, level, buffer, size, needed, returned);
}

static BOOL QueryPrinter(const void *printer, DWORD level, LPBYTE buffer, DWORD size, DWORD *needed,
                         DWORD *returned) {
    *returned = 1;
    return GetPrinterA((HANDLE)printer, level, buffer, size, needed);
}

// ReadPortList: the local spooler's ports at level 1.
PORT_INFO_1A *ReadPortList(DWORD *count, int *failed) {
    return (PORT_INFO_1A *)ReadSpoolerAnswer(QueryPorts, NULL, 1, count, failed);
}

// ReadDriverList: the drivers of the build's environment at `level`.
void *ReadDriverList(DWORD level, DWORD *count, int *failed) {
    return ReadSpoolerAnswer(QueryDrivers, NULL, level, count, failed);
}

// ReadPrinterList: the local printers at level 2.
PRINTER_INFO_2A *ReadPrinterList(DWORD *count, int *failed) {
    return (PRINTER_INFO_2A *)ReadSpoolerAnswer(QueryPrinters, NULL, 2, count, failed);
}

// ReadPrinterRecord: an open printer's level-2 record; NULL when it cannot be read.
PRINTER_INFO_2A *ReadPrinterRecord(HANDLE printer) {
    DWORD count;
    int failed;
    return (PRINTER_INFO_2A *)ReadSpoolerAnswer(QueryPrinter, printer, 2, &count, &failed);
}
