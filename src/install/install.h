// Installation engine: copying, removal of an earlier installation, registration and
// the default printer.
#pragma once

#include <windows.h>

// Result of CopyOneFile asking for another try at the same file.
enum { COPY_RETRY = 1009 };

void StartCopyRun();
int CopyOneFile(HWND page, int index);
void ShowCopyError(HWND owner, int code);

void AdvanceCopy(HWND page, int copying);
HWND CopyPageControl(HWND page, int id);
void PaintCopyProgress(HWND page, HBRUSH navy);

// The model page's removal works on the selected entry; the same steps on modelName serve
// an unattended run.
int IsDriverInstalled(HWND page);
void DeletePrinterOfModel(HWND page);
int IsModelDriverInstalled();
int LogDriverInstalled();
void DeleteModelPrinter();
int RemovePreviousInstallation();
int RemoveBeforeCopy();
int DeleteModelDriver(DWORD patienceMs);

int RegisterDriverAndPrinter();

int MakeDefaultPrinter(const char *name);
// 1 when the process runs as the LocalSystem account, whose default printer no person uses.
int IsLocalSystemAccount();

// An unattended run's wait for a spooler that is stopped or still starting: 1 once it
// answers, 0 when it has not within the limit (logged).
int WaitForSpooler();

// An unattended removal of the model named in modelName (its install data loaded); the
// run's exit code.
int UninstallModel();

// A printer's level-2 record in a block to free with LocalFree; NULL when unreadable.
PRINTER_INFO_2A *ReadPrinterRecord(HANDLE printer);

// A file of the setup folder by its full path, else under its compressed name; `opened`
// (1024 bytes) names the file taken. INVALID_HANDLE_VALUE, the error left, when neither opens.
HANDLE OpenSetupFile(const char *path, char *opened);

// The name at `index` of copyList, or NULL past its end; never reads past its buffer.
const char *FindCopyName(int index);
