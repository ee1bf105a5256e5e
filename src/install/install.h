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

// The model's driver as the spooler keeps it: the level-3 records of the build's
// environment (`count` of them in `list`), and the one named modelName (NULL when it is not
// registered). ReadModelDriver returns 1 when it is; FreeModelDriver frees the list.
struct ModelDriver {
    DRIVER_INFO_3A *list;
    DWORD count;
    int failed; // the spooler could not give the list
    const DRIVER_INFO_3A *record;
};
int ReadModelDriver(ModelDriver *driver);
void FreeModelDriver(ModelDriver *driver);
// The full path a driver's record gives for its file `name` (driver, data, configuration,
// help or dependent file); NULL when it names no such file.
const char *DriverFileNamed(const DRIVER_INFO_3A *record, const char *name);

// Installed means installed: the printer on portName with the model's driver, the driver
// registered for the build's environment, and every file of the copy list where the
// spooler keeps that driver's files. CheckInstalled asks it after an installation;
// IsAlreadyInstalled before one, and also wants every file equal, byte for byte, to what
// the setup folder's file expands to: then there is nothing to do.
int CheckInstalled();
int IsAlreadyInstalled();

// An unattended run's wait for a spooler that is stopped or still starting: 1 once it
// answers, 0 when it has not within the limit (logged).
int WaitForSpooler();

// An unattended removal of the model named in modelName (its install data loaded); the
// run's exit code.
int UninstallModel();

// The spooler's lists, each in a zero-filled block to free with LocalFree with its
// entries in *count: NULL with *count 0 when a list is empty, NULL with *failed set when
// the spooler or the memory fails. The ports at level 1, the drivers of the build's
// environment at `level`, the local printers at level 2.
PORT_INFO_1A *ReadPortList(DWORD *count, int *failed);
void *ReadDriverList(DWORD level, DWORD *count, int *failed);
PRINTER_INFO_2A *ReadPrinterList(DWORD *count, int *failed);
// A printer's level-2 record in a block to free with LocalFree; NULL when unreadable.
PRINTER_INFO_2A *ReadPrinterRecord(HANDLE printer);

// A file of the setup folder by its full path, else under its compressed name; `opened`
// (1024 bytes) names the file taken. INVALID_HANDLE_VALUE, the error left, when neither opens.
HANDLE OpenSetupFile(const char *path, char *opened);

// What a source's first bytes say: whether it is compressed (SZDD), and then the size it
// expands to. A plain file, or one whose header cannot be read, is copied unchanged.
struct SourceHeader {
    int compressed;
    unsigned long announced;
};
// A setup-folder file opened as above and handed to the LZ library, which expands it as it
// is read (a plain file reads as it is): the LZ handle, or a negative LZ code.
INT OpenSetupSource(const char *path, char *opened, SourceHeader *header);

// The path of driver file `name` in the driver directory (`version` 0) or in the directory
// of driver version `version` below it; in the setup folder. 0, with `path` empty, for a
// name that could leave its folder, a folder not known, or a path that does not fit `size`.
int DriverFilePath(const char *name, int version, char *path, size_t size);
int SetupFilePath(const char *name, char *path, size_t size);

// The name at `index` of copyList, or NULL past its end; never reads past its buffer.
const char *FindCopyName(int index);
