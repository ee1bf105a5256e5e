// The shipped programs' seams: each forwards straight to the platform.
#include "install/seam.h"

#include "install/install.h"
#include "shell/session.h"

#include <lzexpand.h>

BOOL SeamAddPrinterDriver(DRIVER_INFO_6A *driver) {
    return AddPrinterDriverA(NULL, 6, (LPBYTE)driver);
}

HANDLE SeamAddPrinter(PRINTER_INFO_2A *printer) {
    return AddPrinterA(NULL, 2, (LPBYTE)printer);
}

BOOL SeamDeletePrinter(HANDLE printer) {
    return DeletePrinter(printer);
}

BOOL SeamDeletePrinterDriver(const char *environment, const char *driverName) {
    return DeletePrinterDriverA(NULL, (LPSTR)environment, (LPSTR)driverName);
}

BOOL SeamWriteProfileString(const char *section, const char *key, const char *value) {
    return WriteProfileStringA(section, key, value);
}

INT SeamCopyLZFile(INT source, INT destination) {
    return CopyLZFile(source, destination);
}

BOOL SeamEnumPorts(LPBYTE ports, DWORD size, DWORD *needed, DWORD *returned) {
    return EnumPortsA(NULL, 1, ports, size, needed, returned);
}

BOOL SeamDeleteFile(const char *path) {
    return DeleteFileA(path);
}

DWORD SeamPrinterStatus(DWORD status) {
    return status;
}

int SeamRunsUnderWow64() {
    return RunsUnderWow64();
}

int SeamRunsAsLocalSystem() {
    return IsLocalSystemAccount();
}

DWORD SeamWaitLimit(const char *, DWORD shipped) {
    return shipped;
}

FARPROC SeamKernelProcedure(const char *name) {
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

HMODULE SeamLoadSystemLibrary(const char *path, DWORD flags) {
    return LoadLibraryExA(path, NULL, flags);
}
