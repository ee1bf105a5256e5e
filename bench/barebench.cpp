// The platform's own share of an installation, with nothing of the wizard around it: run
// from the benchmark's setup folder like the wizard, it asks the platform for exactly what
// the wizard's installation needs and nothing else, and writes how long that took.
//
//   barebench.exe copy RESULT_FILE      the copy loop alone
//   barebench.exe install RESULT_FILE   the copy loop, then AddPrinterDriverA and AddPrinterA
//                                       once, with the records the wizard registers
//   barebench.exe uninstall RESULT_FILE DeletePrinter, DeletePrinterDriverA, and the deletion
//                                       of every file from the driver directory and its "3"
//   barebench.exe read RESULT_FILE      every file of the setup folder read as it expands
//                                       (CreateFileA, LZInit, LZRead) and the installed one
//                                       in "3" read (ReadFile), the two compared: what a
//                                       second run must read to know nothing is to be done
//
// The copy loop writes where the wizard writes, the spooler's driver directory and its "3",
// and opens its sources, like the wizard, by their full path in the program's own folder.
// RESULT_FILE receives "key=seconds" lines: the loop, the driver, the printer, the whole work
// (for "uninstall", the loop is the files' deletion).
#include <windows.h>

#include <lzexpand.h>

#include "common.h"

#include <io.h>
#include <stdio.h>
#include <string.h>

namespace {

using bench::kModel;
const char kSection[] = "J71_BENCH";
const char kHardwareId[] = "ZELMOXJ71_BENCH_0001";
using bench::kPort;

using bench::Seconds;

// The model's CopyFiles value as a list of names, each ended by a NUL and the list by an
// empty name: the form the spooler takes for the dependent files. No name of the benchmark's
// setup has an at sign.
// The program's own folder with its final backslash, where the wizard takes its files from.
void ProgramFolder(char *folder, size_t size) {
    DWORD length = GetModuleFileNameA(NULL, folder, (DWORD)size);
    folder[length < size ? length : 0] = 0;
    char *slash = strrchr(folder, '\\');
    if (slash)
        slash[1] = 0;
}

int ReadCopyList(char *list, size_t size) {
    char value[1024] = "";
    char inf[MAX_PATH];
    ProgramFolder(inf, sizeof inf);
    strcat(inf, "J71.INF");
    GetPrivateProfileStringA(kSection, "CopyFiles", "", value, sizeof value, inf);
    size_t length = strlen(value);
    if (length == 0 || length + 2 > size)
        return 0;
    memcpy(list, value, length + 1);
    list[length + 1] = 0;
    int count = 1;
    for (size_t i = 0; i < length; i++)
        if (list[i] == ',') {
            list[i] = 0;
            count++;
        }
    return count;
}

// Whether a file in "3" carries a version resource, read as the wizard's copy engine reads
// it before it deletes the file there.
bool HasVersion(const char *path) {
    HMODULE module = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return false;
    bool found = FindResourceA(module, MAKEINTRESOURCEA(VS_VERSION_INFO), (LPCSTR)RT_VERSION);
    FreeLibrary(module);
    return found;
}

// What the wizard's copy engine asks of the platform for each file: the existence test and
// deletion of both destinations (with the look for a version resource in "3"), the source
// opened by its full path and handed to the LZ library, the destination created, the LZ
// expansion into the driver directory and the plain copy into its "3". False when a file
// failed.
bool CopyLoop(const char *list, const char *directory) {
    char folder[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    LZStart();
    for (const char *name = list; *name; name += strlen(name) + 1) {
        char path[MAX_PATH], first[MAX_PATH], second[MAX_PATH];
        snprintf(path, sizeof path, "%s%s", folder, name);
        snprintf(first, sizeof first, "%s%s", directory, name);
        snprintf(second, sizeof second, "%s3\\%s", directory, name);
        if (_access(first, 0) == 0)
            _unlink(first);
        if (_access(second, 0) == 0 && !HasVersion(second))
            _unlink(second);
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        INT source = file == INVALID_HANDLE_VALUE ? -1 : LZInit((INT)HandleToLong(file));
        if (source < 0) {
            LZDone();
            return false;
        }
        HANDLE created =
            CreateFileA(first, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (created == INVALID_HANDLE_VALUE) {
            LZClose(source);
            LZDone();
            return false;
        }
        INT target = (INT)HandleToLong(created);
        LONG written = CopyLZFile(source, target);
        LZClose(source);
        LZClose(target);
        CopyFileA(first, second, FALSE);
        if (written < 0) {
            LZDone();
            return false;
        }
    }
    LZDone();
    return true;
}

// Last-write time of the file that dates the driver, as the wizard reads it: J71.DLL of
// the program's own folder.
FILETIME DriverDate() {
    FILETIME created = {}, accessed = {}, written = {};
    char path[MAX_PATH];
    ProgramFolder(path, sizeof path);
    strcat(path, "J71.DLL");
    HANDLE file =
        CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        GetFileTime(file, &created, &accessed, &written);
        CloseHandle(file);
    }
    return written;
}

// The driver at level 6 and the printer at level 2, field for field as the wizard
// registers them.
bool Register(char *list, double *driverSeconds, double *printerSeconds) {
    char name[sizeof kModel];
    char environment[] = "Windows x64";
    char driverPath[] = "UNIDRV.DLL", dataFile[] = "J71.GPD", configFile[] = "UNIDRVUI.DLL";
    char helpFile[] = "UNIDRV.HLP", dataType[] = "RAW", emptyUrl[] = "";
    char hardwareId[sizeof kHardwareId], provider[] = "Zelmox Systems";
    char previousNames[sizeof kModel + 1] = "";
    char port[sizeof kPort], processor[] = "WinPrint";
    memcpy(name, kModel, sizeof kModel);
    memcpy(hardwareId, kHardwareId, sizeof kHardwareId);
    memcpy(previousNames, kModel, sizeof kModel);
    memcpy(port, kPort, sizeof kPort);

    DRIVER_INFO_6A driver = {};
    driver.cVersion = 3;
    driver.pName = name;
    driver.pEnvironment = environment;
    driver.pDriverPath = driverPath;
    driver.pDataFile = dataFile;
    driver.pConfigFile = configFile;
    driver.pHelpFile = helpFile;
    driver.pDependentFiles = list;
    driver.pDefaultDataType = dataType;
    driver.pszzPreviousNames = previousNames;
    driver.ftDriverDate = DriverDate();
    driver.pszOEMUrl = emptyUrl;
    driver.pszHardwareID = hardwareId;
    driver.pszProvider = provider;
    double start = Seconds();
    if (!AddPrinterDriverA(NULL, 6, (LPBYTE)&driver))
        return false;
    double registered = Seconds();

    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = name;
    printer.pPortName = port;
    printer.pDriverName = name;
    printer.pPrintProcessor = processor;
    printer.pDatatype = dataType;
    printer.Attributes = PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST;
    HANDLE created = AddPrinterA(NULL, 2, (LPBYTE)&printer);
    if (!created)
        return false;
    ClosePrinter(created);
    *driverSeconds = registered - start;
    *printerSeconds = Seconds() - registered;
    return true;
}

// The platform's share of an unattended removal: the printer, the driver and each file in
// both directories deleted, and nothing else asked.
bool Uninstall(const char *list, const char *directory, double *printerSeconds,
               double *driverSeconds, double *filesSeconds) {
    double start = Seconds();
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE printer;
    if (!OpenPrinterA((LPSTR)kModel, &printer, &defaults))
        return false;
    BOOL deleted = DeletePrinter(printer);
    ClosePrinter(printer);
    double printerGone = Seconds();
    if (!deleted || !DeletePrinterDriverA(NULL, (LPSTR) "Windows x64", (LPSTR)kModel))
        return false;
    double driverGone = Seconds();
    for (const char *name = list; *name; name += strlen(name) + 1) {
        char first[MAX_PATH], second[MAX_PATH];
        snprintf(first, sizeof first, "%s%s", directory, name);
        snprintf(second, sizeof second, "%s3\\%s", directory, name);
        if (!DeleteFileA(first) || !DeleteFileA(second))
            return false;
    }
    *printerSeconds = printerGone - start;
    *driverSeconds = driverGone - printerGone;
    *filesSeconds = Seconds() - driverGone;
    return true;
}

// Reads each setup file as it expands and its installed copy in "3" once, in blocks of
// 64 KiB, and compares them. False when a file is missing or differs.
bool ReadBoth(const char *list, const char *directory) {
    static char expanded[65536], installed[65536];
    char folder[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    bool same = true;
    for (const char *name = list; *name && same; name += strlen(name) + 1) {
        char path[MAX_PATH], copy[MAX_PATH];
        snprintf(path, sizeof path, "%s%s", folder, name);
        snprintf(copy, sizeof copy, "%s3\\%s", directory, name);
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        HANDLE target = CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, NULL);
        INT source = file == INVALID_HANDLE_VALUE ? -1 : LZInit((INT)HandleToLong(file));
        same = source >= 0 && target != INVALID_HANDLE_VALUE;
        for (INT got = 1; same && got > 0;) {
            got = LZRead(source, expanded, sizeof expanded);
            DWORD read = 0;
            same = got >= 0 && ReadFile(target, installed, got ? (DWORD)got : 1, &read, NULL) &&
                   read == (DWORD)got && memcmp(expanded, installed, read) == 0;
        }
        if (source >= 0)
            LZClose(source);
        if (target != INVALID_HANDLE_VALUE)
            CloseHandle(target);
    }
    return same;
}

} // namespace

int main(int argc, char **argv) {
    bool install = argc == 3 && strcmp(argv[1], "install") == 0;
    bool uninstall = argc == 3 && strcmp(argv[1], "uninstall") == 0;
    bool read = argc == 3 && strcmp(argv[1], "read") == 0;
    if (argc != 3 || (!install && !uninstall && !read && strcmp(argv[1], "copy") != 0)) {
        fprintf(stderr, "usage: barebench copy|install|uninstall|read RESULT_FILE\n");
        return 2;
    }
    char list[1100];
    if (!ReadCopyList(list, sizeof list)) {
        fprintf(stderr, "barebench: no CopyFiles in J71.INF\n");
        return 1;
    }

    double start = Seconds();
    char directory[MAX_PATH] = "";
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)directory, sizeof directory - 1,
                                    &needed))
        return 1;
    strcat(directory, "\\");
    if (uninstall) {
        double printerSeconds = 0, driverSeconds = 0, filesSeconds = 0;
        if (!Uninstall(list, directory, &printerSeconds, &driverSeconds, &filesSeconds)) {
            fprintf(stderr, "barebench: the removal failed, error %lu\n",
                    (unsigned long)GetLastError());
            return 1;
        }
        double end = Seconds();
        FILE *result = fopen(argv[2], "w");
        if (!result)
            return 1;
        fprintf(result, "loop=%.6f\ndriver=%.6f\nprinter=%.6f\nwork=%.6f\n", filesSeconds,
                driverSeconds, printerSeconds, end - start);
        fclose(result);
        return 0;
    }
    if (read) {
        if (!ReadBoth(list, directory)) {
            fprintf(stderr, "barebench: an installed file is missing or differs\n");
            return 1;
        }
        FILE *result = fopen(argv[2], "w");
        if (!result)
            return 1;
        double end = Seconds();
        fprintf(result, "loop=%.6f\ndriver=0\nprinter=0\nwork=%.6f\n", end - start, end - start);
        fclose(result);
        return 0;
    }
    if (!CopyLoop(list, directory)) {
        fprintf(stderr, "barebench: a file failed\n");
        return 1;
    }
    double copied = Seconds();
    double driverSeconds = 0, printerSeconds = 0;
    if (install && !Register(list, &driverSeconds, &printerSeconds)) {
        fprintf(stderr, "barebench: the spooler refused, error %lu\n",
                (unsigned long)GetLastError());
        return 1;
    }
    double end = Seconds();

    FILE *result = fopen(argv[2], "w");
    if (!result)
        return 1;
    fprintf(result, "loop=%.6f\ndriver=%.6f\nprinter=%.6f\nwork=%.6f\n", copied - start,
            driverSeconds, printerSeconds, end - start);
    fclose(result);
    return 0;
}
