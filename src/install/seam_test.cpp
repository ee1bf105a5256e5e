// Seams of the test builds. Without DRVSETUP_FAULTS in the environment they behave as
// the shipped ones. DRVSETUP_FAULTS lists failures to inject, separated by semicolons:
//   AddPrinterDriver=<error>     the spooler refuses the driver with that last error
//   AddPrinter=<error>           the spooler refuses the printer
//   DeletePrinter=<error>        a printer cannot be deleted
//   DeletePrinterDriver=<error>  a driver cannot be deleted
//   CopyLZFile=<code>            expansion returns that LZ code
//   EnumPorts=<error>            the spooler cannot be reached (1722 when it is stopped)
//   DeleteFile=<error>           a driver file cannot be deleted (32 when it is in use)
//   LocalSystem=1                the program runs as the LocalSystem account
//   Wow64=1                      the program runs as a 32-bit process on 64-bit Windows
//   PendingDeletion=1            the model's printer is pending deletion (jobs queued)
//   SpoolerMoves=1               an added driver's files leave the driver directory, as
//                                Windows' spooler moves them into its version directory
//   SharingWait=<ms>             the retry of a setup file held by another process, not 10 s
//   SpoolerWait=<ms>             the wait for the spooler is that long, not 60 s
//   DriverInUseWait=<ms>         the wait for a deleted printer's driver, not 10 s
//   ReadingPause=<ms>            the reading status shows that long, not 1 s
//   WritingPause=<ms>            each of the writing status's two pauses, not 2 s
//   CopyPause=<ms>               the copy page stays after its last file, not 1 s
//   NoProcedure=<name>           kernel32 lacks the function <name> (as older systems do)
//   NoLibrary=<file name>        that system DLL cannot be loaded at start
//   WriteProfileString=<error>   the default printer entry cannot be written
// Each may end in *<times>: the fault holds for the first <times> calls only (every call
// when no count is given).
// Port enumerations are counted in g_seamPortEnumerations (one per size query), so tests
// can see how often the spooler was asked.
// DRVSETUP_DRIVER_LOG names a file to which every driver record handed to the spooler is
// appended, one "field=value" line per field, so tests can check what the spooler
// does not store.
#include "install/seam.h"

#include "install/install.h"
#include "shell/session.h"

#include <lzexpand.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// Looks up `name` in DRVSETUP_FAULTS; returns 1 and its value and count when present.
static int FindFault(const char *name, long *value, long *times) {
    char faults[1024];
    DWORD length = GetEnvironmentVariableA("DRVSETUP_FAULTS", faults, sizeof faults);
    if (length == 0 || length >= sizeof faults)
        return 0;
    size_t nameLength = strlen(name);
    for (char *item = strtok(faults, ";"); item; item = strtok(NULL, ";")) {
        if (strncmp(item, name, nameLength) != 0 || item[nameLength] != '=')
            continue;
        char *end;
        *value = strtol(item + nameLength + 1, &end, 10);
        *times = *end == '*' ? strtol(end + 1, NULL, 10) : -1;
        return 1;
    }
    return 0;
}

// Injects a spooler refusal: sets the last error and returns 1 when `name` is listed and
// this call (counted in *calls) is one the fault holds for.
static int Refuse(const char *name, long *calls) {
    long error, times;
    ++*calls;
    if (!FindFault(name, &error, &times) || (times >= 0 && *calls > times))
        return 0;
    SetLastError((DWORD)error);
    return 1;
}

static void LogText(FILE *log, const char *field, const char *text) {
    if (text)
        fprintf(log, "%s=%s\n", field, text);
    else
        fprintf(log, "%s=(none)\n", field);
}

// A NUL-separated list is written with '|' between its names.
static void LogList(FILE *log, const char *field, const char *list) {
    fprintf(log, "%s=", field);
    if (!list) {
        fprintf(log, "(none)\n");
        return;
    }
    for (const char *name = list; *name; name += strlen(name) + 1)
        fprintf(log, "%s|", name);
    fprintf(log, "\n");
}

static void LogDriver(const DRIVER_INFO_6A *driver) {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("DRVSETUP_DRIVER_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    FILE *log = fopen(path, "a");
    if (!log)
        return;
    fprintf(log, "cVersion=%lu\n", (unsigned long)driver->cVersion);
    LogText(log, "pName", driver->pName);
    LogText(log, "pEnvironment", driver->pEnvironment);
    LogText(log, "pDriverPath", driver->pDriverPath);
    LogText(log, "pDataFile", driver->pDataFile);
    LogText(log, "pConfigFile", driver->pConfigFile);
    LogText(log, "pHelpFile", driver->pHelpFile);
    LogList(log, "pDependentFiles", driver->pDependentFiles);
    LogText(log, "pMonitorName", driver->pMonitorName);
    LogText(log, "pDefaultDataType", driver->pDefaultDataType);
    LogList(log, "pszzPreviousNames", driver->pszzPreviousNames);
    fprintf(log, "ftDriverDate=%lu,%lu\n", (unsigned long)driver->ftDriverDate.dwHighDateTime,
            (unsigned long)driver->ftDriverDate.dwLowDateTime);
    fprintf(log, "dwlDriverVersion=%llu\n", (unsigned long long)driver->dwlDriverVersion);
    LogText(log, "pszMfgName", driver->pszMfgName);
    LogText(log, "pszOEMUrl", driver->pszOEMUrl);
    LogText(log, "pszHardwareID", driver->pszHardwareID);
    LogText(log, "pszProvider", driver->pszProvider);
    fprintf(log, "end\n");
    fclose(log);
}

// Calls of each spooler seam so far.
static long g_addDriverCalls, g_addPrinterCalls, g_deletePrinterCalls, g_deleteDriverCalls;

// Windows' spooler moves a driver's files out of the driver directory into its version
// directory when it adds the driver; Wine's copies them and leaves the driver directory's.
static void RemoveMovedFiles(const DRIVER_INFO_6A *driver) {
    const char *single[] = {driver->pDriverPath, driver->pDataFile, driver->pConfigFile,
                            driver->pHelpFile};
    char path[TEXT_BUFFER_SIZE];
    for (const char *name : single)
        if (name && DriverFilePath(name, 0, path, sizeof path))
            DeleteFileA(path);
    for (const char *name = driver->pDependentFiles; name && *name; name += strlen(name) + 1)
        if (DriverFilePath(name, 0, path, sizeof path))
            DeleteFileA(path);
}

BOOL SeamAddPrinterDriver(DRIVER_INFO_6A *driver) {
    LogDriver(driver);
    if (Refuse("AddPrinterDriver", &g_addDriverCalls))
        return FALSE;
    if (!AddPrinterDriverA(NULL, 6, (LPBYTE)driver))
        return FALSE;
    long value, times;
    if (FindFault("SpoolerMoves", &value, &times) && value)
        RemoveMovedFiles(driver);
    return TRUE;
}

HANDLE SeamAddPrinter(PRINTER_INFO_2A *printer) {
    if (Refuse("AddPrinter", &g_addPrinterCalls))
        return NULL;
    return AddPrinterA(NULL, 2, (LPBYTE)printer);
}

BOOL SeamDeletePrinter(HANDLE printer) {
    if (Refuse("DeletePrinter", &g_deletePrinterCalls))
        return FALSE;
    return DeletePrinter(printer);
}

BOOL SeamDeletePrinterDriver(const char *environment, const char *driverName) {
    if (Refuse("DeletePrinterDriver", &g_deleteDriverCalls))
        return FALSE;
    return DeletePrinterDriverA(NULL, (LPSTR)environment, (LPSTR)driverName);
}

static long g_profileCalls;

BOOL SeamWriteProfileString(const char *section, const char *key, const char *value) {
    if (Refuse("WriteProfileString", &g_profileCalls))
        return FALSE;
    return WriteProfileStringA(section, key, value);
}

// Calls of CopyLZFile so far, to let a fault hold for its first few calls only.
static long g_copyCalls;

INT SeamCopyLZFile(INT source, INT destination) {
    long code, times;
    g_copyCalls++;
    if (FindFault("CopyLZFile", &code, &times) && (times < 0 || g_copyCalls <= times))
        return (INT)code;
    return CopyLZFile(source, destination);
}

unsigned g_seamPortEnumerations;
static long g_enumPortsCalls, g_deleteFileCalls;

BOOL SeamEnumPorts(LPBYTE ports, DWORD size, DWORD *needed, DWORD *returned) {
    if (!ports)
        g_seamPortEnumerations++;
    if (Refuse("EnumPorts", &g_enumPortsCalls))
        return FALSE;
    return EnumPortsA(NULL, 1, ports, size, needed, returned);
}

BOOL SeamDeleteFile(const char *path) {
    if (Refuse("DeleteFile", &g_deleteFileCalls))
        return FALSE;
    return DeleteFileA(path);
}

static long g_printerStatusCalls;

DWORD SeamPrinterStatus(DWORD status) {
    long value, times;
    g_printerStatusCalls++;
    if (FindFault("PendingDeletion", &value, &times) && value &&
        (times < 0 || g_printerStatusCalls <= times))
        return status | PRINTER_STATUS_PENDING_DELETION;
    return status;
}

int SeamRunsUnderWow64() {
    long value, times;
    if (FindFault("Wow64", &value, &times))
        return value != 0;
    return RunsUnderWow64();
}

int SeamRunsAsLocalSystem() {
    long value, times;
    if (FindFault("LocalSystem", &value, &times))
        return value != 0;
    return IsLocalSystemAccount();
}

DWORD SeamWaitLimit(const char *name, DWORD shipped) {
    long value, times;
    if (FindFault(name, &value, &times) && value >= 0)
        return (DWORD)value;
    return shipped;
}

// Whether DRVSETUP_FAULTS lists "<what>=<name>" (the name in any letter case).
static int ListedAsMissing(const char *what, const char *name) {
    char faults[1024];
    DWORD length = GetEnvironmentVariableA("DRVSETUP_FAULTS", faults, sizeof faults);
    if (length == 0 || length >= sizeof faults)
        return 0;
    size_t whatLength = strlen(what);
    for (char *item = strtok(faults, ";"); item; item = strtok(NULL, ";"))
        if (strncmp(item, what, whatLength) == 0 && item[whatLength] == '=' &&
            lstrcmpiA(item + whatLength + 1, name) == 0)
            return 1;
    return 0;
}

FARPROC SeamKernelProcedure(const char *name) {
    if (ListedAsMissing("NoProcedure", name))
        return NULL;
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

HMODULE SeamLoadSystemLibrary(const char *path, DWORD flags) {
    const char *slash = strrchr(path, '\\');
    if (ListedAsMissing("NoLibrary", slash ? slash + 1 : path)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return NULL;
    }
    return LoadLibraryExA(path, NULL, flags);
}
