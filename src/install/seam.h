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

// The local spooler's ports at level 1; the test builds count the enumerations, and can
// make them fail as a spooler that is stopped or still starting does.
BOOL SeamEnumPorts(LPBYTE ports, DWORD size, DWORD *needed, DWORD *returned);

// Deletion of a driver file: the test builds can make it fail as for a file in use.
BOOL SeamDeleteFile(const char *path);

// The status the spooler reports for the model's printer; the test builds can add
// PRINTER_STATUS_PENDING_DELETION (PendingDeletion=1), as for a printer deleted with jobs
// still queued, which Wine never leaves.
DWORD SeamPrinterStatus(DWORD status);

// 1 when the program runs as a 32-bit process on 64-bit Windows (WoW64); the test builds
// can pretend it does (Wow64=1), which no 32-bit Wine here can.
int SeamRunsUnderWow64();

// 1 when the program runs as the LocalSystem account (a start-up script).
int SeamRunsAsLocalSystem();

// How long, in milliseconds, a run waits for the spooler (`name` "SpoolerWait") or for a
// deleted printer to let go of its driver ("DriverInUseWait"), and how long the wizard
// pauses so that a person can read the reading status ("ReadingPause"), the writing status
// ("WritingPause", each of its two) and the finished copy page ("CopyPause"): `shipped` in
// the shipped programs; the test builds can shorten it.
DWORD SeamWaitLimit(const char *name, DWORD shipped);

// A function of kernel32 that older systems lack, looked up by name; NULL when missing. The
// test builds can pretend one is missing (DRVSETUP_FAULTS NoProcedure=<name>).
FARPROC SeamKernelProcedure(const char *name);

// LZ32.dll or WINSPOOL.DRV loaded by full path at start; the test builds can make one fail
// (DRVSETUP_FAULTS NoLibrary=<file name>), which no system produces on demand.
HMODULE SeamLoadSystemLibrary(const char *path, DWORD flags);
